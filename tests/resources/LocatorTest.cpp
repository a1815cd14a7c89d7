// Formatting and parsing of image locators.

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "resources/Locator.h"
#include "resources/WideText.h"

namespace {

using Kind = ParsedLocator::Kind;

HMODULE moduleValue(std::uintptr_t value)
{
    return reinterpret_cast<HMODULE>(value);
}

WideText tail(LPCWSTR text)
{
    return text == nullptr ? TEXT("(none)") : WideText(text);
}

std::string narrow(const WideText& text)
{
    return std::string(text.begin(), text.end());  // the tests' texts are ASCII
}

TEST(Locator, Parses)
{
    const struct {
        const WCHAR* locator;
        Kind kind;
        std::uintptr_t module;
        const WCHAR* tail;  // the resource name or the file path
    } cases[] = {
        {TEXT("res://0x10000000/play.png"), Kind::Resource, 0x10000000, TEXT("play.png")},
        {TEXT("res://0x10000000/PLAY.PNG"), Kind::Resource, 0x10000000, TEXT("PLAY.PNG")},
        {TEXT("res://0xABCDEF01/x"), Kind::Resource, 0xABCDEF01, TEXT("x")},
        {TEXT("res://0xabcdef01/x"), Kind::Resource, 0xABCDEF01, TEXT("x")},
        {TEXT("res://0xaBcDeF01/x"), Kind::Resource, 0xABCDEF01, TEXT("x")},
        {TEXT("res://0x00400000/skins/a.png"), Kind::Resource, 0x00400000, TEXT("skins/a.png")},
        {TEXT("res://0x00400000/"), Kind::Resource, 0x00400000, TEXT("")},
        {TEXT("res://0X10000000/play.png"), Kind::Invalid, 0, nullptr},
        {TEXT("res://1x10000000/play.png"), Kind::Invalid, 0, nullptr},
        {TEXT("res://0x100000/play.png"), Kind::Invalid, 0, nullptr},
        {TEXT("res://0x100000000/play.png"), Kind::Invalid, 0, nullptr},
        {TEXT("res://0x10000000play.png"), Kind::Invalid, 0, nullptr},
        {TEXT("res://0x1000000g/play.png"), Kind::Invalid, 0, nullptr},
        {TEXT("res://0x1000"), Kind::Invalid, 0, nullptr},
        {TEXT("res://"), Kind::Invalid, 0, nullptr},
        {TEXT("file://C:\\images\\a.png"), Kind::File, 0, TEXT("C:\\images\\a.png")},
        {TEXT("file:///tmp/a.png"), Kind::File, 0, TEXT("/tmp/a.png")},
        {TEXT("file://"), Kind::File, 0, TEXT("")},
        {TEXT("RES://0x10000000/play.png"), Kind::File, 0, TEXT("RES://0x10000000/play.png")},
        {TEXT("File://a.png"), Kind::File, 0, TEXT("File://a.png")},
        {TEXT("/home/u/a.png"), Kind::File, 0, TEXT("/home/u/a.png")},
        {TEXT("res:/"), Kind::File, 0, TEXT("res:/")},
        {TEXT(""), Kind::File, 0, TEXT("")},
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
        const WCHAR* name;
        const WCHAR* locator;
    } cases[] = {
        {moduleValue(0x10000000), TEXT("play.png"), TEXT("res://0x10000000/play.png")},
        {moduleValue(0xABCDEF01), TEXT("a"), TEXT("res://0xabcdef01/a")},
        {PROGRAM_MODULE_HANDLE, TEXT("slider_body.png"), TEXT("res://0x00400000/slider_body.png")},
        {moduleValue(0x10000000), nullptr, TEXT("res://0x10000000/")},
        {nullptr, TEXT("C:\\images\\a.png"), TEXT("file://C:\\images\\a.png")},
        {nullptr, nullptr, TEXT("file://")},
    };
    for (const auto& c : cases) {
        WideString out;
        ASSERT_TRUE(makeLocator(c.module, c.name, out));
        EXPECT_EQ(WideText(out.data, out.length), c.locator);
        out.release();
    }
}

TEST(Locator, FormattedResourceLocatorsParseBack)
{
    for (std::uintptr_t value : {std::uintptr_t{0x00400000}, std::uintptr_t{0xFFFFFFFF}, std::uintptr_t{1}}) {
        WideString out;
        ASSERT_TRUE(makeLocator(moduleValue(value), TEXT("n/m"), out));
        const ParsedLocator parsed = parseLocator(out.data);
        EXPECT_EQ(parsed.kind, Kind::Resource);
        EXPECT_EQ(parsed.module, moduleValue(value));
        EXPECT_EQ(tail(parsed.name), TEXT("n/m"));
        out.release();
    }
}

}  // namespace
