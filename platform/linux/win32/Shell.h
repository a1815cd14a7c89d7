#pragma once

#include "platform/linux/win32/Types.h"

// Dropped files, the open dialog and path helpers.

// Files dropped on a window that accepts them (WS_EX_ACCEPTFILES) arrive as WM_DROPFILES with the
// drop in wParam. An index of 0xFFFFFFFF asks for the count; otherwise the path of file index is
// copied (truncated to size - 1 units, zero-terminated) and its length returned.
UINT DragQueryFileW(HDROP drop, UINT index, LPWSTR file, UINT size);
void DragFinish(HDROP drop);

using LPOFNHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);

struct OPENFILENAMEW {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    LPCWSTR lpstrFilter;
    LPWSTR lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;
    LPWSTR lpstrFile;
    DWORD nMaxFile;
    LPWSTR lpstrFileTitle;
    DWORD nMaxFileTitle;
    LPCWSTR lpstrInitialDir;
    LPCWSTR lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;
    WORD nFileExtension;
    LPCWSTR lpstrDefExt;
    LPARAM lCustData;
    LPOFNHOOKPROC lpfnHook;
    LPCWSTR lpTemplateName;
    void* pvReserved;
    DWORD dwReserved;
    DWORD FlagsEx;
};

constexpr DWORD OFN_PATHMUSTEXIST = 0x00000800;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_EXPLORER = 0x00080000;
constexpr DWORD OFN_ENABLESIZING = 0x00800000;

// A modal file chooser (the desktop's through FLTK, or FLTK's own) with the filter pairs of
// lpstrFilter, starting in lpstrInitialDir; given the same lpstrInitialDir as at the first call,
// it reopens in the folder of the file last chosen, as Windows does. Nonzero when a file was
// chosen (its path is in lpstrFile); 0 when cancelled, when the path does not fit, or
// (OFN_FILEMUSTEXIST) when no such file exists.
BOOL GetOpenFileNameW(OPENFILENAMEW* dialog);

// The extension of the last path component, from its last "." (included); the terminator when
// there is none.
LPWSTR PathFindExtensionW(LPCWSTR path);
