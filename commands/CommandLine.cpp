#include "commands/CommandLine.h"

#include <cstdio>
#include <cstring>

#include "motion/BvhNumbers.h"
#include "resources/WideText.h"
#include "commands/Commands.h"

namespace {

constexpr const char* USAGE =
    "Usage: vexo [--realtime] [FILE]             open the viewer, optionally on a BVH file; --realtime\n"
    "                                            plays at the file's frame time\n"
    "       vexo --check FILE...                 check BVH files; say why one is refused\n"
    "       vexo --positions [--frame N] FILE    world joint positions as CSV\n"
    "       vexo --snapshot OUT.png [--frame N] [--size WxH] FILE\n"
    "                                            the viewer's picture of frame N (default 1) as PNG\n"
    "       vexo --render DIR [--from N] [--to M] [--size WxH] FILE\n"
    "                                            frames N..M as DIR/frame_000001.png ...\n"
    "       vexo --thumbnail OUT.png [--size N] FILE\n"
    "                                            the whole skeleton at frame 1, N pixels square\n"
    "                                            (default 256), for file managers\n"
    "       vexo --help | --version\n"
    "Pictures are 800x600 unless --size says otherwise; no display is needed for them.\n";

using Mode = CommandLine::Mode;

bool isOption(LPCWSTR argument, const WCHAR* name)
{
    return WideTextView(argument) == name;
}

bool setMode(CommandLine& line, Mode mode, LPCWSTR argument)
{
    if (line.mode != Mode::Viewer && line.mode != mode) {
        line.error = "option " + toUtf8(argument) + " cannot be combined with the one before it";
        return false;
    }
    line.mode = mode;
    return true;
}

bool parseNumber(const std::string& text, std::int32_t& number)
{
    const bool digitsOnly = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    return digitsOnly && parseInt32(text.c_str(), number);
}

void parseFrameNumber(CommandLine& line, std::optional<std::int32_t>& target, LPCWSTR option, LPCWSTR value)
{
    std::int32_t frame = 0;
    if (value == nullptr || !parseNumber(toUtf8(value), frame) || frame < 1) {
        line.error = toUtf8(option) + " needs a frame number of 1 or more";
        return;
    }
    target = frame;
}

// A thumbnail is square: --size gives its side.
bool parseThumbnailSize(CommandLine& line, LPCWSTR value)
{
    std::int32_t side = 0;
    if (value == nullptr || !parseNumber(toUtf8(value), side) || side < 1 || side > CommandLine::MAX_SIDE) {
        line.error = "--size needs the thumbnail's side in pixels, from 1 to " + std::to_string(CommandLine::MAX_SIDE);
        return false;
    }
    line.size = {side, side};
    return true;
}

bool parseSize(CommandLine& line, LPCWSTR value)
{
    if (line.mode == Mode::Thumbnail) return parseThumbnailSize(line, value);
    const std::string text = value != nullptr ? toUtf8(value) : std::string();
    const size_t cross = text.find('x');
    CommandLine::Size size{0, 0};
    if (cross == std::string::npos || !parseNumber(text.substr(0, cross), size.width) ||
        !parseNumber(text.substr(cross + 1), size.height) || size.width < 1 || size.height < 1 ||
        size.width > CommandLine::MAX_SIDE || size.height > CommandLine::MAX_SIDE) {
        line.error = "--size needs WIDTHxHEIGHT in pixels, each from 1 to " + std::to_string(CommandLine::MAX_SIDE);
        return false;
    }
    line.size = size;
    return true;
}

// The options that write pictures, each followed by what it writes to.
struct OutputOption {
    const WCHAR* name;
    Mode mode;
    const char* missing;  // the error when the output is not named
};
constexpr OutputOption OUTPUT_OPTIONS[] = {
    {TEXT("--snapshot"), Mode::Snapshot, "--snapshot needs the PNG file to write"},
    {TEXT("--render"), Mode::Render, "--render needs the directory to write to"},
    {TEXT("--thumbnail"), Mode::Thumbnail, "--thumbnail needs the PNG file to write"},
};

const OutputOption* outputOption(LPCWSTR argument)
{
    for (const OutputOption& option : OUTPUT_OPTIONS) {
        if (isOption(argument, option.name)) return &option;
    }
    return nullptr;
}

const char* modeOption(Mode mode)
{
    switch (mode) {
    case Mode::Positions: return "--positions";
    case Mode::Snapshot: return "--snapshot";
    case Mode::Render: return "--render";
    case Mode::Thumbnail: return "--thumbnail";
    default: return "";
    }
}

// The size is read once the mode is known, as a thumbnail's is one number.
bool checkShape(CommandLine& line, bool sizeGiven, LPCWSTR sizeValue)
{
    const bool picture = line.mode == Mode::Snapshot || line.mode == Mode::Render || line.mode == Mode::Thumbnail;
    if (line.mode == Mode::Thumbnail) line.size = CommandLine::DEFAULT_THUMBNAIL_SIZE;
    if (sizeGiven && picture && !parseSize(line, sizeValue)) return false;
    if (line.frame && line.mode != Mode::Positions && line.mode != Mode::Snapshot) {
        line.error = "--frame belongs to --positions or --snapshot";
    } else if ((line.from || line.to) && line.mode != Mode::Render) {
        line.error = std::string(line.from ? "--from" : "--to") + " belongs to --render";
    } else if (sizeGiven && !picture) {
        line.error = "--size belongs to --snapshot, --render or --thumbnail";
    } else if (line.realtime && line.mode != Mode::Viewer) {
        line.error = "--realtime belongs to the viewer";
    } else if (line.from && line.to && *line.from > *line.to) {
        line.error = "--from " + std::to_string(*line.from) + " is after --to " + std::to_string(*line.to);
    } else if (line.mode == Mode::Check && line.files.empty()) {
        line.error = "--check needs at least one file";
    } else if ((line.mode == Mode::Positions || picture) && line.files.size() != 1) {
        line.error = std::string(modeOption(line.mode)) + " needs exactly one file";
    } else if (line.mode == Mode::Viewer && line.files.size() > 1) {
        line.files.erase(line.files.begin() + 1, line.files.end());  // the rest are ignored
    }
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
    bool sizeGiven = false;
    LPCWSTR sizeValue = nullptr;
    for (int i = 1; i < count && line.error.empty(); ++i) {
        LPCWSTR argument = arguments[i];
        const bool option = !optionsEnded && WideTextView(argument).starts_with(TEXT("--"));
        if (!option) {
            line.files.push_back(argument);
        } else if (isOption(argument, TEXT("--"))) {
            optionsEnded = true;
        } else if (isOption(argument, TEXT("--check"))) {
            setMode(line, Mode::Check, argument);
        } else if (isOption(argument, TEXT("--positions"))) {
            setMode(line, Mode::Positions, argument);
        } else if (const OutputOption* output = outputOption(argument)) {
            if (!setMode(line, output->mode, argument)) continue;
            line.output = i + 1 < count ? arguments[++i] : nullptr;
            if (line.output == nullptr) line.error = output->missing;
        } else if (isOption(argument, TEXT("--help"))) {
            setMode(line, Mode::Help, argument);
        } else if (isOption(argument, TEXT("--version"))) {
            setMode(line, Mode::Version, argument);
        } else if (isOption(argument, TEXT("--frame"))) {
            parseFrameNumber(line, line.frame, argument, i + 1 < count ? arguments[++i] : nullptr);
        } else if (isOption(argument, TEXT("--from"))) {
            parseFrameNumber(line, line.from, argument, i + 1 < count ? arguments[++i] : nullptr);
        } else if (isOption(argument, TEXT("--to"))) {
            parseFrameNumber(line, line.to, argument, i + 1 < count ? arguments[++i] : nullptr);
        } else if (isOption(argument, TEXT("--size"))) {
            sizeValue = i + 1 < count ? arguments[++i] : nullptr;
            sizeGiven = true;
        } else if (isOption(argument, TEXT("--realtime"))) {
            line.realtime = true;
        } else {
            line.error = "unknown option " + toUtf8(argument);
        }
    }
    if (line.error.empty()) checkShape(line, sizeGiven, sizeValue);
    return line;
}

int frameBeyondLast(const char* option, std::int32_t frame, std::int32_t last)
{
    std::fprintf(stderr, "vexo: %s %d is beyond the last frame (%d)\n", option, frame, last);
    return 2;
}

int runCommand(const CommandLine& line)
{
    if (!line.error.empty()) {
        std::fprintf(stderr, "vexo: %s (vexo --help shows the usage)\n", line.error.c_str());
        return 2;
    }
    switch (line.mode) {
    case Mode::Help: std::fputs(USAGE, stdout); return 0;
    case Mode::Version: std::puts("VEXO 1.0.0.2"); return 0;
    case Mode::Check: return runCheck(line.files);
    case Mode::Positions: return runPositions(line.files[0], line.frame.value_or(0));
    case Mode::Snapshot: return runSnapshot(line.files[0], line.output, line.frame.value_or(1), line.size);
    case Mode::Render: return runRender(line.files[0], line.output, line.from.value_or(1), line.to, line.size);
    case Mode::Thumbnail: return runThumbnail(line.files[0], line.output, line.size);
    case Mode::Viewer: break;
    }
    return 2;
}
