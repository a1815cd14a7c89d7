#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

// A cap on the process's address space, where the system has one.
#if __has_include(<sys/resource.h>)
#include <sys/resource.h>
#include <unistd.h>
#define VEXO_ADDRESS_SPACE_CAP 1
#endif

#include "LoadBvh.h"
#include "Sanitized.h"

namespace {

constexpr const char* EXAMPLE =
    "HIERARCHY\n"
    "ROOT Hips\n"
    "{\n"
    "\tOFFSET 0.0 0.0 0.0\n"
    "\tCHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation Yrotation\n"
    "\tJOINT Chest\n"
    "\t{\n"
    "\t\tOFFSET 0.0 5.2 0.0\n"
    "\t\tCHANNELS 3 Zrotation Xrotation Yrotation\n"
    "\t\tEnd Site\n"
    "\t\t{\n"
    "\t\t\tOFFSET 0.0 4.0 0.0\n"
    "\t\t}\n"
    "\t}\n"
    "}\n"
    "MOTION\n"
    "Frames: 2\n"
    "Frame Time: 0.033333\n"
    "0.0 35.0 0.0 0.0 0.0 0.0 0.0 0.0 0.0\n"
    "1.0 35.0 0.5 10.0 -5.0 90.0 0.0 15.0 0.0\n";

// A root with one channel and one end site; body and motion lines are spliced in.
std::string tiny(const std::string& rootBody, const std::string& motion = "MOTION\nFrames: 1\nFrame Time: 0.1\n7\n")
{
    return "HIERARCHY\nROOT r\n{\nOFFSET 0 0 0\nCHANNELS 1 Xposition\n" + rootBody + "}\n" + motion;
}

std::string replace(std::string text, const std::string& from, const std::string& to)
{
    text.replace(text.find(from), from.size(), to);
    return text;
}

std::string nested(int depth)
{
    std::string text = "HIERARCHY\nROOT j\n{\nOFFSET 0 1 0\nCHANNELS 0\n";
    for (int i = 1; i < depth; ++i) text += "JOINT j\n{\nOFFSET 0 1 0\nCHANNELS 0\n";
    for (int i = 0; i < depth; ++i) text += "}\n";
    return text + "MOTION\nFrames: 0\nFrame Time: 1\n";
}

#if defined(VEXO_ADDRESS_SPACE_CAP) && !defined(VEXO_SANITIZED)
// Caps this process's address space at its current size plus the given bytes.
void limitAddressSpaceGrowth(rlim_t bytes)
{
    long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t limit = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + bytes;
    const rlimit cap{limit, limit};
    setrlimit(RLIMIT_AS, &cap);
}
#endif

// A field of /proc/self/status in kB, such as "VmRSS:" (resident now) or "VmHWM:" (resident peak).
long statusKb(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.compare(0, field.size(), field) == 0) return std::stol(line.substr(field.size()));
    }
    return -1;
}

}  // namespace

TEST(BvhReader, ReadsTheExampleFile)
{
    const LoadResult r = loadBvh(EXAMPLE);
    ASSERT_TRUE(r.ok()) << r.line << ": " << r.reason;
    const Skeleton& s = *r.skeleton;
    EXPECT_EQ(s.channelsPerFrame, 9);
    EXPECT_EQ(s.frameCount, 2);
    EXPECT_FLOAT_EQ(s.frameTime, 0.033333f);
    EXPECT_STREQ(s.root->keyword, "ROOT");
    EXPECT_STREQ(s.root->name, "Hips");
    EXPECT_EQ(s.root->channels[3].kind, Zrotation);
    const Joint* chest = s.root->firstChild;
    ASSERT_NE(chest, nullptr);
    EXPECT_EQ(chest, s.root->lastChild);
    EXPECT_STREQ(chest->keyword, "JOINT");
    EXPECT_FLOAT_EQ(chest->offset[1], 5.2f);
    const Joint* site = chest->firstChild;
    EXPECT_STREQ(site->keyword, "End");
    EXPECT_STREQ(site->name, "Site");
    EXPECT_EQ(site->channels, nullptr);
    EXPECT_EQ(site->channelCount, 0);
    EXPECT_FLOAT_EQ(site->offset[1], 4.0f);
    // The Chest's three values are the last three of each row.
    EXPECT_EQ(s.values[9 + 5], 90.0f);
    EXPECT_EQ(s.values[9 + 6], 0.0f);
    EXPECT_EQ(s.values[9 + 7], 15.0f);
    EXPECT_EQ(s.values[9 + 8], 0.0f);
}

