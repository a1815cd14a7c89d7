// The installer's PATH edits: adding VEXO's folder and removing it again gives back the value as it
// was, and removing leaves every other entry as it is.

#include <gtest/gtest.h>

#include "PathList.h"

namespace {

constexpr wchar_t FOLDER[] = L"C:\\Program Files\\VEXO";

TEST(PathList, AddingThenRemovingGivesBackTheValue)
{
    for (const std::wstring path : {L"", L"C:\\Windows", L"C:\\Windows;", L";;A;;", L"%SystemRoot%\\system32;C:\\B"}) {
        const std::wstring added = withFolder(path, FOLDER);
        EXPECT_EQ(withoutFolder(added, FOLDER), path) << "after " << added;
    }
    // Far beyond the 1024 characters of an NSIS string.
    std::wstring longPath;
    for (int i = 0; i < 400; ++i) longPath += L"C:\\Tools\\" + std::to_wstring(i) + L";";
    EXPECT_EQ(withFolder(longPath, FOLDER), longPath + L";" + FOLDER);
    EXPECT_EQ(withoutFolder(withFolder(longPath, FOLDER), FOLDER), longPath);
}

TEST(PathList, KnowsTheFolderHoweverItIsWritten)
{
    EXPECT_EQ(withFolder(L"A;c:\\program files\\vexo\\;B", FOLDER), L"A;c:\\program files\\vexo\\;B");
    EXPECT_EQ(withoutFolder(L"A;c:\\program files\\vexo\\;B;C:\\Program Files\\VEXO", FOLDER), L"A;B");
    EXPECT_EQ(withoutFolder(L"C:\\Program Files\\VEXO Tools;C:\\Program Files", FOLDER),
              L"C:\\Program Files\\VEXO Tools;C:\\Program Files");
}

}  // namespace
