#pragma once

#include "shell/Dialog.h"

// The About box: the program's icon, name and version, the maker's notice and an OK button. It
// needs no behaviour beyond Dialog's; it is a local object of the command that shows it.
class AboutDialog final : public Dialog {
public:
    static constexpr WORD TEMPLATE_ID = 102;

    INT_PTR run(HWND parent) { return runModal(TEMPLATE_ID, parent); }
};
