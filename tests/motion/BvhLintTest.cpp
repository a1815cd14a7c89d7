// The lint pass: each finding from a small file that has it, the odd value tokens wherever they fall
// on a long line, and the same findings on one thread and on many.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "LoadBvh.h"
#include "motion/BvhLint.h"
#include "motion/TokenMasks.h"

namespace {

// The reader converts numbers as the C runtime's strtod does: glibc's reads "nan", "inf" and
// hexadecimal numbers, msvcrt's reads them as no number at all.
#if defined(_WIN32)
constexpr bool STRTOD_READS_NAN_INF_HEX = false;
#else
constexpr bool STRTOD_READS_NAN_INF_HEX = true;
#endif

// Lines 1 to 18 are the header; frames are lines 19 on.
constexpr const char* HEADER =
    "HIERARCHY\n"
    "ROOT Hips\n"
    "{\n"
    "\tOFFSET 0 0 0\n"
    "\tCHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation Yrotation\n"
    "\tJOINT Chest\n"
    "\t{\n"
    "\t\tOFFSET 0 5.2 0\n"
    "\t\tCHANNELS 3 Zrotation Xrotation Yrotation\n"
    "\t\tEnd Site\n"
    "\t\t{\n"
    "\t\t\tOFFSET 0 4 0\n"
    "\t\t}\n"
    "\t}\n"
    "}\n"
    "MOTION\n"
    "Frames: 3\n"
    "Frame Time: 0.033333\n";
constexpr const char* FRAMES =
    "0 35 0 0 0 0 0 0 0\n"
    "1 35 0.5 10 -5 90 0 15 0\n"
    "2 35 1 20 -10 100 0 30 0\n";

std::string replace(std::string text, const std::string& from, const std::string& to)
{
    text.replace(text.find(from), from.size(), to);
    return text;
}

struct Linted {
    bool looked = false;
    std::vector<std::string> found;  // "code@line*count"
    std::vector<std::string> messages;
};

Linted lint(const std::string& text, int threads = 0, size_t shareBytes = BvhLint::FRAME_SHARE_BYTES)
{
    TempFile file(text);
    BvhLint lint(file.path());
    if (threads > 0) lint.limitThreads(threads);
    lint.limitShareBytes(shareBytes);
    const LoadResult loaded = loadBvhFile(file.path());
    Linted result;
    std::vector<LintFinding> findings;
    if (!loaded.ok() || !(result.looked = lint.look(*loaded.skeleton, findings))) return result;
    for (const LintFinding& f : findings) {
        result.found.push_back(std::string(f.code) + "@" + std::to_string(f.line) + "*" + std::to_string(f.count));
        result.messages.push_back(f.message);
    }
    return result;
}

struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> found;
    const char* message;  // of the first finding, in part
};

}  // namespace

