#pragma once

// Reading a resource script: tokens, constant expressions and the symbols the script may name.

#include <cstdint>
#include <string>

[[noreturn]] void fail(const std::string& message);

// Tokens of the script: quoted strings (returned without quotes, with "" standing for one quote
// and the C escapes \n \t \\ \" decoded), the punctuation , | { }, and words. Comments and
// preprocessor lines are skipped.
class Tokenizer {
public:
    explicit Tokenizer(std::string text) : text(std::move(text)) {}

    bool atEnd();
    std::string next(bool* quoted = nullptr);
    std::string peek(bool* quoted = nullptr);
    // Takes the next token if it equals word (case-sensitive, as the script's keywords are).
    bool accept(const std::string& word);
    void expect(const std::string& word);
    std::string string();
    // A constant expression: terms joined by '|', each a number (decimal, 0x hexadecimal, an
    // optional L suffix, a leading '-'), a known symbol, or "NOT term" (which clears bits).
    std::int64_t number();
    // Skips an optional comma and reports whether one was there.
    bool comma() { return accept(","); }
    // BEGIN or "{"; END or "}".
    void beginBlock();
    bool endBlock();

    int line() const;

private:
    void skipBlank();
    bool atLineStart() const;
    std::string quotedString();
    std::int64_t term();

    std::string text;
    size_t pos = 0;
};

bool isNumber(const std::string& token);
std::string upper(std::string text);
