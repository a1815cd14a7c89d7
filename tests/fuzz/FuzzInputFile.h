#pragma once
// The fuzz input as a file with a name, for targets that open files by path.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/mman.h>
#include <unistd.h>

#include "resources/WideText.h"

// The input as a file with a name. It lives in memory (memfd) and is reopened by its /proc name for
// every run, so the reader opens it exactly as a file on disk and a killed run leaves nothing behind.
class InputFile {
public:
    InputFile()
    {
        fd = memfd_create("vexo-fuzz-input", MFD_CLOEXEC);
        if (fd < 0) {
            std::perror("memfd_create");
            std::abort();
        }
        for (char c : "/proc/self/fd/" + std::to_string(fd)) name.push_back(static_cast<WCHAR>(c));
    }

    void store(const std::uint8_t* data, size_t size)
    {
        if (ftruncate(fd, 0) != 0) std::abort();
        for (size_t done = 0; done < size;) {
            const ssize_t put = pwrite(fd, data + done, size - done, static_cast<off_t>(done));
            if (put <= 0) std::abort();
            done += static_cast<size_t>(put);
        }
    }

    LPCWSTR path() const { return name.c_str(); }

private:
    int fd;
    WideText name;
};
