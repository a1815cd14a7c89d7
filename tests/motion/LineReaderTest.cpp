// LineReader over a binary stream must hand out exactly the lines a text-mode stream gives.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "TempFile.h"
#include "motion/LineReader.h"
#include "platform/win32.h"

namespace {

// The lines LineReader hands out from the file opened in binary mode.
std::vector<std::string> readerLines(const TempFile& file)
{
    std::FILE* stream = _wfopen(file.path(), TEXT("rb"));
    EXPECT_NE(stream, nullptr);
    std::vector<std::string> lines;
    LineReader reader(stream);
    while (const char* line = reader.next()) lines.emplace_back(line);
    EXPECT_FALSE(reader.readFailed());
    std::fclose(stream);
    return lines;
}

// The lines of the text a text-mode stream gives for the file: each up to and including its LF.
std::vector<std::string> textModeLines(const TempFile& file)
{
    std::FILE* stream = _wfopen(file.path(), TEXT("r"));
    EXPECT_NE(stream, nullptr);
    std::string text;
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, stream)) > 0;) text.append(chunk, n);
    std::fclose(stream);
    std::vector<std::string> lines;
    for (size_t start = 0; start < text.size();) {
        const size_t lf = text.find('\n', start);
        const size_t end = lf == std::string::npos ? text.size() : lf + 1;
        lines.push_back(text.substr(start, end - start));
        start = end;
    }
    return lines;
}

void expectTextModeLines(const std::string& bytes, const std::string& what)
{
    const TempFile file(bytes);
    EXPECT_EQ(readerLines(file), textModeLines(file)) << what;
}

}  // namespace

TEST(LineReader, CrLfReadsAsLfAsInTextMode)
{
    const std::string big(LineReader::INITIAL_CAPACITY - 1, 'a');
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"CR LF lines", "HIERARCHY\r\nROOT a\r\n"},
        {"empty CR LF line", "\r\n\r\nx\r\n"},
        {"CR not before LF stays", "a\rb\r \n"},
        {"only the CR next to LF goes", "a\r\r\n"},
        {"last line ends in CR", "a\r\nb\r"},
        {"mixed line ends", "a\nb\r\nc\n\r\n"},
        {"CR LF split across the first read", big + "\r\nb\r\n"},
        {"CR last in the first read, no LF", big + "\rb\r\n"},
        {"line longer than the buffer", big + big + "\r\n" + big + "\r"},
    };
    for (const auto& c : cases) expectTextModeLines(c.bytes, c.what);
}

TEST(LineReader, RandomCrLfTextsGiveTheTextModeLines)
{
    std::mt19937 rng(3);
    const char alphabet[] = {'a', ' ', '\r', '\n', '\r', '\n'};
    for (int i = 0; i < 300; ++i) {
        std::string bytes(rng() % 200, 'a');
        for (char& c : bytes) c = alphabet[rng() % sizeof alphabet];
        expectTextModeLines(bytes, bytes);
    }
}
