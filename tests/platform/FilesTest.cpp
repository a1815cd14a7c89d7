// Kernel files, the current directory, paths, the timer, MulDiv and dropped files.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <sched.h>
#include <string>
#include <unistd.h>

#include "TempFile.h"
#include "platform/linux/Drop.h"
#include "platform/win32.h"
#include "resources/WideText.h"

namespace {

TEST(Files, ReadFileReadsInChunksAndReportsTheEnd)
{
    TempFile file("abcdefghij", ".bin");
    const HANDLE handle = CreateFileW(file.path(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(handle, INVALID_HANDLE_VALUE);
    char buffer[8];
    DWORD read = 99;
    ASSERT_TRUE(ReadFile(handle, buffer, 8, &read, nullptr));
    EXPECT_EQ(read, 8u);
    EXPECT_EQ(std::string(buffer, 8), "abcdefgh");
    ASSERT_TRUE(ReadFile(handle, buffer, 8, &read, nullptr));
    EXPECT_EQ(read, 2u);
    ASSERT_TRUE(ReadFile(handle, buffer, 8, &read, nullptr));
    EXPECT_EQ(read, 0u);
    EXPECT_TRUE(CloseHandle(handle));
}

TEST(Files, OnlyExistingFilesOpen)
{
    const auto open = [](LPCWSTR path) {
        return CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    };
    EXPECT_EQ(open(TEXT("/nonexistent/vexo.bvh")), INVALID_HANDLE_VALUE);
    EXPECT_EQ(open(TEXT("/tmp")), INVALID_HANDLE_VALUE) << "a directory is not a file";
}

// A view reads the file in place, and stays readable to its end as on Windows, where a mapped file
// cannot be shortened: past the end of a file another program truncated, it reads zeros.
TEST(Files, AViewOfAFileStaysReadableWhenTheFileIsTruncated)
{
    const size_t page = size_t(::sysconf(_SC_PAGESIZE));
    TempFile file(std::string(3 * page, 'a'), ".bin");
    const HANDLE handle = CreateFileW(file.path(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    LARGE_INTEGER size;
    ASSERT_TRUE(GetFileSizeEx(handle, &size));
    EXPECT_EQ(size.QuadPart, LONGLONG(3 * page));
    const HANDLE mapping = CreateFileMappingW(handle, nullptr, PAGE_READONLY, 0, 0, nullptr);
    ASSERT_NE(mapping, nullptr);
    const auto* view = static_cast<const volatile char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    EXPECT_TRUE(CloseHandle(mapping)) << "the view keeps the mapping";
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view[3 * page - 1], 'a');
    VirtualUnlock(const_cast<char*>(view), 3 * page);
    EXPECT_EQ(view[0], 'a') << "released pages are read back from the file";

    std::filesystem::resize_file(file.fsPath(), page + 10);
    EXPECT_EQ(view[page + 9], 'a');
    EXPECT_EQ(view[page + 10], 0) << "past the end in the last page";
    EXPECT_EQ(view[2 * page + 5], 0) << "in a page past the end";
    EXPECT_TRUE(UnmapViewOfFile(const_cast<char*>(view)));
    EXPECT_TRUE(CloseHandle(handle));
}

TEST(Files, PipesAndEmptyFilesHaveNoSizeOrView)
{
    TempFile empty("", ".bin");
    const HANDLE handle = CreateFileW(empty.path(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(CreateFileMappingW(handle, nullptr, PAGE_READONLY, 0, 0, nullptr), nullptr);
    CloseHandle(handle);
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    const std::string name = "/proc/self/fd/" + std::to_string(ends[0]);
    const HANDLE pipe = CreateFileW(WideText(name.begin(), name.end()).c_str(), GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
    LARGE_INTEGER size;
    EXPECT_FALSE(GetFileSizeEx(pipe, &size));
    EXPECT_EQ(CreateFileMappingW(pipe, nullptr, PAGE_READONLY, 0, 0, nullptr), nullptr);
    CloseHandle(pipe);
    ::close(ends[0]);
    ::close(ends[1]);
}

TEST(Process, TheAffinityMaskHoldsTheProcessorsTheProcessMayUse)
{
    cpu_set_t allowed;
    ASSERT_EQ(::sched_getaffinity(0, sizeof allowed, &allowed), 0);
    DWORD_PTR process = 0, system = 0;
    ASSERT_TRUE(GetProcessAffinityMask(GetCurrentProcess(), &process, &system));
    EXPECT_EQ(__builtin_popcountll(process), std::min(CPU_COUNT(&allowed), 64));
    EXPECT_EQ(process & ~system, 0u) << "a subset of the system's";
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(__builtin_ctzll(process), &one);
    ASSERT_EQ(::sched_setaffinity(0, sizeof one, &one), 0);
    EXPECT_TRUE(GetProcessAffinityMask(GetCurrentProcess(), &process, &system));
    ::sched_setaffinity(0, sizeof allowed, &allowed);
    EXPECT_EQ(__builtin_popcountll(process), 1) << "pinned to one, as by taskset -c";
}

TEST(Files, DirectoriesAreMadeAndFilesWrittenAndRemoved)
{
    const WideText directory = widePath(TempFile("").fsPath()) + TEXT(".dir");  // a free name
    const WideText file = directory + TEXT("/frame.png");
    EXPECT_EQ(GetFileAttributesW(directory.c_str()), INVALID_FILE_ATTRIBUTES);
    ASSERT_TRUE(CreateDirectoryW(directory.c_str(), nullptr));
    EXPECT_FALSE(CreateDirectoryW(directory.c_str(), nullptr)) << "it exists";
    EXPECT_EQ(GetFileAttributesW(directory.c_str()), FILE_ATTRIBUTE_DIRECTORY);

    FILE* stream = _wfopen(file.c_str(), TEXT("wb"));
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(std::fwrite("a\r\nb", 1, 4, stream), 4u);
    std::fclose(stream);
    EXPECT_EQ(GetFileAttributesW(file.c_str()), FILE_ATTRIBUTE_NORMAL);
    stream = _wfopen(file.c_str(), TEXT("rb"));
    char bytes[8] = {};
    EXPECT_EQ(std::fread(bytes, 1, sizeof bytes, stream), 4u) << "written unchanged";
    std::fclose(stream);

    EXPECT_FALSE(DeleteFileW(directory.c_str())) << "not a directory";
    EXPECT_TRUE(DeleteFileW(file.c_str()));
    EXPECT_EQ(GetFileAttributesW(file.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_FALSE(DeleteFileW(TEXT("/dev/null"))) << "not a device";
    EXPECT_TRUE(std::filesystem::remove(std::filesystem::path(directory)));
}

TEST(Files, CurrentDirectoryReportsTheSizeNeededWhenTheBufferIsShort)
{
    char* expected = ::getcwd(nullptr, 0);
    const WideText directory(expected, expected + std::strlen(expected));  // ASCII in the test setup
    std::free(expected);
    EXPECT_EQ(GetCurrentDirectoryW(0, nullptr), directory.size() + 1);
    WCHAR shortBuffer[2];
    EXPECT_EQ(GetCurrentDirectoryW(2, shortBuffer), directory.size() + 1);
    WideText buffer(directory.size() + 1, TEXT('?'));
    EXPECT_EQ(GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data()), directory.size());
    EXPECT_EQ(buffer.c_str(), directory);
}

TEST(Paths, ExtensionIsFromTheLastDotOfTheLastComponent)
{
    const std::pair<WideText, WideText> cases[] = {
        {TEXT("walk.bvh"), TEXT(".bvh")},      {TEXT("/a/b.c/walk.BVH"), TEXT(".BVH")}, {TEXT("/a/b.c/walk"), TEXT("")},
        {TEXT("archive.tar.gz"), TEXT(".gz")}, {TEXT("C:\\x.y\\file"), TEXT("")},     {TEXT("name.b vh"), TEXT("")},
        {TEXT(".hidden"), TEXT(".hidden")},    {TEXT(""), TEXT("")},
    };
    for (const auto& [path, extension] : cases) {
        const LPWSTR found = PathFindExtensionW(path.c_str());
        EXPECT_EQ(WideText(found), extension) << std::string(path.begin(), path.end());
        EXPECT_EQ(found[std::char_traits<WCHAR>::length(found)], 0);
        EXPECT_EQ(found + std::char_traits<WCHAR>::length(found), path.c_str() + path.size());
    }
}

TEST(Time, TimeGetTimeIsMonotonicMilliseconds)
{
    const DWORD before = timeGetTime();
    ::usleep(20000);
    const DWORD elapsed = timeGetTime() - before;
    EXPECT_GE(elapsed, 19u);
    EXPECT_LT(elapsed, 2000u);
}

TEST(Arithmetic, MulDivRoundsHalfAwayFromZero)
{
    struct Case {
        int a, b, c, result;
    };
    const Case cases[] = {{8, 96, 72, 11},  {9, 96, 72, 12},  {10, 96, 72, 13},     {3, 1, 2, 2},
                          {-3, 1, 2, -2},   {3, -1, 2, -2},   {3, 1, -2, -2},       {1, 1, 0, -1},
                          {187, 6, 4, 281}, {76, 13, 8, 124}, {0x7FFFFFFF, 2, 1, -1}, {0x7FFFFFFF, 4, 4, 0x7FFFFFFF}};
    for (const Case& c : cases) EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.result) << c.a << " " << c.b << " " << c.c;
}

TEST(DroppedFiles, UriListsGiveLocalPathsPercentDecoded)
{
    const std::string list =
        "# a comment\r\n"
        "file:///tmp/walk%20cycle.bvh\r\n"
        "file://localhost/tmp/run.bvh\r\n"
        "file://otherhost/tmp/remote.bvh\r\n"
        "http://example.invalid/web.bvh\r\n"
        "file:///tmp/%C3%A9t%C3%A9%2.bvh\n"
        "/tmp/plain.bvh";
    const std::vector<std::string> expected = {"/tmp/walk cycle.bvh", "/tmp/run.bvh", "/tmp/\xC3\xA9t\xC3\xA9%2.bvh",
                                               "/tmp/plain.bvh"};
    EXPECT_EQ(filePathsOfUriList(list), expected);
    EXPECT_TRUE(filePathsOfUriList("").empty());
}

TEST(DroppedFiles, DragQueryFileCountsCopiesAndTruncates)
{
    const HDROP drop = makeDrop({"/tmp/a.bvh", "/tmp/\xC3\xA9.bvh"});
    ASSERT_NE(drop, nullptr);
    EXPECT_EQ(DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0), 2u);
    EXPECT_EQ(DragQueryFileW(drop, 1, nullptr, 0), 10u) << "the length needed, without the terminator";
    WCHAR buffer[260];
    EXPECT_EQ(DragQueryFileW(drop, 1, buffer, 260), 10u);
    EXPECT_EQ(WideText(buffer), TEXT("/tmp/\u00E9.bvh"));
    WCHAR small[5];
    EXPECT_EQ(DragQueryFileW(drop, 0, small, 5), 4u);
    EXPECT_EQ(WideText(small), TEXT("/tmp"));
    EXPECT_EQ(DragQueryFileW(drop, 2, buffer, 260), 0u);
    DragFinish(drop);
    EXPECT_EQ(makeDrop({}), nullptr);
}

}  // namespace
