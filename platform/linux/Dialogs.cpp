// Modal dialogs from dialog templates, as DialogBoxParamW runs them: the dialog is a window of
// the standard dialog class whose procedure hands each message to the dialog procedure and gives
// the default dialog handling to what it leaves (0); a modal loop dispatches every message of the
// thread until EndDialog, turning Enter and Escape into the default button's command and IDCANCEL.

#include "platform/linux/NativeWindow.h"
#include "platform/linux/Window.h"

namespace {

// MS Shell Dlg at 8 points on a 96-dpi screen: the base units offscreen, where no font is measured.
constexpr DialogUnits OFFSCREEN_DIALOG_UNITS{6, 13};
constexpr WORD BN_CLICKED = 0;

LRESULT dialogWindowProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    const INT_PTR handled = dialog->dialogProcedure(dialog, message, wParam, lParam);
    if (handled != 0 || message == WM_INITDIALOG) return handled;
    // The close box cancels; the dialog is ended only by EndDialog, never destroyed by WM_CLOSE.
    if (message == WM_CLOSE) {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return 0;
    }
    return DefWindowProcW(dialog, message, wParam, lParam);
}

// The keyboard interface of a dialog: Enter presses the default button, Escape cancels.
bool handleDialogKey(HWND dialog, const MSG& message)
{
    if (message.hwnd != dialog || message.message != WM_KEYDOWN) return false;
    if (message.wParam == VK_ESCAPE) {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        return true;
    }
    if (message.wParam == VK_RETURN) {
        SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(dialog->defaultCommand), BN_CLICKED), 0);
        return true;
    }
    return false;
}

int defaultButtonId(const DialogTemplate& dialogTemplate)
{
    for (const DialogControl& control : dialogTemplate.controls) {
        if (control.classOrdinal == BUTTON_CLASS && (control.style & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            return control.id;
        }
    }
    return IDOK;
}

// Runs until the dialog has ended. Offscreen nobody can answer: once no message is waiting the
// dialog is cancelled, as Escape would. WM_QUIT ends the loop and is posted again for the caller's.
void runModalLoop(HWND dialog)
{
    while (isWindow(dialog) && !dialog->dialogEnded) {
        MSG message;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                PostQuitMessage(static_cast<int>(message.wParam));
                return;
            }
            if (!handleDialogKey(dialog, message)) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        } else if (offscreenWindowsInUse()) {
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
            if (!dialog->dialogEnded) EndDialog(dialog, IDCANCEL);
        } else {
            waitForDisplayEvents();
        }
    }
}

bool loadTemplate(HINSTANCE instance, LPCWSTR name, DialogTemplate* dialogTemplate)
{
    const HRSRC resource = FindResourceW(instance, name, RT_DIALOG);
    if (resource == nullptr) return false;
    return readDialogTemplate(static_cast<const BYTE*>(LockResource(LoadResource(instance, resource))),
                              SizeofResource(instance, resource), dialogTemplate);
}

}  // namespace

INT_PTR DialogBoxParamW(HINSTANCE instance, LPCWSTR templateName, HWND parent, DLGPROC procedure, LPARAM parameter)
{
    DialogTemplate dialogTemplate;
    if (procedure == nullptr || !loadTemplate(instance, templateName, &dialogTemplate)) return -1;
    const CREATESTRUCTW creation{reinterpret_cast<LPVOID>(parameter), instance, nullptr, parent, 0, 0, 0, 0,
                                 static_cast<LONG>(dialogTemplate.style), dialogTemplate.caption.c_str(),
                                 u"#32770", dialogTemplate.exStyle};
    const HWND dialog = createWindow(creation, dialogWindowProcedure, 0, nullptr, procedure, [&](HWND window) {
        if (!offscreenWindowsInUse()) return createDisplayDialog(window, dialogTemplate);
        return createOffscreenDialog(window, OFFSCREEN_DIALOG_UNITS.toPixelsX(dialogTemplate.cx),
                                     OFFSCREEN_DIALOG_UNITS.toPixelsY(dialogTemplate.cy));
    });
    if (dialog == nullptr) return -1;
    dialog->defaultCommand = defaultButtonId(dialogTemplate);
    SendMessageW(dialog, WM_SETFONT, 0, 0);
    SendMessageW(dialog, WM_INITDIALOG, 0, parameter);
    if (!dialog->dialogEnded) ShowWindow(dialog, SW_SHOW);
    runModalLoop(dialog);
    if (!isWindow(dialog)) return 0;  // destroyed with its owner
    const INT_PTR result = dialog->dialogEnded ? dialog->dialogResult : 0;
    DestroyWindow(dialog);
    return result;
}

BOOL EndDialog(HWND dialog, INT_PTR result)
{
    if (!isWindow(dialog) || dialog->dialogProcedure == nullptr) return FALSE;
    dialog->dialogEnded = true;
    dialog->dialogResult = result;
    return TRUE;
}
