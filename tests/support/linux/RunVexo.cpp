// vexo run through the shell with DISPLAY unset.

#include "RunVexo.h"

#include <cstdio>
#include <sys/wait.h>

RunResult vexo(const std::string& arguments, bool withStderr)
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

// In single quotes for the shell.
std::string quoted(const std::filesystem::path& path)
{
    std::string text = "'";  // appended, not "'" + ...: GCC 12 warns falsely (-Wrestrict) about that
    text += path.string();
    return text += "'";
}
