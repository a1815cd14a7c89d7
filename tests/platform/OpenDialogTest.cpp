// The Open dialog's parts that need no display: its filter as FLTK takes it, and the folder it
// starts in.

#include <gtest/gtest.h>

#include "platform/linux/FileChooser.h"
#include "platform/linux/OpenDialogFolder.h"

TEST(OpenDialogFilter, NamesShowOnceAndPatternsBecomeFltks)
{
    EXPECT_EQ(fltkFilter(TEXT("BVH Files (*.bvh)\0*.bvh\0")), "BVH Files \t*.bvh") << "FLTK appends (*.bvh) itself";
    EXPECT_EQ(fltkFilter(TEXT("Motions\0*.bvh;*.txt\0All\0*\0")), "Motions\t*.{bvh,txt}\nAll\t*");
    EXPECT_EQ(fltkFilter(TEXT("Odd (x)\0a*;*.b\0")), "Odd (x)\t{a*;*.b}");
    EXPECT_EQ(fltkFilter(nullptr), "");
}

TEST(OpenDialogFolder, ReopensInTheLastFolderChosenWhenGivenTheFirstInitialDirectory)
{
    OpenDialogFolder folder;
    EXPECT_EQ(folder.start(TEXT("/home/a")), TEXT("/home/a"));
    EXPECT_EQ(folder.start(TEXT("/home/a")), TEXT("/home/a")) << "nothing chosen yet";
    folder.chosen(TEXT("/data/walks/walk.bvh"));
    EXPECT_EQ(folder.start(TEXT("/home/a")), TEXT("/data/walks"));
    EXPECT_EQ(folder.start(TEXT("/elsewhere")), TEXT("/elsewhere")) << "another initial directory is honoured";
    EXPECT_EQ(folder.start(nullptr), std::nullopt);
    folder.chosen(TEXT("/top.bvh"));
    EXPECT_EQ(folder.start(TEXT("/home/a")), TEXT("/"));

    OpenDialogFolder none;
    EXPECT_EQ(none.start(nullptr), std::nullopt);
    none.chosen(TEXT("/data/run.bvh"));
    EXPECT_EQ(none.start(nullptr), TEXT("/data")) << "no initial directory at first, none again";
}
