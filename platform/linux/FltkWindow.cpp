// Top-level windows on the display: an FLTK window holding the menu bar (when the window has a
// menu) above the client area, a child X window with the OpenGL visual of the window's pixel
// format. The client area turns FLTK's events into the window's messages: keys, mouse buttons and
// motion in client coordinates (negative outside while a button is held, since FLTK keeps sending
// a drag to the widget it started on), double clicks by Windows' rules (not FLTK's count of quick
// presses) for classes that ask for them, dropped files.
// The close box posts WM_CLOSE.

#define FL_INTERNALS
#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>

#include <algorithm>

#include "platform/linux/DoubleClicks.h"
#include "platform/linux/Drop.h"
#include "platform/linux/FltkBackend.h"
#include "platform/linux/FltkMenuBar.h"
#include "platform/linux/GlContext.h"
#include "platform/linux/Utf.h"
#include "platform/linux/Window.h"

bool takeFileDrop(HWND window, int fltkEvent)
{
    switch (fltkEvent) {
    case FL_DND_ENTER:
    case FL_DND_DRAG:
    case FL_DND_LEAVE:
    case FL_DND_RELEASE:
    case FL_PASTE: break;
    default: return false;
    }
    if ((window->exStyle & WS_EX_ACCEPTFILES) == 0) return false;
    if (fltkEvent == FL_PASTE) {
        const HDROP drop = makeDrop(filePathsOfUriList(std::string_view(Fl::event_text(), Fl::event_length())));
        if (drop != nullptr) PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
    }
    return true;
}

namespace {

// The client area: where OpenGL draws and input arrives. FLTK draws nothing here.
class ClientArea : public Fl_Window {
public:
    ClientArea(HWND window, int y, int width, int height) : Fl_Window(0, y, width, height), window(window)
    {
        end();
    }

    // Created with the visual of the window's pixel format, so the GL context can draw here.
    void show() override
    {
        if (!shown()) {
            const GlVisual* visual = glVisualFor(window->pixelFormat != 0 ? window->pixelFormat : 1);
            if (visual != nullptr) Fl_X::make_xid(this, visual->info, visual->colormap);
        }
        Fl_Window::show();
    }

    void draw() override {}
    void flush() override {}

    int handle(int event) override;
    // From now on the widget serves no window (it waits for FLTK to delete it).
    void detach() { window = nullptr; }

private:
    // held: buttons to report as down besides those FLTK reports.
    void postMouse(UINT message, WPARAM held = 0);

    HWND window;
    LPARAM lastMove = -1;
    WPARAM lastMoveKeys = 0;
};

// The buttons and keys held during the FLTK event in progress, as mouse messages carry them.
WPARAM mouseKeys()
{
    WPARAM keys = 0;
    const int state = Fl::event_state();
    if (state & FL_BUTTON1) keys |= MK_LBUTTON;
    if (state & FL_BUTTON3) keys |= MK_RBUTTON;
    if (state & FL_SHIFT) keys |= MK_SHIFT;
    if (state & FL_CTRL) keys |= MK_CONTROL;
    return keys;
}

// One for the process: on Windows the pairing of presses belongs to the thread's input.
DoubleClicks doubleClicks;

void ClientArea::postMouse(UINT message, WPARAM held)
{
    const WPARAM keys = mouseKeys() | held;
    const auto coordinate = [](int value) { return static_cast<WORD>(static_cast<short>(std::clamp(value, -32768, 32767))); };
    const LPARAM position = MAKELPARAM(coordinate(Fl::event_x()), coordinate(Fl::event_y()));
    // As on Windows, the mouse staying where it was is no move.
    if (message == WM_MOUSEMOVE && position == lastMove && keys == lastMoveKeys) return;
    if (message == WM_MOUSEMOVE) lastMove = position, lastMoveKeys = keys;
    PostMessageW(window, message, keys, position);
}

int ClientArea::handle(int event)
{
    if (window == nullptr) return Fl_Window::handle(event);
    switch (event) {
    case FL_FOCUS:
    case FL_UNFOCUS:
    case FL_ENTER:
    case FL_LEAVE: return 1;
    case FL_KEYBOARD:
        postKeyMessage(window, FL_KEYBOARD);
        // Alt with a letter belongs to the menu bar's mnemonics as well.
        return Fl::event_state(FL_ALT) != 0 && Fl::event_key() < 128 ? 0 : 1;
    case FL_KEYUP: postKeyMessage(window, FL_KEYUP); return 1;
    case FL_PUSH: {
        take_focus();
        const bool left = Fl::event_button() == FL_LEFT_MOUSE;
        if (!left && Fl::event_button() != FL_RIGHT_MOUSE) return 1;
        // Timed by the X server's clock, when the press happened, however late it is read.
        const UINT message = doubleClicks.press(window, (window->classStyle & CS_DBLCLKS) != 0,
                                                left ? WM_LBUTTONDOWN : WM_RBUTTONDOWN, mouseKeys(),
                                                POINT{Fl::event_x_root(), Fl::event_y_root()}, fl_xevent->xbutton.time);
        postMouse(message);
        return 1;
    }
    case FL_RELEASE: {
        const bool left = Fl::event_button() == FL_LEFT_MOUSE;
        if (!left && Fl::event_button() != FL_RIGHT_MOUSE) return 1;
        // FLTK hands on the moves of a batch of X events only after the batch, so a quick drag would
        // reach the window as a release before its moves. As on Windows, the window first learns
        // where the pointer went, with the button still down, then of the release.
        postMouse(WM_MOUSEMOVE, left ? MK_LBUTTON : MK_RBUTTON);
        postMouse(left ? WM_LBUTTONUP : WM_RBUTTONUP);
        return 1;
    }
    case FL_MOVE:
    case FL_DRAG: postMouse(WM_MOUSEMOVE); return 1;
    default: return takeFileDrop(window, event) ? 1 : Fl_Window::handle(event);
    }
}

// The top-level window: its geometry is the window's outer rectangle, the client area sits below
// the menu bar.
class FrameWindow : public Fl_Window {
public:
    static constexpr int MIN_WIDTH = 100;

