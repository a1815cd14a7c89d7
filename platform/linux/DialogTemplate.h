#pragma once

// The extended dialog template (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX items), read from a
// dialog resource (platform-internal). Positions and sizes are in dialog units.

#include <string>
#include <vector>

#include "platform/win32.h"

constexpr DWORD DS_SETFONT = 0x40;
constexpr DWORD DS_MODALFRAME = 0x80;
constexpr DWORD DS_FIXEDSYS = 0x08;
constexpr DWORD SS_TYPEMASK = 0x1F;
constexpr DWORD SS_LEFT = 0x00;
constexpr DWORD SS_CENTER = 0x01;
constexpr DWORD SS_RIGHT = 0x02;
constexpr DWORD SS_ICON = 0x03;
constexpr DWORD BS_TYPEMASK = 0x0F;
constexpr DWORD BS_DEFPUSHBUTTON = 0x01;
constexpr WORD BUTTON_CLASS = 0x0080;
constexpr WORD STATIC_CLASS = 0x0082;

struct DialogControl {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    WORD classOrdinal = 0;  // BUTTON_CLASS, STATIC_CLASS, ...; 0 when named
    std::u16string className;
    WORD titleOrdinal = 0;  // a resource id (an SS_ICON's icon); 0 when the title is text
    std::u16string title;
};

struct DialogTemplate {
    DWORD style = 0;
    DWORD exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    std::u16string caption;
    WORD pointSize = 0;  // with DS_SETFONT
    WORD weight = 0;
    bool italic = false;
    std::u16string faceName;
    std::vector<DialogControl> controls;
};

// False when the bytes are not a complete extended dialog template.
bool readDialogTemplate(const BYTE* data, DWORD size, DialogTemplate* out);

// Dialog units to pixels with the dialog font's base units: a horizontal unit is a quarter of the
// average character width, a vertical unit an eighth of the character height.
struct DialogUnits {
    int baseX;
    int baseY;
    int toPixelsX(int units) const { return MulDiv(units, baseX, 4); }
    int toPixelsY(int units) const { return MulDiv(units, baseY, 8); }
};
