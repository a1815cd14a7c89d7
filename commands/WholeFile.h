#pragma once

#include <cstdio>
#include <string>

#include "platform/win32.h"
#include "resources/WideText.h"

// An output written whole or not at all: its bytes go to a temporary file beside it, which takes the
// output's name only once complete. A failure, or leaving without commit(), removes the temporary
// file, so a full disk, a refused input or a crash never leaves a partial output behind.
//
//     WholeFile out(path);
//     FILE* stream = out.open();
//     if (stream == nullptr || !write(stream) || !out.commit()) fail(out.failure());
class WholeFile {
public:
    explicit WholeFile(LPCWSTR path);
    ~WholeFile();
    WholeFile(const WholeFile&) = delete;
    WholeFile& operator=(const WholeFile&) = delete;

    // The temporary file's name, for a writer that opens files by name (then not open()).
    LPCWSTR temporaryPath() const { return temporary.c_str(); }
    // The temporary file opened for writing bytes; null when it cannot be (failure() says why), also
    // when the output's name is taken by a folder.
    FILE* open();
    // Closes what open() opened and gives the output its bytes: false when writing or renaming failed.
    bool commit();
    // One line for stderr: what could not be written and why, with the output's path.
    const std::string& failure() const { return reason; }

private:
    bool fail(const char* why);

    WideText path;
    WideText temporary;
    FILE* stream = nullptr;
    bool committed = false;
    std::string reason;
};