TEST(BvhLint, EachFindingComesFromTheLineThatHasIt)
{
    const std::string good = std::string(HEADER) + FRAMES;
    const Case cases[] = {
        {"a clean file", good, {}, ""},
        {"trailing blank lines", good + "\n  \n", {}, ""},
        {"a frame line more than counted", replace(good, "Frames: 3", "Frames: 2"), {"extra-lines@21*1"},
         "line after the last of the 2 frames"},
        {"a blank line before the first frame", replace(good, "0 35 0 0", "\n0 35 0 0"),
         {"blank-frame@19*1", "extra-lines@22*1"}, "blank line read as frame 1: all its values are 0"},
        {"a value missing", replace(good, "90 0 15 0", "90 0"), {"short-frame@20*1"},
         "frame 2 has 7 values for 9 channels: the last 2 read as 0"},
        {"a value too many", replace(good, "90 0 15 0", "90 0 15 0 7"), {"long-frame@20*1"}, "the last 1 ignored"},
        {"a decimal comma", replace(good, "0.5", "0,5"), {"partial-number@20*1"},
         "value 3 of frame 2, \"0,5\", is not wholly a number (a decimal comma?): read as 0"},
        {"numbers run together", replace(good, "10 -5", "10-5 0"), {"partial-number@20*1"},
         "value 4 of frame 2, \"10-5\", is not wholly a number (numbers run together?): read as 10"},
        {"text after a number", replace(good, "90 0 15", "90deg 0 15"), {"partial-number@20*1"}, "(text after the number)"},
        STRTOD_READS_NAN_INF_HEX
            ? Case{"NaN and infinities", replace(replace(good, "0.5", "nan"), "100", "-inf"), {"non-finite@20*2"},
                   "value 3 of frame 2 is \"nan\", not a finite number: read as nan"}
            : Case{"NaN and infinities", replace(replace(good, "0.5", "nan"), "100", "-inf"), {"partial-number@20*2"},
                   "value 3 of frame 2, \"nan\", is not wholly a number (no number at all): read as 0"},
        {"a number beyond float range", replace(good, "0.5", "1e39"), {"out-of-range@20*1"},
         "\"1e39\", is beyond the range of a float: read as inf"},
        {"a name cut at a blank", replace(good, "JOINT Chest", "JOINT Bip01 Neck"), {"joint-name-cut@6*1"},
         "joint line \"JOINT Bip01 Neck\" has 3 words: the name kept is \"Bip01\""},
        {"a name used twice", replace(good, "JOINT Chest", "JOINT Hips"), {"duplicate-name@6*1"},
         "joint name \"Hips\" is also that of the joint on line 2"},
        {"a channel of no known kind", replace(good, "3 Zrotation", "3 Zrot"), {"unknown-channel@9*1"},
         "channel \"Zrot\" of joint \"Chest\" is none of the six known ones"},
        {"an offset in other notation", replace(good, "OFFSET 0 5.2 0", "OFFSET 0 5,2 0"), {"partial-number@8*1"},
         "offset value 2, \"5,2\", is not wholly a number (a decimal comma?): read as 5"},
        {"a frame time of 0", replace(good, "0.033333", "0"), {"frame-time@18*1"}, "Frame Time is 0: the motion has no duration"},
        {"a negative frame time", replace(good, "0.033333", "-0.04"), {"frame-time@18*1"}, "negative"},
        {"a frame time beyond float range", replace(good, "0.033333", "1e39"), {"frame-time@18*1"}, "not a finite number"},
        {"a frame rate for a frame time", replace(good, "0.033333", "30"), {"frame-time@18*1"}, "over a second per frame"},
        {"Frames: without its blank", replace(good, "Frames: 3", "Frames:3"), {"frames-glued@17*1", "extra-lines@19*3"},
         "\"Frames:3\" has no blank after the colon: read as 0 frames"},
        {"an angle that wraps", replace(good, "2 35 1 20", "2 35 1 -179"), {"rotation-jump@21*1"},
         "Zrotation of joint \"Hips\" jumps from 10 to -179 degrees between frames 2 and 3"},
        {"a file ending without a line end", good.substr(0, good.size() - 1) + " 5", {"long-frame@21*1"}, ""},
        {"a NUL ending a line's text", replace(good, "90 0 15 0", std::string("90 0 15\0 0", 10)), {"short-frame@20*1"}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Linted linted = lint(c.text);
        ASSERT_TRUE(linted.looked);
        EXPECT_EQ(linted.found, c.found);
        if (!linted.messages.empty()) {
            EXPECT_NE(linted.messages[0].find(c.message), std::string::npos) << linted.messages[0];
        }
    }
}

// A line of 159 values, as in captured motions, with one odd token at every place from the first to
// well past the first blocks: found with its place and value, whichever way the line is looked at.
TEST(BvhLint, OddValuesAreFoundWhereverTheyFallOnALongLine)
{
    struct Odd {
        const char* token;
        const char* code;  // null: a plain number after all
    };
    const Odd odds[] = {
        {"1.5e2", nullptr}, {"+3", nullptr}, {"-.5", nullptr}, {"7.", nullptr},
        {"0x10", STRTOD_READS_NAN_INF_HEX ? nullptr : "partial-number"},
        {"12345678901234567890123456789012345678", nullptr}, {"-", "partial-number"}, {".", "partial-number"},
        {"-.", "partial-number"}, {"1.2.3", "partial-number"}, {"5-", "partial-number"}, {"--5", "partial-number"},
        {"1,5", "partial-number"}, {"inf", STRTOD_READS_NAN_INF_HEX ? "non-finite" : "partial-number"},
        {"1234567890123456789012345678901234567890", "out-of-range"},
    };
    const int channels = 159;
    std::string names;
    for (int k = 6; k < channels; ++k) names += " Xposition";
    const std::string header = replace(replace(HEADER, "Frames: 3", "Frames: 1"), "CHANNELS 3 Zrotation Xrotation Yrotation",
                                       "CHANNELS 153" + names);
    for (const Odd& odd : odds) {
        for (int place = 0; place < 30; ++place) {
            std::string line;
            for (int k = 0; k < channels; ++k) line += (k == place ? odd.token : k % 3 ? "-12.75" : "3") + std::string(" ");
            const Linted linted = lint(header + line + "\n");
            SCOPED_TRACE(std::string(odd.token) + " as value " + std::to_string(place + 1));
            ASSERT_TRUE(linted.looked);
            if (odd.code == nullptr) {
                EXPECT_TRUE(linted.found.empty());
            } else {
                ASSERT_EQ(linted.found, std::vector<std::string>{std::string(odd.code) + "@19*1"});
                EXPECT_EQ(linted.messages[0].rfind("value " + std::to_string(place + 1) + " of frame 1", 0), 0u) << linted.messages[0];
            }
        }
    }
}

// Cut into many shares: the findings in later shares are told with the same lines and counts on one
// thread as on several.
TEST(BvhLint, SharesFindWhatOneThreadFinds)
{
    const int frames = 4000, shortEvery = 1000, odd = 3456, firstLine = 19;
    std::string text = replace(HEADER, "Frames: 3", "Frames: " + std::to_string(frames));
    for (int f = 0; f < frames; ++f) {
        text += f == odd ? "1,5" : std::to_string(f % 7);
        text += f % shortEvery == shortEvery - 1 ? " 35 0 0 0 0 0 0\n" : " 35 0 0 0 0 0 0 0\n";
    }
    text += "1 2 3\n";
    const Linted one = lint(text, 1), several = lint(text, 3, 500);
    const std::vector<std::string> expected = {
        "short-frame@" + std::to_string(firstLine + shortEvery - 1) + "*" + std::to_string(frames / shortEvery),
        "partial-number@" + std::to_string(firstLine + odd) + "*1", "extra-lines@" + std::to_string(firstLine + frames) + "*1"};
    EXPECT_EQ(one.found, expected);
    EXPECT_EQ(several.found, expected);
    EXPECT_EQ(several.messages, one.messages);
}

TEST(TokenMasks, TheFastMasksAreThePortableOnes)
{
    std::mt19937 random(7);
    const char alphabet[] = " \t0123456789.-+eE,\r\n\x80\xff/:";
    for (int round = 0; round < 2000; ++round) {
        char block[64];
        for (char& c : block) c = round % 2 ? alphabet[random() % (sizeof alphabet - 1)] : char(random());
        const TokenMasks fast = tokenMasks(block), portable = portableTokenMasks(block);
        ASSERT_EQ(fast.blank, portable.blank);
        ASSERT_EQ(fast.digit, portable.digit);
        ASSERT_EQ(fast.point, portable.point);
        ASSERT_EQ(fast.minus, portable.minus);
    }
}
