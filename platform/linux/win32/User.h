#pragma once

#include "platform/linux/win32/Types.h"

// Windows, messages, menus, accelerators, dialogs and mouse capture. Top-level windows are FLTK
// windows with an X11 visual for OpenGL; a window created while offscreen windows are in use has no
// display at all and draws into an offscreen surface (see Vexo.h). Messages arrive through the
// thread's queue (PeekMessageW) or are sent straight to the window procedure, as on Windows.

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);
using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

// ---------------------------------------------------------------------------------------------
// Messages
// ---------------------------------------------------------------------------------------------

constexpr UINT WM_NULL = 0x0000;
constexpr UINT WM_CREATE = 0x0001;
constexpr UINT WM_DESTROY = 0x0002;
constexpr UINT WM_SIZE = 0x0005;
constexpr UINT WM_SETFOCUS = 0x0007;
constexpr UINT WM_KILLFOCUS = 0x0008;
constexpr UINT WM_PAINT = 0x000F;
constexpr UINT WM_CLOSE = 0x0010;
constexpr UINT WM_QUIT = 0x0012;
constexpr UINT WM_GETMINMAXINFO = 0x0024;
constexpr UINT WM_SETFONT = 0x0030;
constexpr UINT WM_NCCREATE = 0x0081;
constexpr UINT WM_NCDESTROY = 0x0082;
constexpr UINT WM_KEYDOWN = 0x0100;
constexpr UINT WM_KEYUP = 0x0101;
constexpr UINT WM_CHAR = 0x0102;
constexpr UINT WM_SYSKEYDOWN = 0x0104;
constexpr UINT WM_SYSKEYUP = 0x0105;
constexpr UINT WM_INITDIALOG = 0x0110;
constexpr UINT WM_COMMAND = 0x0111;
constexpr UINT WM_SYSCOMMAND = 0x0112;
constexpr UINT WM_INITMENUPOPUP = 0x0117;
constexpr UINT WM_MOUSEMOVE = 0x0200;
constexpr UINT WM_LBUTTONDOWN = 0x0201;
constexpr UINT WM_LBUTTONUP = 0x0202;
constexpr UINT WM_LBUTTONDBLCLK = 0x0203;
constexpr UINT WM_RBUTTONDOWN = 0x0204;
constexpr UINT WM_RBUTTONUP = 0x0205;
constexpr UINT WM_RBUTTONDBLCLK = 0x0206;
constexpr UINT WM_MBUTTONDOWN = 0x0207;
constexpr UINT WM_MBUTTONUP = 0x0208;
constexpr UINT WM_MOUSEWHEEL = 0x020A;
constexpr UINT WM_CAPTURECHANGED = 0x0215;
constexpr UINT WM_DROPFILES = 0x0233;

// WM_SIZE wParam
constexpr WPARAM SIZE_RESTORED = 0;
constexpr WPARAM SIZE_MINIMIZED = 1;
constexpr WPARAM SIZE_MAXIMIZED = 2;

// Mouse message wParam
constexpr WPARAM MK_LBUTTON = 0x0001;
constexpr WPARAM MK_RBUTTON = 0x0002;
constexpr WPARAM MK_SHIFT = 0x0004;
constexpr WPARAM MK_CONTROL = 0x0008;

// Virtual-key codes of WM_KEYDOWN; letters and digits are their upper-case ASCII codes.
constexpr WPARAM VK_BACK = 0x08;
constexpr WPARAM VK_TAB = 0x09;
constexpr WPARAM VK_RETURN = 0x0D;
constexpr WPARAM VK_SHIFT = 0x10;
constexpr WPARAM VK_CONTROL = 0x11;
constexpr WPARAM VK_MENU = 0x12;
constexpr WPARAM VK_ESCAPE = 0x1B;
constexpr WPARAM VK_SPACE = 0x20;
constexpr WPARAM VK_PRIOR = 0x21;
constexpr WPARAM VK_NEXT = 0x22;
constexpr WPARAM VK_END = 0x23;
constexpr WPARAM VK_HOME = 0x24;
constexpr WPARAM VK_LEFT = 0x25;
constexpr WPARAM VK_UP = 0x26;
constexpr WPARAM VK_RIGHT = 0x27;
constexpr WPARAM VK_DOWN = 0x28;
constexpr WPARAM VK_INSERT = 0x2D;
constexpr WPARAM VK_DELETE = 0x2E;
constexpr WPARAM VK_F1 = 0x70;

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};

