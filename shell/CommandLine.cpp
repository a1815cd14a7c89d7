#include "shell/CommandLine.h"

#include <cstdio>
#include <cstring>

#include "motion/BvhNumbers.h"
#include "shell/Commands.h"

namespace {

constexpr const char* USAGE =
    "Usage: vexo [FILE]                          open the viewer, optionally on a BVH file\n"
    "       vexo --check FILE...                 check BVH files; say why one is refused\n"
    "       vexo --positions [--frame N] FILE    world joint positions as CSV\n"
    "       vexo --help | --version\n";

bool isOption(LPCWSTR argument, const char16_t* name)
{
    return std::u16string_view(argument) == name;
}

bool setMode(CommandLine& line, CommandLine::Mode mode, LPCWSTR argument)
{
    if (line.mode != CommandLine::Mode::Viewer && line.mode != mode) {
        line.error = "option " + toUtf8(argument) + " cannot be combined with the one before it";
        return false;
    }
    line.mode = mode;
    return true;
}

bool parseFrame(CommandLine& line, LPCWSTR value)
{
    const std::string text = value != nullptr ? toUtf8(value) : std::string();
    std::int32_t frame = 0;
    const bool digitsOnly = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    if (!digitsOnly || !parseInt32(text.c_str(), frame) || frame < 1) {
        line.error = "--frame needs a frame number of 1 or more";
        return false;
    }
    line.frame = frame;
    return true;
}

bool checkShape(CommandLine& line)
{
    using Mode = CommandLine::Mode;
    if (line.frame && line.mode != Mode::Positions) line.error = "--frame belongs to --positions";
    else if (line.mode == Mode::Check && line.files.empty()) line.error = "--check needs at least one file";
    else if (line.mode == Mode::Positions && line.files.size() != 1) line.error = "--positions needs exactly one file";
    else if (line.mode == Mode::Viewer && line.files.size() > 1) line.files.erase(line.files.begin() + 1, line.files.end());  // the rest are ignored
    return line.error.empty();
}

}  // namespace

std::string toUtf8(LPCWSTR text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, bytes.data(), size, nullptr, nullptr);
    bytes.pop_back();  // the terminator
    return bytes;
}

CommandLine CommandLine::parse(int count, LPWSTR* arguments)
{
    CommandLine line;
    bool optionsEnded = false;
    for (int i = 1; i < count && line.error.empty(); ++i) {
        LPCWSTR argument = arguments[i];
        const bool option = !optionsEnded && std::u16string_view(argument).starts_with(u"--");
        if (!option) {
            line.files.push_back(argument);
        } else if (isOption(argument, u"--")) {
            optionsEnded = true;
        } else if (isOption(argument, u"--check")) {
            setMode(line, Mode::Check, argument);
        } else if (isOption(argument, u"--positions")) {
            setMode(line, Mode::Positions, argument);
        } else if (isOption(argument, u"--help")) {
            setMode(line, Mode::Help, argument);
        } else if (isOption(argument, u"--version")) {
            setMode(line, Mode::Version, argument);
        } else if (isOption(argument, u"--frame")) {
            parseFrame(line, i + 1 < count ? arguments[++i] : nullptr);
        } else {
            line.error = "unknown option " + toUtf8(argument);
        }
    }
    if (line.error.empty()) checkShape(line);
    return line;
}

int runCommand(const CommandLine& line)
{
    if (!line.error.empty()) {
        std::fprintf(stderr, "vexo: %s\n%s", line.error.c_str(), USAGE);
        return 2;
    }
    switch (line.mode) {
    case CommandLine::Mode::Help: std::fputs(USAGE, stdout); return 0;
    case CommandLine::Mode::Version: std::puts("VEXO 1.0.0.2"); return 0;
    case CommandLine::Mode::Check: return runCheck(line.files);
    case CommandLine::Mode::Positions: return runPositions(line.files[0], line.frame.value_or(0));
    case CommandLine::Mode::Viewer: break;
    }
    return 2;
}