TEST(BvhReader, ChannelKindsFollowTheNamesExactly)
{
    const LoadResult r = loadBvh(tiny("JOINT a\n{\nOFFSET 0 0 0\nCHANNELS 5 Zrotation Xrotation Yrotation xrotation Xrot\n"
                                      "End Site\n{\nOFFSET 0 0 0\n}\n}\n",
                                      "MOTION\nFrames: 0\nFrame Time: 1\n"));
    ASSERT_TRUE(r.ok()) << r.reason;
    const Joint* a = r.skeleton->root->firstChild;
    const ChannelKind expected[] = {Zrotation, Xrotation, Yrotation, Unrecognized, Unrecognized};
    for (int i = 0; i < 5; ++i) EXPECT_EQ(a->channels[i].kind, expected[i]) << i;
    EXPECT_STREQ(a->channels[3].name, "xrotation");
    EXPECT_EQ(r.skeleton->channelsPerFrame, 6);
}

TEST(BvhReader, AcceptsTheLenientCornersOfTheFormat)
{
    const struct {
        const char* what;
        std::string text;
    } cases[] = {
        {"indented HIERARCHY", replace(tiny(""), "HIERARCHY", " \t HIERARCHY")},
        {"third token on the root line", replace(tiny(""), "ROOT r", "ROOT r extra")},
        {"CR LF line ends", replace(replace(tiny(""), "\n", "\r\n"), "OFFSET 0 0 0\n", "OFFSET 0 0 0\r\n")},
        {"end-site prefixes", tiny("Endless Sites\n{\nOFFSET 0 0 0\n}\n")},
        {"children inside an end site", tiny("End Site\n{\nOFFSET 0 0 0\nJOINT c\n{\nOFFSET 0 0 0\nCHANNELS 0\n}\n}\n")},
        {"any keyword opens a joint", tiny("BONE b\n{\nOFFSET 1 2 3\nCHANNELS 0\n}\n")},
        {"blank before the offset line end", replace(tiny(""), "OFFSET 0 0 0\n", "OFFSET 1 2 \n")},
        {"lines after the last frame", tiny("", "MOTION\nFrames: 1\nFrame Time: 0.1\n7\ngarbage\n\n")},
        {"last line without LF", tiny("", "MOTION\nFrames: 1\nFrame Time: 0.1\n7")},
        {"Frame Time without blank", tiny("", "MOTION\nFrames: 1\nFrame Time:0.1\n7\n")},
        {"extra channel names", replace(tiny(""), "CHANNELS 1 Xposition", "CHANNELS 1 Xposition Yposition")},
    };
    for (const auto& c : cases) {
        const LoadResult r = loadBvh(c.text);
        EXPECT_TRUE(r.ok()) << c.what << ": " << r.line << ": " << r.reason;
    }
}

TEST(BvhReader, FrameCountWrittenAgainstTheColonReadsAsZero)
{
    const LoadResult r = loadBvh(tiny("", "MOTION\nFrames:1\nFrame Time: 0.1\n"));
    ASSERT_TRUE(r.ok()) << r.reason;
    EXPECT_EQ(r.skeleton->frameCount, 0);
    EXPECT_NE(r.skeleton->values, nullptr);
}

TEST(BvhReader, OffsetWithTrailingBlankGivesZeroZ)
{
    const LoadResult r = loadBvh(replace(tiny(""), "OFFSET 0 0 0\n", "OFFSET 1 2 \n"));
    ASSERT_TRUE(r.ok());
    EXPECT_EQ(r.skeleton->root->offset[0], 1);
    EXPECT_EQ(r.skeleton->root->offset[1], 2);
    EXPECT_EQ(r.skeleton->root->offset[2], 0);
}

TEST(BvhReader, ChannelsZeroGivesAnEmptyArray)
{
    const LoadResult r = loadBvh(replace(tiny(""), "CHANNELS 1 Xposition", "CHANNELS 0"));
    ASSERT_TRUE(r.ok());
    EXPECT_NE(r.skeleton->root->channels, nullptr);
    EXPECT_EQ(r.skeleton->root->channelCount, 0);
    EXPECT_EQ(r.skeleton->channelsPerFrame, 0);
}

TEST(BvhReader, OneMissingChannelNameReadsAsEmptyTwoRefuse)
{
    const LoadResult one = loadBvh(replace(tiny(""), "CHANNELS 1 Xposition", "CHANNELS 2 Xposition"));
    ASSERT_TRUE(one.ok()) << one.reason;
    EXPECT_EQ(one.skeleton->root->channels[1].kind, Unrecognized);
    EXPECT_STREQ(one.skeleton->root->channels[1].name, "");

    const LoadResult two = loadBvh(replace(tiny(""), "CHANNELS 1 Xposition", "CHANNELS 3 Xposition"));
    EXPECT_FALSE(two.ok());
    EXPECT_EQ(two.line, 5);

    // A huge count on a tiny file is refused before anything is allocated for it.
    EXPECT_FALSE(loadBvh(replace(tiny(""), "CHANNELS 1 Xposition", "CHANNELS 2000000000")).ok());
}

