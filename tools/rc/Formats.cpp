// Binary resource formats, written as the platform's resource readers expect them (the layouts of
// the real formats, little-endian).

#include "Formats.h"

#include <map>

#include "BinaryWriter.h"

namespace {

// ---------------------------------------------------------------------------------------------
// MENU: a header of two zero words, then the items; a popup (MF_POPUP) is followed by its own
// items, and the last item of every level carries MF_END.
// ---------------------------------------------------------------------------------------------

constexpr std::uint32_t MF_GRAYED = 0x01, MF_CHECKED = 0x08, MF_POPUP = 0x10, MF_END = 0x80;

struct MenuItem {
    std::string text;
    std::uint32_t flags = 0;
    std::uint32_t id = 0;
    std::vector<MenuItem> children;  // a popup's items
};

std::uint32_t menuOptions(Tokenizer& tokens)
{
    static const std::map<std::string, std::uint32_t> options = {
        {"CHECKED", MF_CHECKED}, {"GRAYED", MF_GRAYED}, {"INACTIVE", 0x02},
        {"MENUBARBREAK", 0x20},  {"MENUBREAK", 0x40},   {"HELP", 0x4000}};
    std::uint32_t flags = 0;
    for (;;) {
        const bool hadComma = tokens.comma();
        const auto option = options.find(tokens.peek());
        if (option == options.end()) {
            if (hadComma) fail("line " + std::to_string(tokens.line()) + ": unknown menu option " + tokens.peek());
            return flags;
        }
        tokens.next();
        flags |= option->second;
    }
}

std::vector<MenuItem> menuItems(Tokenizer& tokens)
{
    std::vector<MenuItem> items;
    tokens.beginBlock();
    while (!tokens.endBlock()) {
        MenuItem item;
        if (tokens.accept("POPUP")) {
            item.text = tokens.string();
            item.flags = MF_POPUP | menuOptions(tokens);
            item.children = menuItems(tokens);
        } else if (tokens.accept("MENUITEM")) {
            if (!tokens.accept("SEPARATOR")) {
                item.text = tokens.string();
                tokens.expect(",");
                item.id = static_cast<std::uint32_t>(tokens.number());
                item.flags = menuOptions(tokens);
            }
        } else {
            fail("line " + std::to_string(tokens.line()) + ": expected POPUP or MENUITEM, found " + tokens.peek());
        }
        items.push_back(std::move(item));
    }
    return items;
}

void writeMenuItems(BinaryWriter& out, const std::vector<MenuItem>& items)
{
    for (size_t i = 0; i < items.size(); ++i) {
        const MenuItem& item = items[i];
        const std::uint32_t end = i + 1 == items.size() ? MF_END : 0;
        out.word(item.flags | end);
        if (!(item.flags & MF_POPUP)) out.word(item.id);
        out.text(item.text);
        if (item.flags & MF_POPUP) writeMenuItems(out, item.children);
    }
}

// Options between the resource type and BEGIN (memory flags, LANGUAGE, ...) mean nothing here.
void skipToBlock(Tokenizer& tokens)
{
    while (tokens.peek() != "BEGIN" && tokens.peek() != "{") tokens.next();
}

// ---------------------------------------------------------------------------------------------
// DIALOGEX: the extended dialog template, then each control's item template on a 4-byte
// boundary. Window classes and icon titles may be ordinals: 0xFFFF followed by the number.
// ---------------------------------------------------------------------------------------------

constexpr std::uint32_t DS_SETFONT = 0x40;
constexpr std::uint32_t WS_CHILD = 0x40000000, WS_VISIBLE = 0x10000000, WS_GROUP = 0x00020000,
                        WS_TABSTOP = 0x00010000;
constexpr std::uint32_t CLASS_BUTTON = 0x0080, CLASS_STATIC = 0x0082;

struct Control {
    std::string title;  // or, when titleIsOrdinal, the number as text
    bool titleIsOrdinal = false;
    std::int64_t id = 0;
    std::uint32_t classOrdinal = 0;
    std::int64_t x = 0, y = 0, cx = 0, cy = 0;
    std::uint32_t style = 0, exStyle = 0;
};

struct ControlKind {
    std::uint32_t classOrdinal;
    std::uint32_t defaultStyle;
};

const std::map<std::string, ControlKind> CONTROL_KINDS = {
    {"LTEXT", {CLASS_STATIC, 0x0 | WS_GROUP}},
    {"CTEXT", {CLASS_STATIC, 0x1 | WS_GROUP}},
    {"RTEXT", {CLASS_STATIC, 0x2 | WS_GROUP}},
    {"ICON", {CLASS_STATIC, 0x3}},
    {"PUSHBUTTON", {CLASS_BUTTON, 0x0 | WS_TABSTOP}},
    {"DEFPUSHBUTTON", {CLASS_BUTTON, 0x1 | WS_TABSTOP}},
};

// KIND title, id, x, y, cx, cy [, style [, exstyle]]
Control control(Tokenizer& tokens, const ControlKind& kind)
{
    Control c;
    bool quoted = false;
    const std::string title = tokens.peek(&quoted);
    if (quoted) {
        c.title = tokens.string();
    } else {
        c.title = std::to_string(tokens.number());
        c.titleIsOrdinal = true;
    }
    c.classOrdinal = kind.classOrdinal;
    tokens.expect(",");
    c.id = tokens.number();
    for (std::int64_t* field : {&c.x, &c.y, &c.cx, &c.cy}) {
        tokens.expect(",");
        *field = tokens.number();
    }
    c.style = WS_CHILD | WS_VISIBLE | kind.defaultStyle;
    if (tokens.comma()) c.style |= static_cast<std::uint32_t>(tokens.number());
    if (tokens.comma()) c.exStyle = static_cast<std::uint32_t>(tokens.number());
    return c;
}

void writeControl(BinaryWriter& out, const Control& c)
{
    out.alignTo(4);
    out.dword(0);  // help id
    out.dword(c.exStyle);
    out.dword(c.style);
    for (std::int64_t value : {c.x, c.y, c.cx, c.cy}) out.word(static_cast<std::uint32_t>(value));
    out.dword(static_cast<std::uint32_t>(c.id));
    out.word(0xFFFF);
    out.word(c.classOrdinal);
    if (c.titleIsOrdinal) {
        out.word(0xFFFF);
        out.word(static_cast<std::uint32_t>(std::stol(c.title)));
    } else {
        out.text(c.title);
    }
    out.word(0);  // no creation data
}

// ---------------------------------------------------------------------------------------------
// VERSIONINFO: a tree of blocks, each wLength, wValueLength, wType, key, padding, value,
// padding, children; the root's value is VS_FIXEDFILEINFO.
// ---------------------------------------------------------------------------------------------

struct VersionNode {
    std::string key;
    bool isText = false;
    Bytes value;
    std::uint32_t valueLength = 0;  // in UTF-16 units (with the terminator) for text, bytes otherwise
    std::vector<VersionNode> children;
};

void writeVersionNode(BinaryWriter& out, const VersionNode& node)
{
    out.alignTo(4);
    const size_t start = out.size();
    out.word(0);  // wLength, patched below
    out.word(node.valueLength);
    out.word(node.isText ? 1 : 0);
    out.text(node.key);
    out.alignTo(4);
    out.bytes.insert(out.bytes.end(), node.value.begin(), node.value.end());
    for (const VersionNode& child : node.children) writeVersionNode(out, child);
    out.patchWord(start, static_cast<std::uint32_t>(out.size() - start));
}

// VALUE "key", "text" or VALUE "key", number, number, ... (16-bit words).
VersionNode versionValue(Tokenizer& tokens)
{
    VersionNode node;
    node.key = tokens.string();
    tokens.expect(",");
    bool quoted = false;
    tokens.peek(&quoted);
    BinaryWriter value;
    if (quoted) {
        const std::string text = tokens.string();
        value.text(text);
        node.isText = true;
        node.valueLength = static_cast<std::uint32_t>(value.size() / 2);
    } else {
        do value.word(static_cast<std::uint32_t>(tokens.number()));
        while (tokens.comma());
        node.valueLength = static_cast<std::uint32_t>(value.size());
    }
    node.value = std::move(value.bytes);
    return node;
}

std::vector<VersionNode> versionBlock(Tokenizer& tokens)
{
    std::vector<VersionNode> nodes;
    tokens.beginBlock();
    while (!tokens.endBlock()) {
        if (tokens.accept("BLOCK")) {
            VersionNode block;
            block.key = tokens.string();
            block.isText = true;
            block.children = versionBlock(tokens);
            nodes.push_back(std::move(block));
        } else {
            tokens.expect("VALUE");
            nodes.push_back(versionValue(tokens));
        }
    }
    return nodes;
}

std::uint32_t readWord(const Bytes& bytes, size_t at)
{
    if (at + 2 > bytes.size()) fail("icon file is truncated");
    return bytes[at] | (bytes[at + 1] << 8);
}

std::uint32_t readDword(const Bytes& bytes, size_t at)
{
    return readWord(bytes, at) | (readWord(bytes, at + 2) << 16);
}

}  // namespace

