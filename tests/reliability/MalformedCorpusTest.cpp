// The refused files of tests/data/malformed, each with the line and reason listed for it in
// EXPECTED.tsv: the reader gives exactly those, `vexo --check` reports them, the table covers every
// refusal the reader can make, and a Viewer that is showing a motion shows it unchanged after each.

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "LoadBvh.h"
#include "RunVexo.h"
#include "ViewerSession.h"
#include "resources/WideText.h"

namespace {

namespace fs = std::filesystem;

const fs::path CORPUS = VEXO_MALFORMED_DIR;

struct Refusal {
    std::string file;
    int line;
    std::string reason;
};

// The rows of EXPECTED.tsv: file, line, reason; lines starting with '#' are comments.
std::vector<Refusal> expectedRefusals()
{
    std::vector<Refusal> rows;
    std::ifstream table(CORPUS / "EXPECTED.tsv");
    for (std::string row; std::getline(table, row);) {
        if (row.empty() || row[0] == '#') continue;
        const size_t tab1 = row.find('\t'), tab2 = row.find('\t', tab1 + 1);
        if (tab1 == std::string::npos || tab2 == std::string::npos) {
            ADD_FAILURE() << "malformed row: " << row;
            continue;
        }
        rows.push_back({row.substr(0, tab1), std::stoi(row.substr(tab1 + 1, tab2 - tab1 - 1)), row.substr(tab2 + 1)});
    }
    return rows;
}

std::string checkLine(const fs::path& path, const Refusal& refusal)
{
    return path.string() + ":" + std::to_string(refusal.line) + ": refused: " + refusal.reason;
}

// The reasons written in the reader's source: each literal handed to fail() or failWithoutLine(), and
// the "expected ..." texts that failAtEnd() and failExpecting() make of theirs (an expectation that can
// meet the end of the file has both forms).
std::set<std::string> reasonsInTheReader()
{
    std::ifstream source(VEXO_SOURCE_DIR "/motion/BvhReader.cpp");
    std::stringstream text;
    text << source.rdbuf();
    const std::string code = text.str();
    const auto unescaped = [](std::string literal) { return std::regex_replace(literal, std::regex(R"(\\")"), "\""); };
    std::set<std::string> reasons;
    const std::regex call(R"re(\b(fail|failAtEnd|failExpecting|failWithoutLine)\("((?:[^"\\]|\\.)*)")re");
    for (auto it = std::sregex_iterator(code.begin(), code.end(), call); it != std::sregex_iterator(); ++it) {
        const std::string kind = (*it)[1], literal = unescaped((*it)[2]);
        if (kind == "fail" || kind == "failWithoutLine") reasons.insert(literal);
        if (kind == "failExpecting") reasons.insert("expected " + literal);
        if (kind == "failAtEnd" || kind == "failExpecting") reasons.insert("expected " + literal + ", found end of file");
    }
    const std::regex assigned(R"re(reason = "((?:[^"\\]|\\.)*)")re");
    for (auto it = std::sregex_iterator(code.begin(), code.end(), assigned); it != std::sregex_iterator(); ++it) {
        reasons.insert(unescaped((*it)[1]));
    }
    return reasons;
}

}  // namespace

TEST(MalformedCorpus, TheTableListsEachFileOfTheFolderOnce)
{
    const std::vector<Refusal> rows = expectedRefusals();
    EXPECT_GE(rows.size(), 100u);
    std::set<std::string> listed;
    for (const Refusal& row : rows) {
        EXPECT_TRUE(listed.insert(row.file).second) << row.file << " is listed twice";
        EXPECT_TRUE(fs::is_regular_file(CORPUS / row.file)) << row.file << " is listed but missing";
    }
    for (const fs::directory_entry& entry : fs::directory_iterator(CORPUS)) {
        if (entry.path().extension() != ".bvh") continue;
        EXPECT_EQ(listed.count(entry.path().filename().string()), 1u) << entry.path() << " has no row";
        EXPECT_LE(entry.file_size(), 40000u) << entry.path() << ": keep the corpus small";
    }
}

// Also when only the first frame is kept (thumbnails): the whole file is checked all the same.
TEST(MalformedCorpus, TheReaderRefusesEachWhereAndWhyTheTableSays)
{
    for (const Refusal& expected : expectedRefusals()) {
        for (const BvhReader::Keep keep : {BvhReader::Keep::AllFrames, BvhReader::Keep::FirstFrame}) {
            SCOPED_TRACE(expected.file + (keep == BvhReader::Keep::FirstFrame ? ", first frame kept" : ""));
            const LoadResult result = loadBvhFile(widePath(CORPUS / expected.file).c_str(), keep);
            EXPECT_FALSE(result.ok());
            EXPECT_EQ(result.skeleton->values, nullptr);
            EXPECT_EQ(result.skeleton->frameCount, 0);
            EXPECT_EQ(result.line, expected.line);
            EXPECT_EQ(result.reason, expected.reason);
        }
    }
}

// --lint gives the same verdict lines, and nothing more for a refused file.
TEST(MalformedCorpus, CheckAndLintReportEachRefusalOnItsOwnLine)
{
    std::string files, expected;
    for (const Refusal& row : expectedRefusals()) {
        files += ' ';
        files += quoted(CORPUS / row.file);
        expected += checkLine(CORPUS / row.file, row) + "\n";
    }
    for (const char* mode : {"--check", "--lint"}) {
        const RunResult run = vexo(mode + files);
        EXPECT_EQ(run.out, expected) << mode;
        EXPECT_EQ(run.status, 1) << mode;
    }
}

// Refusals no small file can cause are named here with the reason; every other one needs a row.
TEST(MalformedCorpus, EveryRefusalOfTheReaderHasARow)
{
    const std::map<std::string, const char*> unreachable = {
        {"cannot open file", "the corpus holds files that open"},
        {"cannot read file", "a read error of the device"},
        {"out of memory", "an allocation that fails"},
        {"more than 2147483647 channels in all", "every channel needs a name: a 4 GiB file"},
        {"file grew while it was read", "another writer during the read"},
        {"line longer than 16 MiB", "a 16 MiB line; BvhReaderTest reads endless ones"},
    };
    // A reason may end in a note in parentheses: the likely cause, or for the end of the input this
    // one, which one row at least must show.
    const std::string crNote = " (lines end in CR alone; VEXO reads LF or CR LF line ends)";
    bool noteShown = false;
    std::set<std::string> covered;
    for (Refusal row : expectedRefusals()) {
        noteShown |= row.reason.ends_with(crNote);
        if (const size_t note = row.reason.find(" ("); note != std::string::npos) row.reason.resize(note);
        covered.insert(row.reason.rfind("file ends before frame ", 0) == 0 ? "file ends before frame " : row.reason);
    }
    EXPECT_TRUE(noteShown) << "no malformed file has lines ending in CR alone";
    const std::set<std::string> reasons = reasonsInTheReader();
    EXPECT_GE(reasons.size(), 20u) << "the reader's source no longer reads as expected";
    for (const std::string& reason : reasons) {
        if (unreachable.count(reason) != 0) continue;
        EXPECT_EQ(covered.count(reason), 1u) << "no malformed file is refused with: " << reason;
    }
    for (const std::string& reason : covered) {
        EXPECT_EQ(reasons.count(reason), 1u) << "the reader no longer gives: " << reason;
    }
}

using ViewerOnMalformedFiles = ViewerSession;

TEST_F(ViewerOnMalformedFiles, ADroppedRefusedFileChangesNothingShown)
{
    drop(VEXO_SAMPLES_DIR "/walk.bvh");
    ASSERT_TRUE(viewer.motionLoaded());
    // Somewhere other than the defaults: playing from frame 6, turned and nearer, lit, not looping.
    viewer.setPaused(false);
    for (int i = 0; i < 5; ++i) viewer.tick(0.008);
    viewer.onKeyDown(VK_LEFT);
    viewer.onKeyDown('W');
    viewer.onKeyDown('L');
    viewer.onKeyDown('X');
    viewer.loop = false;
    const ShownState before = shownState(viewer, renderedDigest());
    ASSERT_EQ(before.frameIndex, 5);
    ASSERT_EQ(shownState(viewer, renderedDigest()), before);

    for (const Refusal& refused : expectedRefusals()) {
        SCOPED_TRACE(refused.file);
        drop((CORPUS / refused.file).string());
        EXPECT_EQ(shownState(viewer, renderedDigest()), before);
    }
}