TEST(BvhReader, ShortFrameLinesReadMissingValuesAsZero)
{
    const LoadResult r = loadBvh(
        replace(tiny("", "MOTION\nFrames: 2\nFrame Time: 0.1\n1 \n\n"), "CHANNELS 1 Xposition", "CHANNELS 3 Xposition Yposition Zposition"));
    ASSERT_TRUE(r.ok()) << r.reason;
    const float expected[] = {1, 0, 0, 0, 0, 0};
    for (int i = 0; i < 6; ++i) EXPECT_EQ(r.skeleton->values[i], expected[i]) << i;
}

TEST(BvhReader, FrameValuesOfEveryFormConvertLikeAtof)
{
    const std::vector<std::string> tokens = {"1.5", "-2.25", "1e2", "0x10", "+5", "-.5", "5.", "12abc", "0.000001", "-0",
                                             "1234567890.123456789", "9007199254740993", "inf", "7,5", "3.25"};
    std::string names, row;
    for (const std::string& token : tokens) {
        names += " Xrotation";
        row += (row.empty() ? "" : row.size() % 2 ? " \t" : " ") + token;  // blanks of both kinds
    }
    const LoadResult r = loadBvh(replace(tiny("", "MOTION\nFrames: 2\nFrame Time: 0.1\n" + row + "\n" + row + "\n"),
                                         "CHANNELS 1 Xposition", "CHANNELS " + std::to_string(tokens.size()) + names));
    ASSERT_TRUE(r.ok()) << r.line << ": " << r.reason;
    for (size_t frame = 0; frame < 2; ++frame) {
        for (size_t i = 0; i < tokens.size(); ++i) {
            const float expected = static_cast<float>(std::atof(tokens[i].c_str()));
            const float got = r.skeleton->values[frame * tokens.size() + i];
            EXPECT_EQ(std::memcmp(&got, &expected, sizeof got), 0) << tokens[i] << " gave " << got;
        }
    }
}

TEST(BvhReader, AFrameCountTheFileCannotHoldAllocatesNothing)
{
    // A billion one-value frames would take 4 GB; the 100-byte file cannot hold them.
    const LoadResult r = loadBvh(tiny("", "MOTION\nFrames: 1000000000\nFrame Time: 0.1\n1\n"));
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.reason, "file ends before frame 2 of 1000000000");
    EXPECT_EQ(r.skeleton->values, nullptr);
}

TEST(BvhReader, ALongLineIsOneLine)
{
    // 3000 channels make a frame line of more than 16383 characters: it must stay one frame.
    std::string names, row1, row2;
    for (int i = 0; i < 3000; ++i) {
        names += " Xrotation";
        row1 += " 1.2345";
        row2 += " 2.5";
    }
    const LoadResult r = loadBvh(replace(tiny("", "MOTION\nFrames: 2\nFrame Time: 0.1\n" + row1 + "\n" + row2 + "\n"),
                                         "CHANNELS 1 Xposition", "CHANNELS 3000" + names));
    ASSERT_TRUE(r.ok()) << r.line << ": " << r.reason;
    EXPECT_GT(row1.size(), 16383u);
    EXPECT_EQ(r.skeleton->values[2999], 1.2345f);
    EXPECT_EQ(r.skeleton->values[3000], 2.5f);
    EXPECT_EQ(r.skeleton->values[5999], 2.5f);
}

TEST(BvhReader, NestingIsBoundedNotAStackOverflow)
{
    EXPECT_TRUE(loadBvh(nested(1000)).ok());
    EXPECT_TRUE(loadBvh(nested(BvhReader::MAX_NESTING_DEPTH)).ok());
    const LoadResult deep = loadBvh(nested(100000));
    EXPECT_FALSE(deep.ok());
    EXPECT_EQ(deep.reason, "joints nested more than 1024 levels deep");
    EXPECT_EQ(deep.line, 2 + 4 * BvhReader::MAX_NESTING_DEPTH);  // the header line of joint 1025
}

