// The compiled resources of assets/vexo.rc in their binary formats: accelerators, the dialog
// template, the version block and the icon.

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/linux/DialogTemplate.h"
#include "platform/linux/Icon.h"
#include "platform/win32.h"
#include "resources/WideText.h"

namespace {

struct ResourceBytes {
    const BYTE* data = nullptr;
    DWORD size = 0;
};

ResourceBytes resource(WORD id, LPCWSTR type)
{
    const HMODULE module = GetModuleHandleW(nullptr);
    const HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (found == nullptr) return {};
    return {static_cast<const BYTE*>(LockResource(LoadResource(module, found))), SizeofResource(module, found)};
}

WORD wordAt(const BYTE* at)
{
    return static_cast<WORD>(at[0] | (at[1] << 8));
}

TEST(Resources, AcceleratorTableHasOnlyCtrlO)
{
    const ResourceBytes table = resource(103, RT_ACCELERATOR);
    ASSERT_EQ(table.size, 8u);
    EXPECT_EQ(wordAt(table.data), FVIRTKEY | FCONTROL | FNOINVERT | 0x80);  // 0x80: the last entry
    EXPECT_EQ(wordAt(table.data + 2), 'O');
    EXPECT_EQ(wordAt(table.data + 4), 10005);
}

TEST(Resources, DialogTemplate102IsTheAboutBox)
{
    const ResourceBytes bytes = resource(102, RT_DIALOG);
    DialogTemplate about;
    ASSERT_TRUE(readDialogTemplate(bytes.data, bytes.size, &about));
    EXPECT_EQ(about.style, WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_FIXEDSYS);
    EXPECT_EQ(about.cx, 187);
    EXPECT_EQ(about.cy, 76);
    EXPECT_EQ(about.caption, TEXT("About VEXO"));
    EXPECT_EQ(about.faceName, TEXT("MS Shell Dlg"));
    EXPECT_EQ(about.pointSize, 8);
    EXPECT_EQ(about.weight, 400);
    EXPECT_FALSE(about.italic);

    struct Expected {
        WORD classOrdinal;
        int id;
        short x, y, cx, cy;
        DWORD style;
    };
    const Expected controls[] = {
        {STATIC_CLASS, -1, 17, 7, 20, 20, WS_CHILD | WS_VISIBLE | SS_ICON},
        {STATIC_CLASS, -1, 57, 7, 93, 8, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT},
        {STATIC_CLASS, -1, 55, 21, 104, 28, WS_CHILD | WS_VISIBLE | WS_GROUP | SS_LEFT},
        {BUTTON_CLASS, IDOK, 69, 55, 50, 14, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON},
    };
    ASSERT_EQ(about.controls.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        const DialogControl& c = about.controls[i];
        EXPECT_EQ(c.classOrdinal, controls[i].classOrdinal) << i;
        EXPECT_EQ(c.id, controls[i].id) << i;
        EXPECT_EQ(c.x, controls[i].x) << i;
        EXPECT_EQ(c.y, controls[i].y) << i;
        EXPECT_EQ(c.cx, controls[i].cx) << i;
        EXPECT_EQ(c.cy, controls[i].cy) << i;
        EXPECT_EQ(c.style, controls[i].style) << i;
    }
    EXPECT_EQ(about.controls[0].titleOrdinal, 100) << "the program's icon";
    EXPECT_EQ(about.controls[1].title, TEXT("VEXO v1.0.0002"));
    EXPECT_EQ(std::count(about.controls[2].title.begin(), about.controls[2].title.end(), TEXT('\n')), 2)
        << "the notice is three lines";
    EXPECT_EQ(about.controls[3].title, TEXT("OK"));
}

TEST(Resources, TruncatedDialogTemplatesAreRefused)
{
    const ResourceBytes bytes = resource(102, RT_DIALOG);
    DialogTemplate out;
    for (DWORD size : {0u, 4u, 30u, bytes.size / 2, bytes.size - 1}) {
        EXPECT_FALSE(readDialogTemplate(bytes.data, size, &out)) << size;
    }
}

// A VS_VERSIONINFO node: wLength, wValueLength, wType, key, padding to 4, value, children.
struct VersionNode {
    WideText key;
    const BYTE* value;
    WORD valueLength;
    const BYTE* children;
    const BYTE* end;
};

VersionNode node(const BYTE* at)
{
    VersionNode n;
    n.end = at + wordAt(at);
    n.valueLength = wordAt(at + 2);
    const BYTE* p = at + 6;
    for (; wordAt(p) != 0; p += 2) n.key += static_cast<WCHAR>(wordAt(p));
    p += 2;
    const auto align = [at](const BYTE* q) { return at + (q - at + 3) / 4 * 4; };
    n.value = align(p);
    const bool text = wordAt(at + 4) == 1;
    n.children = align(n.value + n.valueLength * (text ? 2 : 1));
    return n;
}

WideText versionString(const WideText& name)
{
    const ResourceBytes bytes = resource(1, RT_VERSION);
    const VersionNode root = node(bytes.data);
    for (const BYTE* block = root.children; block < root.end;) {
        const VersionNode info = node(block);
        if (info.key == TEXT("StringFileInfo")) {
            const VersionNode table = node(info.children);
            for (const BYTE* entry = table.children; entry < table.end;) {
                const VersionNode value = node(entry);
                if (value.key == name) return reinterpret_cast<const WCHAR*>(value.value);
                entry += (wordAt(entry) + 3) / 4 * 4;
            }
        }
        block += (wordAt(block) + 3) / 4 * 4;
    }
    return TEXT("<missing>");
}

TEST(Resources, VersionBlockSaysVersion1002)
{
    const ResourceBytes bytes = resource(1, RT_VERSION);
    ASSERT_NE(bytes.data, nullptr);
    EXPECT_EQ(wordAt(bytes.data), bytes.size);
    const VersionNode root = node(bytes.data);
    EXPECT_EQ(root.key, TEXT("VS_VERSION_INFO"));
    ASSERT_EQ(root.valueLength, 52);
    DWORD fixed[13];
    std::memcpy(fixed, root.value, sizeof(fixed));
    EXPECT_EQ(fixed[0], 0xFEEF04BDu);
    EXPECT_EQ(fixed[2], 0x00010000u) << "file version 1.0";
    EXPECT_EQ(fixed[3], 0x00000002u) << "file version .0.2";
    EXPECT_EQ(fixed[4], 0x00010000u) << "product version 1.0";
    EXPECT_EQ(versionString(TEXT("FileDescription")), TEXT("VEXO"));
    EXPECT_EQ(versionString(TEXT("FileVersion")), TEXT("1.0.0.2"));
    EXPECT_EQ(versionString(TEXT("InternalName")), TEXT("vexo.exe"));
    EXPECT_EQ(versionString(TEXT("OriginalFilename")), TEXT("vexo.exe"));
    EXPECT_EQ(versionString(TEXT("ProductName")), TEXT("vexo.exe"));
    EXPECT_EQ(versionString(TEXT("ProductVersion")), TEXT("1.0"));
}

TEST(Resources, Icon100IsA32By32ImageWithTransparentCorners)
{
    const HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(100));
    ASSERT_NE(icon, nullptr);
    ASSERT_EQ(icon->width, 32);
    ASSERT_EQ(icon->height, 32);
    const auto alpha = [&](int x, int y) { return icon->rgba[(y * 32 + x) * 4 + 3]; };
    EXPECT_EQ(alpha(0, 0), 0);
    EXPECT_EQ(alpha(31, 31), 0);
    EXPECT_EQ(alpha(16, 16), 255);
    EXPECT_EQ(icon, LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(100))) << "loaded once, shared";
    EXPECT_EQ(LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(4242)), nullptr);
    EXPECT_NE(LoadCursorW(nullptr, IDC_ARROW), nullptr);
}

}  // namespace
