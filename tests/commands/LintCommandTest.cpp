// `vexo --lint` and `--json`, run as a user runs them.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "RunVexo.h"
#include "TempFile.h"

namespace {

namespace fs = std::filesystem;

// A standing figure: hips, a head `height` above them along `up`, feet a tenth of it below.
std::string figure(const char* offset, const std::string& frames = "Frames: 1\nFrame Time: 0.04\n0 0 0 0 0 0 0 0 0\n")
{
    return std::string("HIERARCHY\nROOT Hips\n{\n OFFSET 0 0 0\n CHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation "
                       "Yrotation\n JOINT Head\n {\n  OFFSET ") +
           offset + "\n  CHANNELS 3 Zrotation Xrotation Yrotation\n  End Site\n  {\n   OFFSET 0 0 0\n  }\n }\n}\nMOTION\n" + frames;
}

std::vector<nlohmann::json> jsonLines(const std::string& text)
{
    std::vector<nlohmann::json> records;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);) records.push_back(nlohmann::json::parse(line));
    return records;
}

std::string path(const TempFile& file)
{
    return file.fsPath().string();
}

}  // namespace

TEST(LintCommand, FindingsAreWarningsAsCompilersWriteThemAndTheStatusSaysWhetherThereWereAny)
{
    TempFile clean(figure("0 170 0"));
    TempFile odd(figure("0 170 0", "Frames: 1\nFrame Time: 0.04\n0 0 0 0 0 0 0 0\n1 2 3\n4 5 6\n"));
    TempFile refused("HIERARCHY\n");

    const RunResult one = vexo("--lint " + quoted(clean.fsPath()), true);
    EXPECT_EQ(one.out, path(clean) + ": ok: joints=3 end_sites=1 channels=9 frames=1 frame_time=0.04\n");
    EXPECT_EQ(one.status, 0);

    const RunResult all = vexo("--lint " + quoted(clean.fsPath()) + " " + quoted(odd.fsPath()) + " " + quoted(refused.fsPath()), true);
    EXPECT_EQ(all.out, path(clean) + ": ok: joints=3 end_sites=1 channels=9 frames=1 frame_time=0.04\n" +
                           path(odd) + ": ok: joints=3 end_sites=1 channels=9 frames=1 frame_time=0.04\n" +
                           path(odd) + ":19: warning: frame 1 has 8 values for 9 channels: the last 1 read as 0 [short-frame]\n" +
                           path(odd) + ":20: warning: line after the last of the 1 frames that \"Frames:\" counts: not read "
                                       "(is the count short?) (2 in all) [extra-lines]\n" +
                           path(refused) + ":2: refused: expected \"ROOT\" and a name, found end of file\n" +
                           "vexo: 3 files: 1 clean, 1 with findings, 1 refused\n");
    EXPECT_EQ(all.status, 1);
}

TEST(LintCommand, JsonLinesTellTheProfileAndTheFindings)
{
    TempFile centimetres(figure("0 170 0"));
    TempFile metres(figure("0 0 1.7", "Frames: 2\nFrame Time: 0.5\n0 0 0 0 0 0 170 0 0\n0 0 0 0 0 0 -170 0 0\n"));
    TempFile inches(figure("0 67 0"));
    TempFile refused("HIERARCHY\nroot Hips\n");
    const std::string files = quoted(centimetres.fsPath()) + " " + quoted(metres.fsPath()) + " " + quoted(inches.fsPath()) +
                              " " + quoted(refused.fsPath());

    const std::vector<nlohmann::json> checked = jsonLines(vexo("--check --json " + files).out);
    ASSERT_EQ(checked.size(), 4u);
    nlohmann::json expected = nlohmann::json::parse(R"({"verdict": "ok", "joints": 3, "end_sites": 1, "channels": 9,
        "frames": 1, "frame_time": 0.04, "duration": 0.04, "channel_layout": {"3": 1, "6": 1, "other": 0},
        "rotation_orders": {"ZXY": 2}, "height": 170.0, "unit": "centimetres", "up": "y"})");
    expected["file"] = path(centimetres);
    EXPECT_EQ(checked[0], expected);
    EXPECT_EQ(checked[1]["duration"], 1.0);
    EXPECT_EQ(checked[1]["up"], "z");
    EXPECT_EQ(checked[1]["unit"], "metres");
    EXPECT_EQ(checked[2]["unit"], "inches");
    expected = nlohmann::json::parse(R"j({"verdict": "refused", "line": 2,
        "reason": "expected \"ROOT\" and a name (found \"root\": keywords are case-sensitive)"})j");
    expected["file"] = path(refused);
    EXPECT_EQ(checked[3], expected);
    EXPECT_FALSE(checked[0].contains("findings"));

    const std::vector<nlohmann::json> linted = jsonLines(vexo("--lint --json " + files).out);
    ASSERT_EQ(linted.size(), 4u);
    EXPECT_EQ(linted[0]["findings"], nlohmann::json::array());
    EXPECT_EQ(linted[1]["findings"], nlohmann::json::parse(R"j([{"code": "rotation-jump", "line": 20, "count": 1,
        "message": "Zrotation of joint \"Head\" jumps from 170 to -170 degrees between frames 1 and 2 (an angle wrapped, or a gimbal flip?)"}])j"));
}