    FrameWindow(HWND window, int x, int y, int width, int height)
        : Fl_Window(width, height), window(window)
    {
        if (x != CW_USEDEFAULT) position(x, y);
        const int menuHeight = window->menu != nullptr ? MenuBar::HEIGHT : 0;
        if (window->menu != nullptr) menuBar = new MenuBar(window, width);
        client = new ClientArea(window, menuHeight, width, std::max(height - menuHeight, 0));
        end();
        resizable(client);
        // As on Windows, the window may shrink until the client area is all but gone (an X window
        // keeps at least one pixel); FLTK's own limit would keep 100 pixels of it.
        size_range(MIN_WIDTH, menuHeight + 1);
        callback(closeBox, window);
        const std::string title = utf16ToUtf8(window->title);
        copy_label(title.c_str());
    }

    void resize(int x, int y, int width, int height) override
    {
        Fl_Window::resize(x, y, width, height);
        if (window != nullptr) reportGeometry();
    }

    void detach()
    {
        window = nullptr;
        client->detach();
        if (menuBar != nullptr) menuBar->detach();
        callback([](Fl_Widget*, void*) {});
    }

    void reportGeometry()
    {
        updateWindowGeometry(window, RECT{x(), y(), x() + w(), y() + h()}, POINT{x(), y() + client->y()}, client->w(),
                             client->h());
    }

    ClientArea* client = nullptr;
    MenuBar* menuBar = nullptr;

private:
    // Only the close box: FLTK also calls this for an Escape nobody took, which closes nothing here.
    static void closeBox(Fl_Widget*, void* window)
    {
        if (Fl::event() == FL_CLOSE) PostMessageW(static_cast<HWND>(window), WM_CLOSE, 0, 0);
    }

    HWND window;
};

class FltkWindow : public DisplayWindow {
public:
    FltkWindow(HWND window, int x, int y, int width, int height)
        : window(window), frame(new FrameWindow(window, x, y, width, height))
    {
        frame->reportGeometry();
    }

    // FLTK deletes the widgets once it is safe: the window may be destroyed from one of their
    // handlers (a WM_INITMENUPOPUP sent from the menu bar's).
    ~FltkWindow() override
    {
        releaseContextOf(window);
        frame->detach();
        frame->hide();
        Fl::delete_widget(frame);
    }

    void show(bool visible) override
    {
        if (!visible) {
            frame->hide();  // FLTK destroys the X windows: the context goes back to the helper window
            rebindCurrentContext(window);
            return;
        }
        if (Fl_RGB_Image* icon = fltkImageOf(window->icon)) frame->icon(icon);
        frame->show();
        frame->client->show();
        frame->client->take_focus();
        rebindCurrentContext(window);  // from the helper window onto the client area
    }

    void moveResize(int x, int y, int width, int height) override { frame->resize(x, y, width, height); }

    HGLRC createGlContext(int pixelFormat) override { return createGlxContext(pixelFormat); }

    bool swapBuffers() override
    {
        const ::Window drawable = glDrawable();
        if (drawable != 0) swapGlxBuffers(drawable);
        return true;
    }

    void captureChanged(bool) override {}

    ::Window glDrawable() const override { return frame->client->shown() ? fl_xid(frame->client) : 0; }

private:

    HWND window;
    FrameWindow* frame;
};

}  // namespace

std::unique_ptr<NativeWindow> createDisplayWindow(HWND window, int x, int y, int width, int height)
{
    if (!openDisplay()) return nullptr;
    return std::make_unique<FltkWindow>(window, x, y, width, height);
}