constexpr UINT PM_NOREMOVE = 0x0000;
constexpr UINT PM_REMOVE = 0x0001;

// Takes the next message of the thread without waiting (after letting FLTK turn pending display
// events into messages); FALSE when none is waiting.
BOOL PeekMessageW(MSG* message, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags);
// Adds WM_CHAR after a WM_KEYDOWN that types a character.
BOOL TranslateMessage(const MSG* message);
LRESULT DispatchMessageW(const MSG* message);
BOOL PostMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void PostQuitMessage(int exitCode);

// ---------------------------------------------------------------------------------------------
// Window classes and windows
// ---------------------------------------------------------------------------------------------

constexpr UINT CS_VREDRAW = 0x0001;
constexpr UINT CS_HREDRAW = 0x0002;
constexpr UINT CS_DBLCLKS = 0x0008;

struct WNDCLASSW {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCWSTR lpszMenuName;
    LPCWSTR lpszClassName;
};

ATOM RegisterClassW(const WNDCLASSW* windowClass);
BOOL UnregisterClassW(LPCWSTR className, HINSTANCE instance);

constexpr DWORD WS_OVERLAPPED = 0x00000000;
constexpr DWORD WS_POPUP = 0x80000000;
constexpr DWORD WS_CHILD = 0x40000000;
constexpr DWORD WS_VISIBLE = 0x10000000;
constexpr DWORD WS_CAPTION = 0x00C00000;
constexpr DWORD WS_SYSMENU = 0x00080000;
constexpr DWORD WS_THICKFRAME = 0x00040000;
constexpr DWORD WS_GROUP = 0x00020000;
constexpr DWORD WS_MINIMIZEBOX = 0x00020000;
constexpr DWORD WS_TABSTOP = 0x00010000;
constexpr DWORD WS_MAXIMIZEBOX = 0x00010000;
constexpr DWORD WS_OVERLAPPEDWINDOW =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
constexpr DWORD WS_EX_ACCEPTFILES = 0x00000010;
constexpr int CW_USEDEFAULT = static_cast<int>(0x80000000);

// What the window procedure's lParam points to at WM_NCCREATE and WM_CREATE.
struct CREATESTRUCTW {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCWSTR lpszName;
    LPCWSTR lpszClass;
    DWORD dwExStyle;
};

// Sends, in this order, WM_GETMINMAXINFO, WM_NCCREATE (a FALSE result fails the creation),
// WM_CREATE (-1 fails it; the window is then destroyed) and WM_SIZE, before returning. The window is
// not shown until ShowWindow. The menu, when given, is drawn as a menu bar above the client area;
// the client area is the OpenGL drawing area below it. The menu belongs to the window once
// creation succeeds. CW_USEDEFAULT as x leaves the position to the window system; as width it
// gives an 800 x 600 window on the display, the default client size offscreen.
HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID parameter);
// Sends WM_DESTROY, destroys the windows it owns (a dialog whose parent it is), and sends
// WM_NCDESTROY last; the window's menu and queued messages go with it and the handle is invalid
// afterwards.
BOOL DestroyWindow(HWND window);

constexpr int SW_HIDE = 0;
constexpr int SW_SHOW = 5;
constexpr int SW_SHOWDEFAULT = 10;
BOOL ShowWindow(HWND window, int command);

// Default processing: WM_CLOSE destroys the window; everything else is answered with 0 (TRUE for
// WM_NCCREATE).
LRESULT DefWindowProcW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Per-window user data: pointer-sized, so an object's address fits. Set returns the previous value.
constexpr int GWLP_USERDATA = -21;
LONG_PTR SetWindowLongPtrW(HWND window, int index, LONG_PTR value);
LONG_PTR GetWindowLongPtrW(HWND window, int index);

BOOL GetClientRect(HWND window, RECT* rect);
// The outer rectangle in screen coordinates (see SetWindowPos for what it includes).
BOOL GetWindowRect(HWND window, RECT* rect);
BOOL ClientToScreen(HWND window, POINT* point);
HWND GetParent(HWND window);

constexpr UINT SWP_NOSIZE = 0x0001;
constexpr UINT SWP_NOMOVE = 0x0002;
constexpr UINT SWP_NOZORDER = 0x0004;
constexpr UINT SWP_NOOWNERZORDER = 0x0200;
// Moves and sizes the window's outer rectangle (screen coordinates for top-level windows). On the
// display the outer rectangle is the window the program draws, menu bar included; a window
// manager's frame lies outside it. Offscreen it is the client area.
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags);

