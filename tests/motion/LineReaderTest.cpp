// LineReader, over a file read in pieces or mapped, must hand out exactly the lines a text-mode
// stream gives, and refuse a line longer than its limit either way.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "TempFile.h"
#include "motion/LineReader.h"
#include "platform/win32.h"

namespace {

// The lines as a text-mode stream gives them: each with its LF, if it has a line end.
std::vector<std::string> linesOf(LineReader& reader)
{
    std::vector<std::string> lines;
    for (TextLine line; reader.next(line);) lines.push_back(std::string(line.begin, line.end) + (line.terminated ? "\n" : ""));
    EXPECT_FALSE(reader.readFailed());
    return lines;
}

HANDLE openFile(const TempFile& file)
{
    const HANDLE handle = CreateFileW(file.path(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(handle, INVALID_HANDLE_VALUE);
    return handle;
}

// The file read in pieces, or mapped.
std::vector<std::string> fileLines(const TempFile& file, bool mapped)
{
    const HANDLE handle = openFile(file);
    const std::uintmax_t size = std::filesystem::file_size(file.fsPath());
    const FileView view(handle, size);
    EXPECT_EQ(view.mapped(), size > 0) << "only an empty file cannot be mapped";
    LineReader reader = mapped ? LineReader(view) : LineReader(handle);
    std::vector<std::string> lines = linesOf(reader);
    CloseHandle(handle);
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
    const std::vector<std::string> expected = textModeLines(file);
    EXPECT_EQ(fileLines(file, false), expected) << what;
    EXPECT_EQ(fileLines(file, true), expected) << what;
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

// A line of MAX_LINE_LENGTH characters is read, with either line end or as the last line without one;
// one more is refused, from a file read in pieces and from memory alike, and nothing is read after it.
TEST(LineReader, ALineLongerThanTheLimitIsRefused)
{
    for (const std::string lineEnd : {"\n", "\r\n", ""}) {
        for (const size_t length : {LineReader::MAX_LINE_LENGTH, LineReader::MAX_LINE_LENGTH + 1}) {
            const bool fits = length == LineReader::MAX_LINE_LENGTH;
            const std::string bytes = "a\n" + std::string(length, 'x') + lineEnd + (lineEnd.empty() ? "" : "b\n");
            const TempFile file(bytes);
            const HANDLE handle = openFile(file);
            const FileView view(handle, bytes.size());
            LineReader fromFile(handle);
            LineReader mapped(view);
            for (LineReader* reader : {&fromFile, &mapped}) {
                SCOPED_TRACE(testing::Message() << length << " characters, line end " << testing::PrintToString(lineEnd));
                TextLine line;
                ASSERT_TRUE(reader->next(line));
                EXPECT_EQ(reader->next(line), fits);
                EXPECT_EQ(reader->lineTooLong(), !fits);
                EXPECT_EQ(reader->lastLine().length(), fits ? length : 1);
                EXPECT_EQ(reader->next(line), fits && !lineEnd.empty());
            }
            CloseHandle(handle);
        }
    }
}
