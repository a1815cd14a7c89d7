#pragma once

// Runs the vexo binary (VEXO_BINARY) as a user would, without a display, and collects its output.

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/wait.h>

struct RunResult {
    int status;       // exit status, -1 when it did not exit
    std::string out;  // stdout, then stderr when asked for
};

// Runs vexo with the given arguments (already shell-quoted) and DISPLAY unset; stderr is folded
// into out when asked, else dropped.
inline RunResult vexo(const std::string& arguments, bool withStderr = false)
{
    const std::string command = "env -u DISPLAY -u WAYLAND_DISPLAY " + std::string(VEXO_BINARY) + " " + arguments +
                                (withStderr ? " 2>&1" : " 2>/dev/null");
    FILE* pipe = popen(command.c_str(), "r");
    RunResult run{-1, {}};
    if (pipe == nullptr) return run;
    char chunk[4096];
    for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe)) > 0;) run.out.append(chunk, n);
    const int status = pclose(pipe);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// A path in single quotes for the shell (the tests' paths hold no quote).
inline std::string quoted(const std::filesystem::path& path)
{
    std::string text = "'";  // appended, not "'" + ...: GCC 12 warns falsely (-Wrestrict) about that
    text += path.string();
    return text += "'";
}
