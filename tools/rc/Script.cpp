// Tokens and constant expressions of a resource script.

#include "Script.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>

namespace {

// The constants of the platform headers that a script may use by name.
const std::map<std::string, std::int64_t> SYMBOLS = {
    {"WS_OVERLAPPED", 0x00000000},  {"WS_POPUP", 0x80000000},     {"WS_CHILD", 0x40000000},
    {"WS_VISIBLE", 0x10000000},     {"WS_DISABLED", 0x08000000},  {"WS_CAPTION", 0x00C00000},
    {"WS_BORDER", 0x00800000},      {"WS_DLGFRAME", 0x00400000},  {"WS_SYSMENU", 0x00080000},
    {"WS_THICKFRAME", 0x00040000},  {"WS_GROUP", 0x00020000},     {"WS_TABSTOP", 0x00010000},
    {"WS_EX_ACCEPTFILES", 0x10},    {"DS_SETFONT", 0x40},         {"DS_MODALFRAME", 0x80},
    {"DS_FIXEDSYS", 0x08},          {"DS_SHELLFONT", 0x48},       {"DS_CENTER", 0x800},
    {"SS_LEFT", 0},                 {"SS_CENTER", 1},             {"SS_RIGHT", 2},
    {"SS_ICON", 3},                 {"SS_NOPREFIX", 0x80},        {"BS_PUSHBUTTON", 0},
    {"BS_DEFPUSHBUTTON", 1},        {"IDOK", 1},                  {"IDCANCEL", 2},
    {"IDC_STATIC", -1},             {"VS_FF_DEBUG", 1},           {"VS_FF_PRERELEASE", 2},
    {"VS_FFI_FILEFLAGSMASK", 0x3F}, {"VOS__WINDOWS32", 4},        {"VOS_NT_WINDOWS32", 0x40004},
    {"VFT_APP", 1},                 {"VFT2_UNKNOWN", 0},
};

}  // namespace

void fail(const std::string& message)
{
    std::fprintf(stderr, "vexo_rc: %s\n", message.c_str());
    std::exit(1);
}

bool isNumber(const std::string& token)
{
    const size_t digit = !token.empty() && token[0] == '-' ? 1 : 0;
    return token.size() > digit && std::isdigit(static_cast<unsigned char>(token[digit]));
}

std::string upper(std::string text)
{
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

bool Tokenizer::atEnd()
{
    skipBlank();
    return pos >= text.size();
}

std::string Tokenizer::next(bool* quoted)
{
    skipBlank();
    if (pos >= text.size()) fail("unexpected end of the script");
    if (quoted != nullptr) *quoted = text[pos] == '"';
    const std::string punctuation = ",|{}";
    if (punctuation.find(text[pos]) != std::string::npos) return std::string(1, text[pos++]);
    if (text[pos] == '"') return quotedString();
    const size_t start = pos;
    while (pos < text.size() && !std::isspace(static_cast<unsigned char>(text[pos])) &&
           punctuation.find(text[pos]) == std::string::npos && text[pos] != '"') {
        ++pos;
    }
    return text.substr(start, pos - start);
}

std::string Tokenizer::peek(bool* quoted)
{
    if (atEnd()) return {};
    const size_t saved = pos;
    std::string token = next(quoted);
    pos = saved;
    return token;
}

bool Tokenizer::accept(const std::string& word)
{
    bool quoted = false;
    if (atEnd() || peek(&quoted) != word || quoted) return false;
    next();
    return true;
}

void Tokenizer::expect(const std::string& word)
{
    if (!accept(word)) fail("line " + std::to_string(line()) + ": expected " + word + ", found " + peek());
}

std::string Tokenizer::string()
{
    bool quoted;
    std::string token = next(&quoted);
    if (!quoted) fail("line " + std::to_string(line()) + ": expected a quoted string, found " + token);
    return token;
}

std::int64_t Tokenizer::number()
{
    std::int64_t value = term();
    while (accept("|")) {
        if (accept("NOT")) value &= ~term();
        else value |= term();
    }
    return value;
}

std::int64_t Tokenizer::term()
{
    const std::string token = next();
    if (isNumber(token)) {
        char* end = nullptr;
        const std::int64_t value = std::strtoll(token.c_str(), &end, 0);
        if (*end == 'L' || *end == 'l') ++end;
        if (*end != 0) fail("line " + std::to_string(line()) + ": bad number " + token);
        return value;
    }
    const auto symbol = SYMBOLS.find(token);
    if (symbol == SYMBOLS.end()) fail("line " + std::to_string(line()) + ": unknown symbol " + token);
    return symbol->second;
}

void Tokenizer::beginBlock()
{
    if (!accept("BEGIN") && !accept("{")) fail("line " + std::to_string(line()) + ": expected BEGIN");
}

bool Tokenizer::endBlock()
{
    return accept("END") || accept("}");
}

int Tokenizer::line() const
{
    int count = 1;
    for (size_t i = 0; i < pos && i < text.size(); ++i) count += text[i] == '\n';
    return count;
}

void Tokenizer::skipBlank()
{
    for (;;) {
        while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
        if (text.compare(pos, 2, "//") == 0 || (text.compare(pos, 1, "#") == 0 && atLineStart())) {
            pos = text.find('\n', pos);
            if (pos == std::string::npos) pos = text.size();
        } else if (text.compare(pos, 2, "/*") == 0) {
            pos = text.find("*/", pos);
            pos = pos == std::string::npos ? text.size() : pos + 2;
        } else {
            return;
        }
    }
}

bool Tokenizer::atLineStart() const
{
    size_t p = pos;
    while (p > 0 && (text[p - 1] == ' ' || text[p - 1] == '\t')) --p;
    return p == 0 || text[p - 1] == '\n';
}

std::string Tokenizer::quotedString()
{
    std::string value;
    for (++pos; pos < text.size(); ++pos) {
        const char c = text[pos];
        if (c == '"') {
            if (pos + 1 < text.size() && text[pos + 1] == '"') {
                value += '"';
                ++pos;
                continue;
            }
            ++pos;
            return value;
        }
        if (c == '\\' && pos + 1 < text.size()) {
            const char escaped = text[++pos];
            value += escaped == 'n' ? '\n' : escaped == 't' ? '\t' : escaped;
            continue;
        }
        value += c;
    }
    fail("unterminated string");
}