TEST(BvhReader, ChildrenKeepFileOrderAndDuplicateNames)
{
    const LoadResult r = loadBvh(tiny("JOINT a\n{\nOFFSET 0 0 0\nCHANNELS 0\n}\nJOINT a\n{\nOFFSET 1 0 0\nCHANNELS 0\n}\n"
                                      "JOINT b\n{\nOFFSET 2 0 0\nCHANNELS 0\n}\n"));
    ASSERT_TRUE(r.ok());
    const Joint* root = r.skeleton->root;
    const Joint* first = root->firstChild;
    ASSERT_NE(first->nextSibling, nullptr);
    const Joint* second = first->nextSibling;
    const Joint* third = second->nextSibling;
    EXPECT_EQ(third, root->lastChild);
    EXPECT_EQ(third->nextSibling, nullptr);
    EXPECT_EQ(third->prevSibling, second);
    EXPECT_EQ(second->prevSibling, first);
    EXPECT_EQ(first->prevSibling, nullptr);
    EXPECT_STREQ(second->name, "a");
    EXPECT_EQ(second->offset[0], 1);
    EXPECT_STREQ(third->name, "b");
}

// Every refusal: where it is reported and why.
TEST(BvhReader, RefusalsNameTheLineAndTheReason)
{
    const std::string good = tiny("");
    const struct {
        std::string text;
        int line;
        const char* reason;
    } cases[] = {
        {"", 1, "expected \"HIERARCHY\", found end of file (the file is empty)"},
        {"hierarchy\n", 1, "expected \"HIERARCHY\" (found \"hierarchy\": keywords are case-sensitive)"},
        {"\xEF\xBB\xBFHIERARCHY\nROOT r\n", 1, "expected \"HIERARCHY\" (the file starts with a UTF-8 byte-order mark)"},
        {"HIERARCHY\n", 2, "expected \"ROOT\" and a name, found end of file"},
        {replace(good, "ROOT r", "root r"), 2, "expected \"ROOT\" and a name (found \"root\": keywords are case-sensitive)"},
        {replace(good, "ROOT r", "ROOT"), 2, "expected \"ROOT\" and a name"},
        {replace(good, "{", "(\n"), 3, "expected \"{\""},
        {replace(good, "{\n", "\n{\n"), 3, "expected \"{\""},
        {replace(good, "OFFSET 0 0 0", "OFFSET 0 0"), 4, "expected 4 tokens on the offset line"},
        {replace(good, "CHANNELS 1", "CHANNEL 1"), 5, "expected \"CHANNELS\""},
        {replace(good, "CHANNELS 1 Xposition", "CHANNELS"), 5, "expected a channel count"},
        {replace(good, "CHANNELS 1", "CHANNELS -1"), 5, "negative channel count"},
        {replace(good, "CHANNELS 1", "CHANNELS 4294967297"), 5, "channel count out of range"},
        {tiny("\n"), 6, "expected \"}\" or a joint header of 2 tokens"},
        {tiny("JOINT\n"), 6, "expected \"}\" or a joint header of 2 tokens"},
        {tiny("End Bones\n{\nOFFSET 0 0 0\n}\n"), 9, "expected \"CHANNELS\""},
        {tiny("JOINT c\n{\nOFFSET 0 0 0\n}\n"), 9, "expected \"CHANNELS\""},
        {"HIERARCHY\nROOT r\n{\nOFFSET 0 0 0\nCHANNELS 0\n", 6, "expected \"}\" or a joint, found end of file"},
        {replace(good, "MOTION", "MOTIO"), 7, "expected \"MOTION\""},
        {tiny("", "JOINT x\n"), 7, "expected \"MOTION\""},
        {tiny("", ""), 7, "expected \"MOTION\", found end of file"},
        {tiny("", "MOTION\nFrame: 1\n"), 8, "expected \"Frames:\""},
        {tiny("", "MOTION\n\n"), 8, "expected \"Frames:\""},
        {tiny("", "MOTION\nFrames: -1\nFrame Time: 1\n"), 8, "negative frame count"},
        {tiny("", "MOTION\nFrames: 4294967299\nFrame Time: 1\n7\n7\n7\n"), 8, "frame count out of range"},
        {tiny("", "MOTION\nFrames: 2000000000\nFrame Time: 1\n"), 8, "frame count too large: the values would take 4 GiB or more"},
        {tiny("", "MOTION\nFrames: 1\nFrametime: 1\n"), 9, "expected \"Frame Time:\""},
        {tiny("", "MOTION\nFrames: 3\nFrame Time: 1\n1\n2\n"), 12, "file ends before frame 3 of 3"},
        {tiny("", "MOTION\nFrames: 1000000\nFrame Time: 1\n1\n2\n"), 12, "file ends before frame 3 of 1000000"},
    };
    for (const auto& c : cases) {
        const LoadResult r = loadBvh(c.text);
        EXPECT_FALSE(r.ok()) << c.text;
        EXPECT_EQ(r.line, c.line) << c.text;
        EXPECT_EQ(r.reason, c.reason) << c.text;
        EXPECT_EQ(r.skeleton->root, nullptr);
    }
}

