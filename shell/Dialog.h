#pragma once

#include "platform/win32.h"

// Binds a modal dialog built from a dialog template to an object, as Window does for the main
// window: from WM_INITDIALOG on, hwnd is the dialog and every message reaches dialogMessage.
class Dialog {
public:
    Dialog() = default;
    virtual ~Dialog() = default;
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Shows the dialog of the program's template over parent and returns when it has ended: 1 after
    // OK, 2 after Escape or the close box, -1 when it could not be made.
    INT_PTR runModal(WORD templateId, HWND parent);

    // Centres the dialog over the parent's client area.
    virtual void onInitDialog();
    // WM_INITDIALOG: onInitDialog, then 1 (the system focuses the default control). WM_COMMAND:
    // onCommand. Everything else: 0, the system's default dialog handling.
    virtual INT_PTR dialogMessage(UINT message, WPARAM wParam, LPARAM lParam);
    // IDOK ends with onOk, IDCANCEL with onCancel; other commands leave the dialog open.
    virtual void onCommand(WORD command);
    virtual void onOk();
    virtual void onCancel();

    // Places the dialog so that its client area is centred over the parent's client area, the
    // offset computed from the two client sizes, so the box sits lower right by half its frame.
    void centerOverParent();

    HWND hwnd = nullptr;
};

// The dialog procedure of bound dialogs. Messages before WM_INITDIALOG (such as WM_SETFONT) have no
// object yet and are answered with 0.
INT_PTR CALLBACK dialogProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
