// What the commands share: the files a folder holds, in the order every platform gives them, and
// outputs written whole or not at all.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "TempFile.h"
#include "commands/FolderWalk.h"
#include "commands/WholeFile.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder in the temporary directory, removed with everything in it.
struct TempFolder {
    TempFolder() : path(fs::path(TempFile("", "").fsPath()) += ".folder") { fs::create_directories(path); }
    ~TempFolder() { fs::remove_all(path); }
    void add(const fs::path& relative, const std::string& bytes = "HIERARCHY\n") const
    {
        fs::create_directories((path / relative).parent_path());
        std::ofstream(path / relative, std::ios::binary) << bytes;
    }
    fs::path path;
};

std::string narrow(const WideText& text)
{
    return fs::path(text).generic_string();
}

std::string read(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(FolderWalk, FindsBvhFilesInAnyCaseSortedByNameAndKeepsTheirPlaceBelowTheFolder)
{
    TempFolder folder;
    for (const char* name : {"b.bvh", "a/z.BVH", "a/y.Bvh", "C.bvh", "notes.txt", "a.bvh.txt", ".bvh", "c/d/e.bvh"}) {
        folder.add(name, "12345");
    }
    fs::create_directory(folder.path / "empty");
    std::error_code linkRefused;  // a link back up must not loop, where links can be made
    fs::create_directory_symlink(folder.path, folder.path / "c" / "up", linkRefused);

    const WideText root = widePath(folder.path);
    TempFile named("", ".txt");
    const FolderWalk walk = walkArguments({named.path(), root.c_str()});
    std::vector<std::string> relatives;
    for (const MotionFile& file : walk.files) relatives.push_back(narrow(file.relative));
    const std::vector<std::string> expected = {named.fsPath().filename().string(), "C.bvh", "a/y.Bvh", "a/z.BVH",
                                               "b.bvh", "c/d/e.bvh"};
    EXPECT_EQ(relatives, expected);
    EXPECT_EQ(narrow(walk.files[3].path), (folder.path / "a" / "z.BVH").generic_string());
    EXPECT_EQ(walk.files[3].bytes, 5u);
    EXPECT_TRUE(walk.unreadable.empty());
    EXPECT_TRUE(walk.empty.empty()) << "only folders named on the command line are reported empty";

    const WideText empty = widePath(folder.path / "empty");
    EXPECT_EQ(walkArguments({empty.c_str()}).empty.size(), 1u);
}

TEST(WholeFile, AnOutputAppearsOnlyWhenCommittedAndNeverOverAFolder)
{
    TempFolder folder;
    const fs::path output = folder.path / "out.npz";
    const WideText path = widePath(output);
    folder.add("out.npz", "before");
    {
        WholeFile abandoned(path.c_str());
        FILE* stream = abandoned.open();
        ASSERT_NE(stream, nullptr);
        std::fputs("half", stream);
    }
    EXPECT_EQ(read(output), "before") << "an output not committed leaves the old one as it was";
    {
        WholeFile replaced(path.c_str());
        FILE* stream = replaced.open();
        ASSERT_NE(stream, nullptr);
        std::fputs("after", stream);
        EXPECT_TRUE(replaced.commit()) << replaced.failure();
    }
    EXPECT_EQ(read(output), "after");

    fs::create_directory(folder.path / "taken");
    const WideText taken = widePath(folder.path / "taken");
    WholeFile blocked(taken.c_str());
    EXPECT_EQ(blocked.open(), nullptr);
    EXPECT_NE(blocked.failure().find("taken: a folder of that name is in the way"), std::string::npos) << blocked.failure();
    EXPECT_EQ(std::distance(fs::directory_iterator(folder.path), {}), 2) << "no temporary file left behind";
}