TEST(BvhReader, FramesAcrossManyLinesKeepTheirRowsAndZeroTheGaps)
{
    // Enough lines that the frame text kept while reading has to grow many times.
    std::string frames;
    const int count = 20000;
    for (int f = 0; f < count; ++f) frames += std::to_string(f) + (f % 3 == 0 ? " 0.5\n" : " 0.5 7\n");
    const LoadResult r = loadBvh(replace(tiny("", "MOTION\nFrames: " + std::to_string(count) + "\nFrame Time: 0.1\n" + frames),
                                         "CHANNELS 1 Xposition", "CHANNELS 3 Xposition Yposition Zposition"));
    ASSERT_TRUE(r.ok()) << r.line << ": " << r.reason;
    ASSERT_EQ(r.skeleton->frameCount, count);
    for (int f = 0; f < count; ++f) {
        const float* row = r.skeleton->frameValues(f);
        ASSERT_EQ(row[0], float(f)) << f;
        ASSERT_EQ(row[1], 0.5f) << f;
        ASSERT_EQ(row[2], f % 3 == 0 ? 0.0f : 7.0f) << f;
    }
}

// A 100-byte file claiming a billion frames must cost memory for the lines it holds, not for the
// 4 GB its claim would take: run with an address-space cap far below that, the refusal must still be
// about the missing frames, not about memory.
TEST(BvhReader, AClaimedFrameCountCostsOnlyTheLinesTheFileHolds)
{
#ifdef VEXO_SANITIZED
    GTEST_SKIP() << "a sanitizer's shadow memory does not fit under an address-space cap; the fuzz regressions cover this there";
#elif !defined(VEXO_ADDRESS_SPACE_CAP)
    GTEST_SKIP() << "this system has no address-space cap (setrlimit)";
#else
    TempFile file(tiny("", "MOTION\nFrames: 1000000000\nFrame Time: 1\n1\n2\n"));
    EXPECT_EXIT(
        {
            limitAddressSpaceGrowth(rlim_t{1} << 30);
            const LoadResult r = loadBvhFile(file.path());
            std::fprintf(stderr, "%lld: %s\n", static_cast<long long>(r.line), r.reason.c_str());
            std::fflush(stderr);
            std::_Exit(r.reason == "file ends before frame 3 of 1000000000" ? 0 : 1);
        },
        testing::ExitedWithCode(0), "12: file ends before frame 3 of 1000000000");
#endif
}

// Short frame lines are legal (missing values read 0.0), so a small file can describe a large
// motion. Its zero-filled value array must cost address space, not resident memory or the time to
// fill it: only the values that stand in the file are written. (A child process measures its own
// resident peak, which starts at its current size.)
TEST(BvhReader, ShortFrameLinesCostNoResidentMemory)
{
    if (statusKb("VmRSS:") < 0) GTEST_SKIP() << "the resident size is read from /proc/self/status";
    if (UNDER_SANITIZER) GTEST_SKIP() << "a sanitizer's allocator may write the memory it hands out";
    const int channels = 1500, frames = 100000;  // 600 MB of values from a 115 kB file
    std::string names;
    for (int i = 0; i < channels; ++i) names += " Xrotation";
    TempFile file(replace(tiny("", "MOTION\nFrames: " + std::to_string(frames) + "\nFrame Time: 1\n" + std::string(frames, '\n')),
                          "CHANNELS 1 Xposition", "CHANNELS " + std::to_string(channels) + names));
    EXPECT_EXIT(
        {
            const long before = statusKb("VmRSS:");
            const LoadResult r = loadBvhFile(file.path());
            const long grown = statusKb("VmHWM:") - before;
            std::fprintf(stderr, "%s; resident peak grew by %ld kB\n", r.ok() ? "read" : r.reason.c_str(), grown);
            std::fflush(stderr);
            const bool whole = r.ok() && r.skeleton->frameCount == frames && r.skeleton->channelsPerFrame == channels;
            std::_Exit(whole && grown < 600000 / 4 ? 0 : 1);
        },
        testing::ExitedWithCode(0), "read");
}

TEST(BvhReader, AMissingFileIsRefusedAtLineZero)
{
    const LoadResult r = loadBvhFile(TEXT("/nonexistent/vexo/missing.bvh"));
    EXPECT_FALSE(r.ok());
    EXPECT_EQ(r.line, 0);
    EXPECT_EQ(r.reason, "cannot open file");
}