Bytes compileMenu(Tokenizer& tokens)
{
    skipToBlock(tokens);
    BinaryWriter out;
    out.word(0);  // version
    out.word(0);  // header size
    writeMenuItems(out, menuItems(tokens));
    return out.bytes;
}

Bytes compileDialogEx(Tokenizer& tokens)
{
    std::int64_t frame[4];
    for (int i = 0; i < 4; ++i) {
        if (i > 0) tokens.expect(",");
        frame[i] = tokens.number();
    }
    std::uint32_t helpId = tokens.comma() ? static_cast<std::uint32_t>(tokens.number()) : 0;
    std::uint32_t style = 0, exStyle = 0;
    std::string caption, face;
    std::int64_t pointSize = 0, weight = 400, italic = 0, charset = 1;
    while (tokens.peek() != "BEGIN" && tokens.peek() != "{") {
        if (tokens.accept("STYLE")) style = static_cast<std::uint32_t>(tokens.number());
        else if (tokens.accept("EXSTYLE")) exStyle = static_cast<std::uint32_t>(tokens.number());
        else if (tokens.accept("CAPTION")) caption = tokens.string();
        else if (tokens.accept("FONT")) {
            pointSize = tokens.number();
            tokens.expect(",");
            face = tokens.string();
            if (tokens.comma()) weight = tokens.number();
            if (tokens.comma()) italic = tokens.number();
            if (tokens.comma()) charset = tokens.number();
            style |= DS_SETFONT;
        } else {
            fail("line " + std::to_string(tokens.line()) + ": unknown dialog option " + tokens.peek());
        }
    }
    std::vector<Control> controls;
    tokens.beginBlock();
    while (!tokens.endBlock()) {
        const std::string keyword = tokens.next();
        const auto kind = CONTROL_KINDS.find(keyword);
        if (kind == CONTROL_KINDS.end()) fail("line " + std::to_string(tokens.line()) + ": unknown control " + keyword);
        controls.push_back(control(tokens, kind->second));
    }

    BinaryWriter out;
    out.word(1);       // dlgVer
    out.word(0xFFFF);  // signature of the extended template
    out.dword(helpId);
    out.dword(exStyle);
    out.dword(style);
    out.word(static_cast<std::uint32_t>(controls.size()));
    for (std::int64_t value : frame) out.word(static_cast<std::uint32_t>(value));
    out.word(0);  // no menu
    out.word(0);  // the standard dialog class
    out.text(caption);
    if (style & DS_SETFONT) {
        out.word(static_cast<std::uint32_t>(pointSize));
        out.word(static_cast<std::uint32_t>(weight));
        out.byte(static_cast<std::uint32_t>(italic));
        out.byte(static_cast<std::uint32_t>(charset));
        out.text(face);
    }
    for (const Control& c : controls) writeControl(out, c);
    return out.bytes;
}

