#pragma once

#include <cstdint>
#include <vector>

#include "platform/win32.h"
#include "resources/WideText.h"

// A BVH file a command works on: its path, its path below the folder it was found in (for a file
// named itself, its name alone), which outputs keep, and its size in bytes (0 when unknown).
struct MotionFile {
    WideText path;
    WideText relative;
    std::uint64_t bytes = 0;
};

// The files of a command line whose arguments name files and folders: a file is taken as named,
// whatever its name; a folder is walked, its subfolders too, for files named *.bvh in any case. The
// order is stable and the same on every platform: arguments as given, a folder's entries sorted by
// name (UTF-16 code units), a subfolder's files where its name sorts. Linked folders are not entered,
// so a link back up cannot loop.
struct FolderWalk {
    std::vector<MotionFile> files;
    std::vector<WideText> unreadable;  // folders whose entries could not be listed
    std::vector<WideText> empty;       // folders named on the command line that hold no BVH file
};
FolderWalk walkArguments(const std::vector<LPCWSTR>& arguments);

// Tells on stderr of the folders that could not be read or hold no BVH file; 1 when one could not be
// read, else 0.
int reportFolders(const FolderWalk& walk);

// The bytes of all the files, for a rate and a time left.
std::uint64_t totalBytes(const std::vector<MotionFile>& files);

// Threads the reader may use for each of these files: all there are for a single file, one when
// several files are read at a time on every processor.
int readerThreadsFor(const std::vector<MotionFile>& files);

// How many files a worker may be ahead of the one whose outcome comes out next (OrderedBatches'
// slots per worker): a folder's files differ in size a hundredfold, and one large file must not
// leave the other workers waiting. What a slot holds for a file is a few lines of text.
constexpr int FILES_AHEAD_PER_WORKER = 16;

// Whether name is something followed by extension (given in lower case, ".bvh"), in any case.
bool hasExtension(WideTextView name, WideTextView extension);

// The directory, made when it is missing (its parent must exist); false when it cannot be, or a file
// has its name. Several threads may ask for the same one.
bool ensureDirectory(LPCWSTR directory);

// folder + name with the platform's separator between them (none added when folder ends in one).
WideText joinPath(WideTextView folder, WideTextView name);