// Whatever bytes a joint's name holds, the line is JSON: quotes, backslashes and control characters
// escaped, a byte that is not UTF-8 replaced.
TEST(LintCommand, JsonEscapesWhatAJointNameHolds)
{
    std::string text = figure("0 170 0");
    text.replace(text.find("JOINT Head"), 10, "JOINT \"a\\b\x01\xE9\" Neck");
    TempFile odd(text);
    const std::vector<nlohmann::json> records = jsonLines(vexo("--lint --json " + quoted(odd.fsPath())).out);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0]["findings"][0]["message"],
              "joint line \"JOINT \"a\\b\x01\xEF\xBF\xBD\" Neck\" has 3 words: the name kept is \"\"a\\b\x01\xEF\xBF\xBD\"\"");
}

#if !defined(_WIN32)
// Names are bytes on Linux: one that is not UTF-8 is shown with U+FFFD and kept exactly in file_utf16,
// where each byte that is not UTF-8 is the unit 0xDC00 + byte.
TEST(LintCommand, JsonKeepsAFileNameThatIsNotUtf8)
{
    const fs::path folder = TempFile("", "").fsPath().string() + ".folder";
    fs::create_directories(folder);
    const std::string name = "caf\xE9 \"1\".bvh";
    std::ofstream(folder / name) << figure("0 170 0");
    const std::vector<nlohmann::json> records = jsonLines(vexo("--lint --json " + quoted(folder)).out);
    fs::remove_all(folder);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0]["file"], (folder / "caf\xEF\xBF\xBD \"1\".bvh").string());
    std::string rebuilt;
    for (const nlohmann::json& unit : records[0]["file_utf16"]) {
        rebuilt += char(unit.get<unsigned>() >= 0xDC80 ? unit.get<unsigned>() - 0xDC00 : unit.get<unsigned>());
    }
    EXPECT_EQ(rebuilt, (folder / name).string());
}
#endif

// The real files give the findings they have (each checked by hand: angles that wrap at 180 degrees,
// a thumb that flips), their verdict lines are --check's, and the sample is clean.
TEST(LintCommand, TheCorpusAndTheSampleGiveTheFindingsTheyHave)
{
    const fs::path corpus = VEXO_CORPUS_DIR;
    if (!fs::exists(corpus / "SOURCES.md")) GTEST_SKIP() << "no corpus at " << corpus;
    const std::map<std::string, std::string> expected = {
        {"bvh11__131_01.bvh", "rotation-jump@425*7"},
        {"bvh11__scaled_131_01.bvh", "rotation-jump@431*2"},
        {"bvhpython__test_mocapbank.bvh", "rotation-jump@331*14"},
        {"pymo__AV_8Walk_Meredith_HVHA_Rep1.bvh", "rotation-jump@799*4"},
    };
    const std::string files = quoted(corpus) + " " + quoted(fs::path(VEXO_SAMPLES_DIR) / "walk.bvh");
    const RunResult checked = vexo("--check " + files), linted = vexo("--lint " + files);
    const std::regex warning(R"(.*[/\\]([^/\\]+):(\d+): warning: .*?(?: \((\d+) in all\))? \[([a-z-]+)\])");
    std::string verdicts;
    std::map<std::string, std::string> found;
    std::istringstream lines(linted.out);
    for (std::string line; std::getline(lines, line);) {
        std::smatch m;
        if (!std::regex_match(line, m, warning)) verdicts += line + "\n";
        else found[m[1]] = m[4].str() + "@" + m[2].str() + "*" + (m[3].matched ? m[3].str() : "1");
    }
    EXPECT_EQ(verdicts, checked.out);
    EXPECT_EQ(found, expected);
    EXPECT_EQ(linted.status, 1);
}
