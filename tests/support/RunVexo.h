#pragma once

// Runs the vexo binary (VEXO_BINARY) as a user would, without a display, and collects its output.
// Realised per platform in tests/support/<platform>/RunVexo.cpp: through the shell on Linux (with
// DISPLAY unset), as a process of its own on Windows.

#include <filesystem>
#include <string>

struct RunResult {
    int status;       // exit status, -1 when it did not exit
    std::string out;  // stdout, then stderr when asked for
};

// Runs vexo with the given arguments (paths already quoted by quoted()); stderr is folded into out
// when asked, else dropped.
RunResult vexo(const std::string& arguments, bool withStderr = false);

// A path quoted as one argument (the tests' paths hold no quote).
std::string quoted(const std::filesystem::path& path);