// Each entry: fFlags, key, command, padding (four words); the last has 0x80 in fFlags.
// "c" is the character, "^c" its control character; with VIRTKEY the key is a virtual-key code.
Bytes compileAccelerators(Tokenizer& tokens)
{
    static const std::map<std::string, std::uint32_t> options = {
        {"VIRTKEY", 0x01}, {"ASCII", 0x00}, {"NOINVERT", 0x02}, {"SHIFT", 0x04}, {"CONTROL", 0x08}, {"ALT", 0x10}};
    skipToBlock(tokens);
    tokens.beginBlock();
    BinaryWriter out;
    size_t lastFlags = 0;
    bool any = false;
    while (!tokens.endBlock()) {
        bool quoted = false;
        tokens.peek(&quoted);
        std::uint32_t key;
        if (quoted) {
            const std::string text = tokens.string();
            if (text.size() == 2 && text[0] == '^') key = static_cast<std::uint32_t>(std::toupper(text[1]) - '@');
            else if (text.size() == 1) key = static_cast<unsigned char>(text[0]);
            else fail("line " + std::to_string(tokens.line()) + ": bad accelerator key \"" + text + "\"");
        } else {
            key = static_cast<std::uint32_t>(tokens.number());
        }
        tokens.expect(",");
        const std::uint32_t command = static_cast<std::uint32_t>(tokens.number());
        std::uint32_t flags = 0;
        while (tokens.comma()) {
            const auto option = options.find(tokens.next());
            if (option == options.end()) fail("line " + std::to_string(tokens.line()) + ": unknown accelerator option");
            flags |= option->second;
        }
        lastFlags = out.size();
        any = true;
        out.word(flags);
        out.word(key);
        out.word(command);
        out.word(0);
    }
    if (any) out.bytes[lastFlags] |= 0x80;
    return out.bytes;
}

