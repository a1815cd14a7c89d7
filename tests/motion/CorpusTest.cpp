// Real files from public repositories: every one must load with the counts its table lists.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "LoadBvh.h"
#include "resources/WideText.h"

namespace {

std::filesystem::path corpusDir()
{
    const char* overridden = std::getenv("VEXO_CORPUS_DIR");
    return overridden != nullptr ? overridden : VEXO_CORPUS_DIR;
}

struct Expected {
    std::string file;
    int jointsWithChannels, endSites, channels, frames;
};

// Rows of SOURCES.md: | file | repository | path | licence | joints | end sites | channels | frames/frames | time |
std::vector<Expected> corpusTable()
{
    std::ifstream in(corpusDir() / "SOURCES.md");
    std::vector<Expected> rows;
    for (std::string line; std::getline(in, line);) {
        if (line.find(".bvh |") == std::string::npos) continue;
        std::vector<std::string> cells;
        std::stringstream cellStream(line);
        for (std::string cell; std::getline(cellStream, cell, '|');) cells.push_back(cell);
        const auto number = [&](size_t i) { return std::stoi(cells.at(i)); };
        std::string file = cells.at(1);
        file.erase(0, file.find_first_not_of(' '));
        file.erase(file.find_last_not_of(' ') + 1);
        rows.push_back({file, number(5), number(6), number(7), number(8)});
    }
    return rows;
}

void countJoints(const Joint* joint, int& withChannels, int& endSites)
{
    ++(joint->channels != nullptr ? withChannels : endSites);
    for (const Joint* child = joint->firstChild; child != nullptr; child = child->nextSibling) {
        countJoints(child, withChannels, endSites);
    }
}

}  // namespace

TEST(Corpus, EveryRealFileLoadsWithItsListedCounts)
{
    if (!std::filesystem::exists(corpusDir() / "SOURCES.md")) GTEST_SKIP() << "no corpus at " << corpusDir();
    const std::vector<Expected> table = corpusTable();
    ASSERT_GE(table.size(), 15u);
    for (const Expected& row : table) {
        const LoadResult r = loadBvhFile(widePath(corpusDir() / row.file).c_str());
        ASSERT_TRUE(r.ok()) << row.file << ":" << r.line << ": " << r.reason;
        int withChannels = 0, endSites = 0;
        countJoints(r.skeleton->root, withChannels, endSites);
        EXPECT_EQ(withChannels, row.jointsWithChannels) << row.file;
        EXPECT_EQ(endSites, row.endSites) << row.file;
        EXPECT_EQ(r.skeleton->channelsPerFrame, row.channels) << row.file;
        EXPECT_EQ(r.skeleton->frameCount, row.frames) << row.file;

        // Keeping only the first frame gives that frame's values, as a motion of one frame.
        const LoadResult first = loadBvhFile(widePath(corpusDir() / row.file).c_str(), BvhReader::Keep::FirstFrame);
        ASSERT_TRUE(first.ok()) << row.file << ":" << first.line << ": " << first.reason;
        EXPECT_EQ(first.skeleton->frameCount, std::min(row.frames, 1)) << row.file;
        EXPECT_EQ(first.skeleton->channelsPerFrame, row.channels) << row.file;
        EXPECT_EQ(std::memcmp(first.skeleton->values, r.skeleton->values, sizeof(float) * size_t(first.skeleton->frameCount) * size_t(row.channels)), 0)
            << row.file;
    }
}
