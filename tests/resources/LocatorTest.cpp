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
        // Sixteen digits, as a 64-bit program writes them (mingw-w64 loads programs at 0x140000000).
        {TEXT("res://0x0000000010000000/play.png"), Kind::Resource, 0x10000000, TEXT("play.png")},
        {TEXT("res://0x00000000ABCDEF01/x"), Kind::Resource, 0xABCDEF01, TEXT("x")},
        {TEXT("res://0x0000000000000000/x"), Kind::Resource, 0, TEXT("x")},
        {TEXT("res://0x000000010000000/play.png"), Kind::Invalid, 0, nullptr},    // 15 digits
        {TEXT("res://0x00000000100000000/play.png"), Kind::Invalid, 0, nullptr},  // 17 digits
        {TEXT("res://0x000000001000000g/play.png"), Kind::Invalid, 0, nullptr},
        {TEXT("res://0x0000000010000000play.png"), Kind::Invalid, 0, nullptr},
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

// Handles are written with as many digits as a pointer has.
constexpr bool WIDE_POINTERS = sizeof(void*) == 8;

TEST(Locator, Formats)
{
    const struct {
        HMODULE module;
        const WCHAR* name;
        const WCHAR* locator;
    } cases[] = {
        {moduleValue(0x10000000), TEXT("play.png"),
         WIDE_POINTERS ? TEXT("res://0x0000000010000000/play.png") : TEXT("res://0x10000000/play.png")},
        {moduleValue(0xABCDEF01), TEXT("a"), WIDE_POINTERS ? TEXT("res://0x00000000abcdef01/a") : TEXT("res://0xabcdef01/a")},
        {moduleValue(0x00400000), TEXT("slider_body.png"),
         WIDE_POINTERS ? TEXT("res://0x0000000000400000/slider_body.png") : TEXT("res://0x00400000/slider_body.png")},
        {moduleValue(0x10000000), nullptr, WIDE_POINTERS ? TEXT("res://0x0000000010000000/") : TEXT("res://0x10000000/")},
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
    // Above 4 GB where pointers are that wide, as 64-bit Windows loads programs.
    const std::uintptr_t high = WIDE_POINTERS ? static_cast<std::uintptr_t>(0x140000000ull) : 0x40000000;
    const std::uintptr_t top = ~std::uintptr_t{0};
    for (std::uintptr_t value : {std::uintptr_t{0x00400000}, std::uintptr_t{0xFFFFFFFF}, std::uintptr_t{1}, high, top}) {
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
