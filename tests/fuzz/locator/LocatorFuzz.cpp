// Runs each input as a little program over WideString and the locator functions: assign, append
// (also of the string's own tail), reserve, release, makeLocator and parseLocator, checking every
// result against a plain WideText model and an independent reading of the locator grammar.
//
// Input: a sequence of operations, each an opcode byte followed by its operands. A text operand
// is a length byte and that many UTF-16 code units (little-endian); a zero unit ends the text
// early, as the functions read zero-terminated text.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "FuzzCheck.h"
#include "resources/Locator.h"
#include "resources/WideString.h"
#include "resources/WideText.h"

namespace {

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data(data), size(size) {}

    bool done() const { return at >= size; }
    std::uint8_t byte() { return at < size ? data[at++] : 0; }
    std::uint32_t u32()
    {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) value = value << 8 | byte();
        return value;
    }
    WideText text()
    {
        WideText units;
        for (int n = byte(); n > 0 && at + 1 < size; --n) {
            units.push_back(static_cast<WCHAR>(data[at] | data[at + 1] << 8));
            at += 2;
        }
        return units.substr(0, units.find(TEXT('\0')));  // the functions see the text up to its terminator
    }

private:
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
};

WideText contentOf(const WideString& s)
{
    return s.data == nullptr ? WideText() : WideText(s.data, s.length);
}

// Whenever there is a buffer it holds the content and its terminator.
void checkString(const WideString& s, const WideText& model)
{
    FUZZ_CHECK(contentOf(s) == model);
    if (s.data == nullptr) {
        FUZZ_CHECK(s.capacity == 0 && s.length == 0);
        return;
    }
    FUZZ_CHECK(s.length < s.capacity);
    FUZZ_CHECK(s.data[s.length] == 0);
}

// A reserve of n grows only when n is not less than the capacity, to the larger of twice the
// capacity and n, and to one unit at least.
void checkGrowth(std::uint32_t before, std::uint32_t n, std::uint32_t after)
{
    if (n < before) FUZZ_CHECK(after == before);
    else FUZZ_CHECK(after == std::max<std::uint64_t>({std::uint64_t{before} * 2, n, 1}));
}

bool isHex(WCHAR c)
{
    return (c >= TEXT('0') && c <= TEXT('9')) || (c >= TEXT('a') && c <= TEXT('f')) || (c >= TEXT('A') && c <= TEXT('F'));
}

// The number of hexadecimal digits from position at on.
std::size_t hexRun(const WideText& text, std::size_t at)
{
    std::size_t end = at;
    while (end < text.size() && isHex(text[end])) ++end;
    return end - at;
}

// The grammar read again from its description: "res://0x" + 8 or 16 hex digits + "/" + name, or
// "file://" + path, or a bare path.
void checkParse(const WideText& text, LPCWSTR locator)
{
    const ParsedLocator parsed = parseLocator(locator);
    if (text.rfind(TEXT("res://"), 0) == 0) {
        const std::size_t digits = text.compare(6, 2, TEXT("0x")) == 0 ? hexRun(text, 8) : 0;
        const std::size_t slash = 8 + digits;
        const bool valid = (digits == 8 || digits == 16) && slash < text.size() && text[slash] == TEXT('/');
        if (!valid) {
            FUZZ_CHECK(parsed.kind == ParsedLocator::Kind::Invalid);
            return;
        }
        FUZZ_CHECK(parsed.kind == ParsedLocator::Kind::Resource);
        const std::uint64_t value = std::stoull(std::string(text.begin() + 8, text.begin() + slash), nullptr, 16);
        FUZZ_CHECK(reinterpret_cast<std::uintptr_t>(parsed.module) == value);
        FUZZ_CHECK(parsed.name == locator + slash + 1);  // the tail of the locator itself
        return;
    }
    FUZZ_CHECK(parsed.kind == ParsedLocator::Kind::File);
    FUZZ_CHECK(parsed.path == locator + (text.rfind(TEXT("file://"), 0) == 0 ? 7 : 0));
}

// makeLocator writes what parseLocator reads back.
void checkRoundTrip(std::uint32_t moduleValue, const WideString& name, const WideText& model)
{
    WideString locator;
    const HMODULE module = reinterpret_cast<HMODULE>(std::uintptr_t{moduleValue});
    FUZZ_CHECK(makeLocator(module, name.data, locator));
    const ParsedLocator parsed = parseLocator(locator.data);
    if (module == nullptr) {
        FUZZ_CHECK(contentOf(locator) == TEXT("file://") + model);
        FUZZ_CHECK(parsed.kind == ParsedLocator::Kind::File && WideText(parsed.path) == model);
    } else {
        FUZZ_CHECK(contentOf(locator).size() == 9 + 2 * sizeof(void*) + model.size());  // as many digits as a pointer
        FUZZ_CHECK(parsed.kind == ParsedLocator::Kind::Resource);
        FUZZ_CHECK(parsed.module == module && WideText(parsed.name) == model);
    }
    locator.release();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    // Self-appends double the text, and every step costs the text's length (the operation and the
    // checks), so both the text and the work are capped in proportion to the input.
    const std::size_t cap = 16 * size + 256;
    const std::size_t budget = 256 * size + 4096;
    Input in(data, size);
    WideString s;
    WideText model;
    for (std::size_t work = 0; !in.done() && work < budget; work += model.size() + 1) {
        switch (in.byte() % 8) {
        case 0: {  // assign a text, or none
            const WideText text = in.text();
            FUZZ_CHECK(s.assign(text.empty() && in.byte() % 2 ? nullptr : text.c_str()));
            model = text;
            break;
        }
        case 1: {  // append a text, or none
            const WideText text = in.text();
            if (model.size() + text.size() > cap) break;
            FUZZ_CHECK(s.append(text.empty() && in.byte() % 2 ? nullptr : text.c_str()));
            model += text;
            break;
        }
        case 2: {  // assign the string's own tail
            if (s.data == nullptr) break;
            const std::uint32_t from = in.byte() % (s.length + 1);
            FUZZ_CHECK(s.assign(s.data + from));
            model = model.substr(from);
            break;
        }
        case 3: {  // append the string's own tail
            if (s.data == nullptr) break;
            const std::uint32_t from = in.byte() % (s.length + 1);
            if (model.size() * 2 - from > cap) break;
            FUZZ_CHECK(s.append(s.data + from));
            model += model.substr(from);
            break;
        }
        case 4: {  // reserve
            const std::uint32_t n = static_cast<std::uint32_t>(in.u32() % (cap + 1));
            const std::uint32_t before = s.capacity;
            FUZZ_CHECK(s.reserve(n));
            checkGrowth(before, n, s.capacity);
            break;
        }
        case 5:
            s.release();
            model.clear();
            break;
        case 6:
            if (s.data != nullptr) checkParse(model, s.data);
            break;
        case 7:
            checkRoundTrip(in.u32(), s, model);
            break;
        }
        checkString(s, model);
    }
    s.release();
    return 0;
}
