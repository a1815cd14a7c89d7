// Reading extended dialog templates from dialog resources.

#include "platform/linux/DialogTemplate.h"

#include <cstring>

namespace {

// A bounds-checked little-endian reader over the template's bytes.
class TemplateReader {
public:
    TemplateReader(const BYTE* data, DWORD size) : data(data), size(size) {}

    bool ok() const { return good; }
    WORD word()
    {
        if (pos + 2 > size) return fail();
        const WORD value = static_cast<WORD>(data[pos] | (data[pos + 1] << 8));
        pos += 2;
        return value;
    }
    DWORD dword()
    {
        const DWORD low = word();
        return low | (static_cast<DWORD>(word()) << 16);
    }
    BYTE byte()
    {
        if (pos + 1 > size) return static_cast<BYTE>(fail());
        return data[pos++];
    }
    short coordinate() { return static_cast<short>(word()); }
    std::u16string text()
    {
        std::u16string value;
        for (WORD unit = word(); good && unit != 0; unit = word()) value += static_cast<char16_t>(unit);
        return value;
    }
    // A name or ordinal: 0 (none), 0xFFFF followed by an ordinal, or zero-terminated text.
    void nameOrOrdinal(WORD* ordinal, std::u16string* name)
    {
        *ordinal = 0;
        const WORD first = word();
        if (first == 0xFFFF) {
            *ordinal = word();
        } else if (first != 0) {
            *name = static_cast<char16_t>(first);
            *name += text();
        }
    }
    void alignTo(DWORD boundary) { pos = (pos + boundary - 1) / boundary * boundary; }
    void skip(DWORD bytes)
    {
        if (pos + bytes > size) fail();
        else pos += bytes;
    }

private:
    WORD fail()
    {
        good = false;
        pos = size;
        return 0;
    }

    const BYTE* data;
    DWORD size;
    DWORD pos = 0;
    bool good = true;
};

DialogControl readControl(TemplateReader& in)
{
    DialogControl control;
    in.alignTo(4);
    in.dword();  // help id
    control.exStyle = in.dword();
    control.style = in.dword();
    control.x = in.coordinate();
    control.y = in.coordinate();
    control.cx = in.coordinate();
    control.cy = in.coordinate();
    control.id = static_cast<int>(in.dword());
    in.nameOrOrdinal(&control.classOrdinal, &control.className);
    in.nameOrOrdinal(&control.titleOrdinal, &control.title);
    in.skip(in.word());  // creation data
    return control;
}

}  // namespace

bool readDialogTemplate(const BYTE* data, DWORD size, DialogTemplate* out)
{
    TemplateReader in(data, size);
    if (in.word() != 1 || in.word() != 0xFFFF) return false;
    DialogTemplate result;
    in.dword();  // help id
    result.exStyle = in.dword();
    result.style = in.dword();
    const WORD count = in.word();
    result.x = in.coordinate();
    result.y = in.coordinate();
    result.cx = in.coordinate();
    result.cy = in.coordinate();
    WORD ordinal;
    std::u16string name;
    in.nameOrOrdinal(&ordinal, &name);  // menu: dialogs here have none
    in.nameOrOrdinal(&ordinal, &name);  // class: the standard dialog class
    result.caption = in.text();
    if (result.style & DS_SETFONT) {
        result.pointSize = in.word();
        result.weight = in.word();
        result.italic = in.byte() != 0;
        in.byte();  // character set
        result.faceName = in.text();
    }
    for (WORD i = 0; i < count && in.ok(); ++i) result.controls.push_back(readControl(in));
    if (!in.ok()) return false;
    *out = std::move(result);
    return true;
}
