// A frame line converts like splitting its text at blanks and taking atof of each token, wherever the
// line lies: whatever bytes follow it, and right before memory that cannot be read.

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "GuardedPage.h"
#include "RandomTokens.h"
#include "TempFile.h"
#include "motion/FrameLines.h"

namespace {

// Tokens of every shape, blanks of both kinds and lengths, now and then a NUL inside, lines long
// enough to cross several of the blocks the reader looks at.
std::string randomLine(std::mt19937& rng)
{
    const auto pick = [&](int n) { return static_cast<int>(rng() % static_cast<unsigned>(n)); };
    std::string line;
    for (int tokens = pick(40); tokens > 0; --tokens) {
        const int blanks = pick(4) == 0 ? 1 + pick(3) : line.empty() ? pick(2) : 1;  // none at times before the first
        for (int b = 0; b < blanks; ++b) line += " \t"[pick(3) == 0];
        line += randomToken(rng);
    }
    if (pick(3) == 0) line += " \t"[pick(2)];  // a line that ends in a blank
    if (pick(10) == 0 && !line.empty()) line[size_t(pick(int(line.size())))] = '\0';
    return line;
}

// The values as atof gives them: tokens separated by spaces and tabs up to the first NUL, for the
// first `channels` of them; the rest of the row keeps `unset`.
std::vector<float> expectedRow(const std::string& line, int channels, float unset)
{
    std::vector<float> row(size_t(channels), unset);
    const std::string text = line.substr(0, line.find('\0'));
    size_t k = 0;
    for (size_t p = text.find_first_not_of(" \t"); p != std::string::npos && k < row.size(); ++k) {
        const size_t end = text.find_first_of(" \t", p);
        row[k] = static_cast<float>(std::atof(text.substr(p, end - p).c_str()));
        p = end == std::string::npos ? end : text.find_first_not_of(" \t", end);
    }
    return row;
}

void expectSameBits(const std::vector<float>& got, const std::vector<float>& expected, const std::string& line)
{
    ASSERT_EQ(got.size(), expected.size());
    for (size_t k = 0; k < got.size(); ++k) {
        ASSERT_EQ(std::memcmp(&got[k], &expected[k], sizeof(float)), 0)
            << "value " << k << ": " << got[k] << " instead of " << expected[k] << " in \"" << line << '"';
    }
}

}  // namespace

TEST(FrameLines, LinesConvertLikeAtofWhateverFollowsThem)
{
    const float unset = 4321.0f;
    std::mt19937 rng(11);
    const GuardedPage page;
    for (int i = 0; i < 20000; ++i) {
        const std::string line = randomLine(rng);
        const int channels = int(rng() % 45);
        const std::vector<float> expected = expectedRow(line, channels, unset);

        // Followed by its line end and then digits, which must not join its last number.
        const std::string input = line + (rng() % 2 ? "\r\n" : "\n") + std::string(100, '7');
        std::vector<float> row(size_t(channels), unset);
        const TextLine inMemory{input.data(), input.data() + line.size(), true, input.data() + input.size()};
        ASSERT_TRUE(parseFrameLine(inMemory, row.data(), channels));
        expectSameBits(row, expected, line);

        // Ending where the readable memory does, as the last line of a mapped file may.
        const char* atEnd = page.atEnd(line);
        ASSERT_NE(atEnd, nullptr);
        const char* pageEnd = atEnd + line.size();
        row.assign(size_t(channels), unset);
        ASSERT_TRUE(parseFrameLine({atEnd, pageEnd, false, pageEnd}, row.data(), channels));
        expectSameBits(row, expected, line);
    }
}

// However long the text, shares keep the size asked for: far past 256 of them (what a text of
// 256 MiB takes at the default size) none grows, each is converted from the lines its count kept,
// and all of the text is given back to the system. The values are those of each line on its own.
TEST(FrameLines, SharesKeepTheirSizeHoweverLongTheText)
{
    constexpr int channels = 12, frames = 5000;
    constexpr size_t shareBytes = 1024;
    std::mt19937 rng(8);
    std::uniform_real_distribution<double> angle(-180, 180);
    std::string text;
    std::vector<float> expected;
    size_t longestLine = 0;
    for (int f = 0; f < frames; ++f) {
        std::string line;
        for (int k = 0; k < channels; ++k) line += std::to_string(angle(rng)) + (k + 1 < channels ? " " : "");
        const std::vector<float> row = expectedRow(line, channels, 0);
        expected.insert(expected.end(), row.begin(), row.end());
        longestLine = std::max(longestLine, line.size() + 2);
        text += line + "\r\n";
    }
    const TempFile file(text);
    const HANDLE handle = CreateFileW(file.path(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    const FileView view(handle, text.size());
    CloseHandle(handle);
    ASSERT_TRUE(view.mapped());

    FrameLines lines(view, view.data(), view.data() + view.size(), frames, 3, shareBytes);
    std::vector<float> values(expected.size());
    ASSERT_TRUE(lines.read(values.data(), channels));
    EXPECT_EQ(lines.found(), frames);
    EXPECT_FALSE(lines.stoppedAtTooLong());
    const FrameLines::Statistics statistics = lines.statistics();
    EXPECT_EQ(statistics.shares, std::int64_t((text.size() + shareBytes - 1) / shareBytes));
    EXPECT_GT(statistics.shares, 256);
    EXPECT_LE(statistics.longestShare, shareBytes + longestLine);
    EXPECT_EQ(statistics.linesPastKept, 0);
    EXPECT_GE(statistics.releasedBytes, text.size());
    expectSameBits(values, expected, "all frames");
}