// Mouse capture: while a window holds it, every mouse message of the application goes to it, with
// client coordinates that may lie outside the client area (negative left of or above it). On the
// display the messages from outside the window come while a button is held (the press that led to
// SetCapture holds the pointer); a capture taken with no button down sees only its own window.
HWND SetCapture(HWND window);
HWND GetCapture();
BOOL ReleaseCapture();

// ---------------------------------------------------------------------------------------------
// Icons, cursors, menus and accelerators (from the program's resources)
// ---------------------------------------------------------------------------------------------

inline LPCWSTR const IDC_ARROW = MAKEINTRESOURCEW(32512);
// The icon group's image nearest 32 x 32, decoded once and shared for the life of the process.
HICON LoadIconW(HINSTANCE instance, LPCWSTR name);
HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name);

HMENU LoadMenuW(HINSTANCE instance, LPCWSTR name);
// A window's menu is destroyed with the window; a menu given to no window is destroyed with this.
BOOL DestroyMenu(HMENU menu);

constexpr UINT MIIM_STATE = 0x0001;
constexpr UINT MIIM_ID = 0x0002;
constexpr UINT MIIM_SUBMENU = 0x0004;
constexpr UINT MIIM_STRING = 0x0040;
constexpr UINT MIIM_FTYPE = 0x0100;
constexpr UINT MFS_CHECKED = 0x0008;

struct MENUITEMINFOW {
    UINT cbSize;
    UINT fMask;
    UINT fType;
    UINT fState;
    UINT wID;
    HMENU hSubMenu;
    HBITMAP hbmpChecked;
    HBITMAP hbmpUnchecked;
    ULONG_PTR dwItemData;
    LPWSTR dwTypeData;
    UINT cch;
    HBITMAP hbmpItem;
};

constexpr UINT MF_BYCOMMAND = 0x0000;
constexpr UINT MF_BYPOSITION = 0x0400;
constexpr UINT MF_UNCHECKED = 0x0000;
constexpr UINT MF_CHECKED = 0x0008;

// WM_INITMENUPOPUP (wParam the popup, lParam its position) reaches the window for every popup of
// its menu bar before any of them opens, so the check marks set then are the ones drawn.
int GetMenuItemCount(HMENU menu);
BOOL GetMenuItemInfoW(HMENU menu, UINT item, BOOL byPosition, MENUITEMINFOW* info);
// Returns the previous check state (MF_CHECKED or MF_UNCHECKED), or (DWORD)-1 without such an item.
DWORD CheckMenuItem(HMENU menu, UINT item, UINT flags);

constexpr BYTE FVIRTKEY = 0x01;
constexpr BYTE FNOINVERT = 0x02;
constexpr BYTE FSHIFT = 0x04;
constexpr BYTE FCONTROL = 0x08;
constexpr BYTE FALT = 0x10;

HACCEL LoadAcceleratorsW(HINSTANCE instance, LPCWSTR name);
// For a WM_KEYDOWN (or WM_SYSKEYDOWN) matching an entry of the table, sends WM_COMMAND with the
// entry's command (high word 1) to the window and returns nonzero; otherwise 0. The modifiers are
// those held when the key message was taken from the queue, as on Windows.
int TranslateAcceleratorW(HWND window, HACCEL table, MSG* message);

// ---------------------------------------------------------------------------------------------
// Modal dialogs from dialog templates
// ---------------------------------------------------------------------------------------------

constexpr int IDOK = 1;
constexpr int IDCANCEL = 2;

// Builds the dialog from the template resource (dialog units converted with the dialog font's base
// units), sends WM_SETFONT (with no font handle), then WM_INITDIALOG with the parameter, and runs a
// modal loop until EndDialog; returns the value given to EndDialog, or -1 when the dialog cannot be
// made. Enter and the default push button send WM_COMMAND IDOK; Escape and the close box send
// WM_COMMAND IDCANCEL. The dialog's parent (GetParent), client rectangle and SetWindowPos work as
// for windows. Offscreen no user can answer: once no message is waiting the dialog is cancelled.
INT_PTR DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC procedure, LPARAM parameter);
BOOL EndDialog(HWND dialog, INT_PTR result);
