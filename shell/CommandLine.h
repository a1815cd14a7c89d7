#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/win32.h"

// The options of the command line. Arguments that begin with "--" are options, "--" ends them;
// a bare first argument names the start-up file of the viewer.
struct CommandLine {
    enum class Mode { Viewer, Check, Positions, Help, Version };

    Mode mode = Mode::Viewer;
    std::vector<LPCWSTR> files;
    std::optional<std::int32_t> frame;  // 1-based
    std::string error;                  // set when the arguments are not usable

    static CommandLine parse(int count, LPWSTR* arguments);
};

// Runs a command-line mode other than the viewer; returns the process's exit status.
int runCommand(const CommandLine& commandLine);

// UTF-8 form of a UTF-16 text, for messages and output.
std::string toUtf8(LPCWSTR text);