Bytes compileVersionInfo(Tokenizer& tokens)
{
    // FILEVERSION and PRODUCTVERSION take four numbers; the other fixed fields one.
    std::map<std::string, std::vector<std::uint32_t>> fixed = {
        {"FILEVERSION", {0, 0, 0, 0}}, {"PRODUCTVERSION", {0, 0, 0, 0}}, {"FILEFLAGSMASK", {0}}, {"FILEFLAGS", {0}},
        {"FILEOS", {0}},               {"FILETYPE", {0}},               {"FILESUBTYPE", {0}}};
    while (tokens.peek() != "BEGIN" && tokens.peek() != "{") {
        const std::string field = tokens.next();
        const auto entry = fixed.find(field);
        if (entry == fixed.end()) fail("line " + std::to_string(tokens.line()) + ": unknown version field " + field);
        for (size_t i = 0; i < entry->second.size(); ++i) {
            if (i > 0 && !tokens.comma()) break;
            entry->second[i] = static_cast<std::uint32_t>(tokens.number());
        }
    }
    const auto& file = fixed["FILEVERSION"];
    const auto& product = fixed["PRODUCTVERSION"];
    BinaryWriter info;
    for (std::uint32_t value : {0xFEEF04BDu, 0x00010000u, (file[0] << 16) | file[1], (file[2] << 16) | file[3],
                                (product[0] << 16) | product[1], (product[2] << 16) | product[3],
                                fixed["FILEFLAGSMASK"][0], fixed["FILEFLAGS"][0], fixed["FILEOS"][0],
                                fixed["FILETYPE"][0], fixed["FILESUBTYPE"][0], 0u, 0u}) {
        info.dword(value);
    }
    VersionNode root;
    root.key = "VS_VERSION_INFO";
    root.value = std::move(info.bytes);
    root.valueLength = static_cast<std::uint32_t>(root.value.size());
    root.children = versionBlock(tokens);
    BinaryWriter out;
    writeVersionNode(out, root);
    return out.bytes;
}

IconResources splitIconFile(const Bytes& file, int firstImageId)
{
    if (readWord(file, 0) != 0 || readWord(file, 2) != 1) fail("not an icon file");
    const std::uint32_t count = readWord(file, 4);
    IconResources icon;
    BinaryWriter group;
    group.word(0);
    group.word(1);
    group.word(count);
    for (std::uint32_t i = 0; i < count; ++i) {
        const size_t entry = 6 + 16 * i;
        const std::uint32_t size = readDword(file, entry + 8), offset = readDword(file, entry + 12);
        if (offset + size > file.size()) fail("icon image lies outside the file");
        for (size_t k = 0; k < 12; ++k) group.byte(file[entry + k]);  // sizes, colours, planes, bits, bytes
        group.word(firstImageId + i);
        icon.images.emplace_back(file.begin() + offset, file.begin() + offset + size);
    }
    icon.group = std::move(group.bytes);
    return icon;
}
