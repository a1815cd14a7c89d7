// The X display through FLTK: whether there is one, opening it, turning its events into messages for PeekMessageW,
// waiting in modal loops, and window icons as FLTK images.

#include <FL/Fl.H>
#include <FL/Fl_RGB_Image.H>
#include <FL/x.H>
#include <X11/XKBlib.h>

#include <map>
#include <memory>

#include "platform/linux/FltkBackend.h"
#include "platform/linux/FontConfiguration.h"
#include "platform/linux/Icon.h"
#include "platform/linux/MessageQueue.h"

namespace {

bool displayOpen = false;

// Without waiting: FLTK reads what the X server sent and its handlers post messages.
void pumpFltkEvents()
{
    Fl::check();
}

}  // namespace

bool openDisplay()
{
    if (displayOpen) return true;
    // FLTK would end the process on a display it cannot open: open it here and hand it over.
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return false;
    // A held key then repeats as key presses alone, as on Windows. Otherwise the server sends a
    // release and a press for each repeat, which FLTK tells from a real release only when both have
    // arrived by the time it looks: on a busy machine a repeat read as a release and a new press.
    XkbSetDetectableAutoRepeat(display, True, nullptr);
    preloadFontConfiguration(true);  // while OpenGL starts up; FLTK's text shares it
    fl_open_display(display);
    Fl::visible_focus(0);  // keyboard focus stays on the client area, as on Windows
    Fl::dnd_text_ops(0);   // dropped text is not typed into widgets
    setEventPump(pumpFltkEvents);
    displayOpen = true;
    return true;
}

// The connection made here is the one FLTK keeps: a display server that has just lost its last
// client may reset and refuse the next connection for a moment, so none is closed and reopened.
BOOL VexoDisplayAvailable()
{
    return openDisplay() ? TRUE : FALSE;
}

void waitForDisplayEvents()
{
    if (displayOpen) Fl::wait();
}

Fl_RGB_Image* fltkImageOf(HICON icon)
{
    static std::map<HICON, std::unique_ptr<Fl_RGB_Image>> images;
    if (icon == nullptr || icon->rgba.empty()) return nullptr;
    std::unique_ptr<Fl_RGB_Image>& image = images[icon];
    if (image == nullptr) image = std::make_unique<Fl_RGB_Image>(icon->rgba.data(), icon->width, icon->height, 4);
    return image.get();
}
