#include "shell/Dialog.h"

INT_PTR Dialog::runModal(WORD templateId, HWND parent)
{
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId), parent, dialogProcedure,
                           reinterpret_cast<LPARAM>(this));
}

void Dialog::onInitDialog()
{
    centerOverParent();
}

INT_PTR Dialog::dialogMessage(UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        onInitDialog();
        return 1;
    case WM_COMMAND:
        onCommand(LOWORD(wParam));
        return 0;
    default:
        return 0;
    }
}

void Dialog::onCommand(WORD command)
{
    if (command == IDOK) onOk();
    else if (command == IDCANCEL) onCancel();
}

void Dialog::onOk()
{
    EndDialog(hwnd, IDOK);
}

void Dialog::onCancel()
{
    EndDialog(hwnd, IDCANCEL);
}

void Dialog::centerOverParent()
{
    const HWND parent = GetParent(hwnd);
    RECT parentArea{}, ownArea{};
    GetClientRect(parent, &parentArea);
    GetClientRect(hwnd, &ownArea);
    POINT corner{(parentArea.right - ownArea.right) / 2, (parentArea.bottom - ownArea.bottom) / 2};
    ClientToScreen(parent, &corner);
    SetWindowPos(hwnd, nullptr, corner.x, corner.y, 0, 0, SWP_NOSIZE | SWP_NOOWNERZORDER);
}

INT_PTR CALLBACK dialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    Dialog* object;
    if (message == WM_INITDIALOG) {
        object = reinterpret_cast<Dialog*>(lParam);
        if (object == nullptr) return 0;
        object->hwnd = dialog;
        SetWindowLongPtrW(dialog, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    } else {
        object = reinterpret_cast<Dialog*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
    }
    if (object == nullptr) return 0;
    return object->dialogMessage(message, wParam, lParam);
}
