// Dialogs from templates on the display: an FLTK window with the template's controls, laid out by
// converting dialog units with the base units of the template's font (resolved through fontconfig:
// "MS Shell Dlg" becomes the system's sans-serif face). Static icons and texts are boxes, push
// buttons post WM_COMMAND with their id, Enter and Escape arrive as key messages for the modal
// loop to turn into commands, and the close box posts WM_CLOSE.

#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/fl_draw.H>
#include <fontconfig/fontconfig.h>

#include <memory>
#include <string>

#include "platform/linux/Display.h"
#include "platform/linux/FltkBackend.h"
#include "platform/linux/FontConfiguration.h"
#include "platform/linux/GlContext.h"
#include "platform/linux/Utf.h"
#include "platform/linux/Window.h"

namespace {

constexpr WORD BN_CLICKED = 0;
constexpr int ICON_SIZE = 32;  // a static icon takes its icon's size

// The family fontconfig chooses for a face name; FLTK's sans-serif when it chooses nothing.
std::string resolveFamily(const std::string& faceName)
{
    std::string family = "sans";
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(faceName.c_str()));
    if (pattern == nullptr) return family;
    FcConfig* config = fontConfiguration();
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    if (FcPattern* match = FcFontMatch(config, pattern, &result)) {
        FcChar8* name = nullptr;
        if (FcPatternGetString(match, FC_FAMILY, 0, &name) == FcResultMatch) family = reinterpret_cast<char*>(name);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return family;
}

// The dialog font as an FLTK font and pixel size, with its base units.
struct DialogFont {
    Fl_Font font;
    int size;
    DialogUnits units;
};

DialogFont dialogFont(const DialogTemplate& dialogTemplate)
{
    static std::string fontName;  // FLTK keeps the pointer
    const Fl_Font font = FL_FREE_FONT;
    fontName.assign(1, ' ');  // the regular style
    fontName += resolveFamily(utf16ToUtf8(dialogTemplate.faceName));
    Fl::set_font(font, fontName.c_str());
    const int size = MulDiv(dialogTemplate.pointSize != 0 ? dialogTemplate.pointSize : 8, LOGICAL_DOTS_PER_INCH, 72);
    fl_font(font, size);
    // As Windows measures them: the average width of the 52 letters, rounded; the font's height.
    const double letters = fl_width("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const int baseX = (static_cast<int>(letters) / 26 + 1) / 2;
    return {font, size, DialogUnits{baseX, fl_height()}};
}

// FLTK reads '@' in labels as a symbol.
std::string labelText(const std::u16string& text)
{
    std::string label;
    for (char c : utf16ToUtf8(text)) {
        label += c;
        if (c == '@') label += '@';
    }
    return label;
}

class DialogWindow : public Fl_Double_Window {
public:
    DialogWindow(HWND dialog, int width, int height) : Fl_Double_Window(width, height), dialog(dialog)
    {
        callback([](Fl_Widget*, void* window) { PostMessageW(static_cast<HWND>(window), WM_CLOSE, 0, 0); }, dialog);
    }

    int handle(int event) override
    {
        const bool key = event == FL_KEYBOARD || event == FL_SHORTCUT;
        if (key && (Fl::event_key() == FL_Escape || Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter)) {
            postKeyMessage(dialog, FL_KEYBOARD);
            return 1;
        }
        if (event == FL_KEYUP) postKeyMessage(dialog, FL_KEYUP);
        return Fl_Double_Window::handle(event);
    }

    HWND dialogHandle() const { return dialog; }

    void resize(int x, int y, int width, int height) override
    {
        Fl_Double_Window::resize(x, y, width, height);
        updateWindowGeometry(dialog, RECT{x, y, x + width, y + height}, POINT{x, y}, width, height);
    }

private:
    HWND dialog;
};

void buttonPressed(Fl_Widget* button, void* command)
{
    const HWND dialog = static_cast<DialogWindow*>(button->window())->dialogHandle();
    PostMessageW(dialog, WM_COMMAND, reinterpret_cast<WPARAM>(command), 0);
}

void addControl(const DialogControl& control, const DialogFont& font)
{
    const DialogUnits& units = font.units;
    const int x = units.toPixelsX(control.x), y = units.toPixelsY(control.y);
    const int width = units.toPixelsX(control.cx), height = units.toPixelsY(control.cy);
    if (control.classOrdinal == STATIC_CLASS && (control.style & SS_TYPEMASK) == SS_ICON) {
        auto* box = new Fl_Box(x, y, ICON_SIZE, ICON_SIZE);
        box->box(FL_NO_BOX);
        box->image(fltkImageOf(LoadIconW(PROGRAM_MODULE_HANDLE, MAKEINTRESOURCEW(control.titleOrdinal))));
        return;
    }
    if (control.classOrdinal == STATIC_CLASS) {
        auto* box = new Fl_Box(x, y, width, height);
        box->box(FL_NO_BOX);
        box->copy_label(labelText(control.title).c_str());
        const DWORD kind = control.style & SS_TYPEMASK;
        const Fl_Align horizontal = kind == SS_CENTER ? FL_ALIGN_CENTER : kind == SS_RIGHT ? FL_ALIGN_RIGHT : FL_ALIGN_LEFT;
        box->align(horizontal | FL_ALIGN_TOP | FL_ALIGN_INSIDE | FL_ALIGN_WRAP);
        box->labelfont(font.font);
        box->labelsize(font.size);
        return;
    }
    if (control.classOrdinal == BUTTON_CLASS) {
        auto* button = new Fl_Button(x, y, width, height);
        button->copy_label(labelText(control.title).c_str());
        button->labelfont(font.font);
        button->labelsize(font.size);
        const WPARAM command = MAKEWPARAM(static_cast<WORD>(control.id), BN_CLICKED);
        button->callback(buttonPressed, reinterpret_cast<void*>(command));
    }
}

class FltkDialog : public DisplayWindow {
public:
    FltkDialog(HWND dialog, const DialogTemplate& dialogTemplate)
    {
        const DialogFont font = dialogFont(dialogTemplate);
        window = std::make_unique<DialogWindow>(dialog, font.units.toPixelsX(dialogTemplate.cx),
                                                font.units.toPixelsY(dialogTemplate.cy));
        for (const DialogControl& control : dialogTemplate.controls) addControl(control, font);
        window->end();
        window->set_modal();
        window->copy_label(utf16ToUtf8(dialogTemplate.caption).c_str());
        updateWindowGeometry(dialog, RECT{window->x(), window->y(), window->x() + window->w(), window->y() + window->h()},
                             POINT{window->x(), window->y()}, window->w(), window->h());
    }

    ~FltkDialog() override { window->hide(); }

    void show(bool visible) override
    {
        if (visible) window->show();
        else window->hide();
    }

    void moveResize(int x, int y, int width, int height) override { window->resize(x, y, width, height); }
    HGLRC createGlContext(int) override { return nullptr; }
    bool swapBuffers() override { return false; }
    void captureChanged(bool) override {}
    ::Window glDrawable() const override { return 0; }

private:
    std::unique_ptr<DialogWindow> window;
};

}  // namespace

std::unique_ptr<NativeWindow> createDisplayDialog(HWND dialog, const DialogTemplate& dialogTemplate)
{
    if (!openDisplay()) return nullptr;
    return std::make_unique<FltkDialog>(dialog, dialogTemplate);
}
