// Formatting and parsing of image locators.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "resources/Locator.h"

namespace {

using Kind = ParsedLocator::Kind;

HMODULE moduleValue(std::uintptr_t value)
{
    return reinterpret_cast<HMODULE>(value);
}

std::u16string tail(LPCWSTR text)
{
    return text == nullptr ? u"(none)" : std::u16string(text);
}

std::string narrow(const std::u16string& text)
{
    return std::string(text.begin(), text.end());  // the tests' texts are ASCII
}

TEST(Locator, Parses)
{
    const struct {
        const char16_t* locator;
        Kind kind;
        std::uintptr_t module;
        const char16_t* tail;  // the resource name or the file path
    } cases[] = {
        {u"res://0x10000000/play.png", Kind::Resource, 0x10000000, u"play.png"},
        {u"res://0x10000000/PLAY.PNG", Kind::Resource, 0x10000000, u"PLAY.PNG"},
        {u"res://0xABCDEF01/x", Kind::Resource, 0xABCDEF01, u"x"},
        {u"res://0xabcdef01/x", Kind::Resource, 0xABCDEF01, u"x"},
        {u"res://0xaBcDeF01/x", Kind::Resource, 0xABCDEF01, u"x"},
        {u"res://0x00400000/skins/a.png", Kind::Resource, 0x00400000, u"skins/a.png"},
        {u"res://0x00400000/", Kind::Resource, 0x00400000, u""},
        {u"res://0X10000000/play.png", Kind::Invalid, 0, nullptr},
        {u"res://1x10000000/play.png", Kind::Invalid, 0, nullptr},
        {u"res://0x100000/play.png", Kind::Invalid, 0, nullptr},
        {u"res://0x100000000/play.png", Kind::Invalid, 0, nullptr},
        {u"res://0x10000000play.png", Kind::Invalid, 0, nullptr},
        {u"res://0x1000000g/play.png", Kind::Invalid, 0, nullptr},
        {u"res://0x1000", Kind::Invalid, 0, nullptr},
        {u"res://", Kind::Invalid, 0, nullptr},
        {u"file://C:\\images\\a.png", Kind::File, 0, u"C:\\images\\a.png"},
        {u"file:///tmp/a.png", Kind::File, 0, u"/tmp/a.png"},
        {u"file://", Kind::File, 0, u""},
        {u"RES://0x10000000/play.png", Kind::File, 0, u"RES://0x10000000/play.png"},
        {u"File://a.png", Kind::File, 0, u"File://a.png"},
        {u"/home/u/a.png", Kind::File, 0, u"/home/u/a.png"},
        {u"res:/", Kind::File, 0, u"res:/"},
        {u"", Kind::File, 0, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(narrow(c.locator));
        const ParsedLocator parsed = parseLocator(c.locator);
        EXPECT_EQ(parsed.kind, c.kind);
        if (c.kind == Kind::Resource) {
            EXPECT_EQ(parsed.module, moduleValue(c.module));
            EXPECT_EQ(tail(parsed.name), c.tail);
        }
        if (c.kind == Kind::File) {
            EXPECT_EQ(tail(parsed.path), c.tail);
        }
    }
    EXPECT_EQ(parseLocator(nullptr).kind, Kind::Invalid);
}

TEST(Locator, Formats)
{
    const struct {
        HMODULE module;
        const char16_t* name;
        const char16_t* locator;
    } cases[] = {
        {moduleValue(0x10000000), u"play.png", u"res://0x10000000/play.png"},
        {moduleValue(0xABCDEF01), u"a", u"res://0xabcdef01/a"},
        {PROGRAM_MODULE_HANDLE, u"slider_body.png", u"res://0x00400000/slider_body.png"},
        {moduleValue(0x10000000), nullptr, u"res://0x10000000/"},
        {nullptr, u"C:\\images\\a.png", u"file://C:\\images\\a.png"},
        {nullptr, nullptr, u"file://"},
    };
    for (const auto& c : cases) {
        WideString out;
        ASSERT_TRUE(makeLocator(c.module, c.name, out));
        EXPECT_EQ(std::u16string(out.data, out.length), c.locator);
        out.release();
    }
}

TEST(Locator, FormattedResourceLocatorsParseBack)
{
    for (std::uintptr_t value : {std::uintptr_t{0x00400000}, std::uintptr_t{0xFFFFFFFF}, std::uintptr_t{1}}) {
        WideString out;
        ASSERT_TRUE(makeLocator(moduleValue(value), u"n/m", out));
        const ParsedLocator parsed = parseLocator(out.data);
        EXPECT_EQ(parsed.kind, Kind::Resource);
        EXPECT_EQ(parsed.module, moduleValue(value));
        EXPECT_EQ(tail(parsed.name), u"n/m");
        out.release();
    }
}

}  // namespace
