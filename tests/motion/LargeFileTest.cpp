// A file of more than 2^31 lines (2 GiB of text): its line numbers keep counting past 32 bits. Built
// as a test program of its own, labelled "large", which the sanitizer, thread-sanitizer and emulated
// runs leave out: there it would take minutes.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>

#include "LoadBvh.h"

TEST(LargeFiles, LinesPastTwoToTheThirtyFirstAreNumbered)
{
    const std::string header = "HIERARCHY\nROOT r\n{\nOFFSET 0 0 0\nCHANNELS 0\nEnd Site\n{\nOFFSET 0 1 0\n}\n}\n"
                               "MOTION\nFrames: 2147483647\nFrame Time: 0.01\n";  // 13 lines
    const std::int64_t present = INT32_MAX - 5;  // empty frame lines: the last five are missing
    const TempFile file(header);
    if (std::filesystem::space(file.fsPath().parent_path()).available < (std::uintmax_t{3} << 30)) {
        GTEST_SKIP() << "needs 3 GiB free beside " << file.fsPath();
    }
    {
        std::ofstream out(file.fsPath(), std::ios::binary | std::ios::app);
        const std::string chunk(std::size_t{1} << 24, '\n');
        for (std::int64_t left = present; left > 0; left -= std::int64_t(chunk.size())) {
            out.write(chunk.data(), std::streamsize(std::min<std::int64_t>(left, std::int64_t(chunk.size()))));
        }
        ASSERT_TRUE(out.good()) << "2 GiB could not be written to " << file.fsPath();
    }
    const LoadResult r = loadBvhFile(file.path());
    EXPECT_EQ(r.reason, "file ends before frame " + std::to_string(present + 1) + " of 2147483647");
    EXPECT_EQ(r.line, 13 + present + 1);
}
