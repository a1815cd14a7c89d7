#pragma once

// Little-endian output in the layouts of the binary resource formats: 16- and 32-bit words,
// zero-terminated UTF-16 strings (the script is UTF-8), and alignment to word boundaries.

#include <cstdint>
#include <string>
#include <vector>

class BinaryWriter {
public:
    std::vector<unsigned char> bytes;

    void byte(std::uint32_t value) { bytes.push_back(static_cast<unsigned char>(value)); }
    void word(std::uint32_t value)
    {
        byte(value & 0xFF);
        byte((value >> 8) & 0xFF);
    }
    void dword(std::uint32_t value)
    {
        word(value & 0xFFFF);
        word(value >> 16);
    }
    void text(const std::string& utf8)
    {
        for (char16_t unit : toUtf16(utf8)) word(unit);
        word(0);
    }
    void alignTo(size_t boundary)
    {
        while (bytes.size() % boundary != 0) byte(0);
    }
    size_t size() const { return bytes.size(); }
    void patchWord(size_t offset, std::uint32_t value)
    {
        bytes[offset] = static_cast<unsigned char>(value & 0xFF);
        bytes[offset + 1] = static_cast<unsigned char>((value >> 8) & 0xFF);
    }

    static std::u16string toUtf16(const std::string& utf8)
    {
        std::u16string out;
        for (size_t i = 0; i < utf8.size();) {
            const unsigned char lead = static_cast<unsigned char>(utf8[i]);
            const int extra = lead < 0x80 ? 0 : lead < 0xE0 ? 1 : lead < 0xF0 ? 2 : 3;
            std::uint32_t code = extra == 0 ? lead : lead & (0x3F >> extra);
            for (int k = 1; k <= extra && i + k < utf8.size(); ++k) code = (code << 6) | (utf8[i + k] & 0x3F);
            i += extra + 1;
            if (code >= 0x10000) {
                code -= 0x10000;
                out += static_cast<char16_t>(0xD800 + (code >> 10));
                out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
            } else {
                out += static_cast<char16_t>(code);
            }
        }
        return out;
    }
};
