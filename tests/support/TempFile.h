#pragma once

#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <unistd.h>

#include "resources/WideText.h"

// A file with the given bytes in the temporary directory, removed again by the destructor.
class TempFile {
public:
    explicit TempFile(std::string_view bytes, const char* suffix = ".bvh")
    {
        static int counter = 0;
        name = std::filesystem::temp_directory_path() /
               ("vexo_test_" + std::to_string(::getpid()) + "_" + std::to_string(counter++) + suffix);
        std::ofstream(name, std::ios::binary).write(bytes.data(), std::streamsize(bytes.size()));
        wide = widePath(name);
    }
    ~TempFile() { std::filesystem::remove(name); }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const WCHAR* path() const { return wide.c_str(); }
    const std::filesystem::path& fsPath() const { return name; }

private:
    std::filesystem::path name;
    WideText wide;
};
