#include "commands/CommandLine.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "commands/Commands.h"
#include "commands/FolderWalk.h"
#include "motion/BvhNumbers.h"
#include "resources/WideText.h"

namespace {

constexpr const char* USAGE =
    "Usage: vexo [--realtime] [--fit] [--up y|z] [FILE]\n"
    "                                            open the viewer, optionally on a BVH file; --realtime\n"
    "                                            plays at the file's frame time\n"
    "       vexo --check [--json] FILE|FOLDER... check BVH files (folders: every *.bvh below them);\n"
    "                                            say why one is refused\n"
    "       vexo --lint [--json] FILE|FOLDER...  check them and say where an accepted file is\n"
    "                                            probably misread, as compiler warnings\n"
    "       vexo --positions [--frame N] FILE    world joint positions as CSV\n"
    "       vexo --snapshot OUT.png [--frame N] [--size WxH] [--fit] [--up y|z] FILE\n"
    "                                            the viewer's picture of frame N (default 1) as PNG\n"
    "       vexo --render DIR|OUT.gif|OUT.mp4 [--from N] [--to M] [--every K] [--size WxH]\n"
    "                    [--fit] [--up y|z] FILE\n"
    "                                            frames N..M (every Kth) as DIR/frame_000001.png ...,\n"
    "                                            or as an animated GIF or an H.264 MP4 video\n"
    "       vexo --export OUT.npz [--from N] [--to M] [--compress] FILE\n"
    "                                            the motion's arrays for NumPy (positions, rotations,\n"
    "                                            translations, skeleton, channels)\n"
    "       vexo --export DIR [--from N] [--to M] [--compress] FILE|FOLDER...\n"
    "                                            one .npz per motion below DIR, as the folders lay out\n"
    "       vexo --thumbnail OUT.png [--size N] [--up y|z] FILE\n"
    "                                            the whole skeleton at frame 1, N pixels square\n"
    "                                            (default 256), for file managers\n"
    "       vexo --sheet OUT.png [--size N] [--columns K] [--up y|z] FILE|FOLDER...\n"
    "                                            a contact sheet: every file's thumbnail (N pixels\n"
    "                                            square) with its name, K to a row\n"
    "       vexo --help | --version\n"
    "Pictures are 800x600 unless --size says otherwise; no display is needed for them.\n"
    "--fit places the camera as far from the root as shows the whole skeleton, whatever the units;\n"
    "--up z shows a file whose +z points up (y is the default).\n";

using Mode = CommandLine::Mode;

// How many file arguments a mode takes.
enum class Files { None, AtLeastOne, One };

// The options that choose a mode: what follows each (the output it writes, when missing is not
// null) and the files it takes.
struct ModeOption {
    const WCHAR* name;
    Mode mode;
    Files files;
    const char* missing = nullptr;  // the error when the output is not named; null: no output
};
constexpr ModeOption MODE_OPTIONS[] = {
    {TEXT("--check"), Mode::Check, Files::AtLeastOne},
    {TEXT("--lint"), Mode::Lint, Files::AtLeastOne},
    {TEXT("--positions"), Mode::Positions, Files::One},
    {TEXT("--snapshot"), Mode::Snapshot, Files::One, "--snapshot needs the PNG file to write"},
    {TEXT("--render"), Mode::Render, Files::One, "--render needs the folder, GIF or MP4 file to write to"},
    {TEXT("--thumbnail"), Mode::Thumbnail, Files::One, "--thumbnail needs the PNG file to write"},
    {TEXT("--sheet"), Mode::Sheet, Files::AtLeastOne, "--sheet needs the PNG file to write"},
    {TEXT("--export"), Mode::Export, Files::AtLeastOne, "--export needs the .npz file or the directory to write"},
    {TEXT("--help"), Mode::Help, Files::None},
    {TEXT("--version"), Mode::Version, Files::None},
};

// The options that qualify a mode, and the modes they belong to (the viewer is Mode::Viewer).
struct Qualifier {
    const WCHAR* name;
    std::vector<Mode> modes;
};
const Qualifier QUALIFIERS[] = {
    {TEXT("--frame"), {Mode::Positions, Mode::Snapshot}},
    {TEXT("--from"), {Mode::Render, Mode::Export}},
    {TEXT("--to"), {Mode::Render, Mode::Export}},
    {TEXT("--every"), {Mode::Render}},
    {TEXT("--compress"), {Mode::Export}},
    {TEXT("--size"), {Mode::Snapshot, Mode::Render, Mode::Thumbnail, Mode::Sheet}},
    {TEXT("--realtime"), {Mode::Viewer}},
    {TEXT("--json"), {Mode::Check, Mode::Lint}},
    {TEXT("--fit"), {Mode::Viewer, Mode::Snapshot, Mode::Render}},
    {TEXT("--up"), {Mode::Viewer, Mode::Snapshot, Mode::Render, Mode::Thumbnail, Mode::Sheet}},
    {TEXT("--columns"), {Mode::Sheet}},
};

const ModeOption* modeOption(WideTextView argument)
{
    const auto found = std::find_if(std::begin(MODE_OPTIONS), std::end(MODE_OPTIONS),
                                    [&](const ModeOption& option) { return argument == option.name; });
    return found != std::end(MODE_OPTIONS) ? found : nullptr;
}

const ModeOption& modeOption(Mode mode)
{
    return *std::find_if(std::begin(MODE_OPTIONS), std::end(MODE_OPTIONS),
                         [&](const ModeOption& option) { return option.mode == mode; });
}

std::string modeName(Mode mode)
{
    return mode == Mode::Viewer ? "the viewer" : toUtf8(modeOption(mode).name);
}

// "--frame belongs to --positions or --snapshot"
std::string belongsTo(const Qualifier& qualifier)
{
    std::string text = toUtf8(qualifier.name) + " belongs to ";
    for (size_t i = 0; i < qualifier.modes.size(); ++i) {
        if (i > 0) text += i + 1 == qualifier.modes.size() ? " or " : ", ";
        text += modeName(qualifier.modes[i]);
    }
    return text;
}

bool parseNumber(const std::string& text, std::int32_t& number)
{
    const bool digitsOnly = !text.empty() && text.find_first_not_of("0123456789") == std::string::npos;
    return digitsOnly && parseInt32(text.c_str(), number);
}

// A number of 1 or more into target; else the error "OPTION needs WHAT of 1 or more".
void parseCount(CommandLine& line, std::optional<std::int32_t>& target, LPCWSTR option, LPCWSTR value, const char* what)
{
    std::int32_t count = 0;
    if (value == nullptr || !parseNumber(toUtf8(value), count) || count < 1) {
        line.error = toUtf8(option) + " needs " + what + " of 1 or more";
        return;
    }
    target = count;
}

void parseUpAxis(CommandLine& line, LPCWSTR value)
{
    const std::string axis = value != nullptr ? toUtf8(value) : std::string();
    if (axis == "y" || axis == "Y") line.up = UpAxis::Y;
    else if (axis == "z" || axis == "Z") line.up = UpAxis::Z;
    else line.error = "--up needs the axis that points up: y or z";
}

// A thumbnail, and each tile of a sheet, is square: --size gives its side.
bool parseSquareSize(CommandLine& line, LPCWSTR value)
{
    std::int32_t side = 0;
    if (value == nullptr || !parseNumber(toUtf8(value), side) || side < 1 || side > CommandLine::MAX_SIDE) {
        const char* what = line.mode == Mode::Sheet ? "each tile's side" : "the thumbnail's side";
        line.error = "--size needs " + std::string(what) + " in pixels, from 1 to " + std::to_string(CommandLine::MAX_SIDE);
        return false;
    }
    line.size = {side, side};
    return true;
}

bool isSquare(Mode mode)
{
    return mode == Mode::Thumbnail || mode == Mode::Sheet;
}

bool parseSize(CommandLine& line, LPCWSTR value)
{
    if (isSquare(line.mode)) return parseSquareSize(line, value);
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

// What parse() collects before the mode is known.
struct Given {
    std::vector<const Qualifier*> qualifiers;
    LPCWSTR size = nullptr;  // read once the mode is known, as a thumbnail's is one number
};

// The qualifiers fit the mode, the files fit its count; then the size is read.
bool checkShape(CommandLine& line, const Given& given)
{
    for (const Qualifier* qualifier : given.qualifiers) {
        if (std::find(qualifier->modes.begin(), qualifier->modes.end(), line.mode) == qualifier->modes.end()) {
            line.error = belongsTo(*qualifier);
            return false;
        }
    }
    if (isSquare(line.mode)) line.size = CommandLine::DEFAULT_THUMBNAIL_SIZE;
    if (given.size != nullptr && !parseSize(line, given.size)) return false;
    const Files files = line.mode == Mode::Viewer ? Files::None : modeOption(line.mode).files;
    const std::string name = modeName(line.mode);
    if (line.from && line.to && *line.from > *line.to) {
        line.error = "--from " + std::to_string(*line.from) + " is after --to " + std::to_string(*line.to);
    } else if (files == Files::AtLeastOne && line.files.empty()) {
        line.error = name + " needs at least one file";
    } else if (files == Files::One && line.files.size() != 1) {
        line.error = name + " needs exactly one file";
    } else if (line.mode == Mode::Export && exportsOneArchive(line.output) && line.files.size() != 1) {
        line.error = "--export OUT.npz writes one motion: name one file, or a directory to export several";
    } else if (line.mode == Mode::Viewer && line.files.size() > 1) {
        line.files.erase(line.files.begin() + 1, line.files.end());  // the rest are ignored
    }
    return line.error.empty();
}

bool setMode(CommandLine& line, const ModeOption& option, LPCWSTR argument)
{
    if (line.mode != Mode::Viewer && line.mode != option.mode) {
        line.error = "option " + toUtf8(argument) + " cannot be combined with the one before it";
        return false;
    }
    line.mode = option.mode;
    return true;
}

// Reads the qualifier at arguments[i] and its value, if it takes one (i then moves past it).
void parseQualifier(CommandLine& line, Given& given, const Qualifier& qualifier, int count, LPWSTR* arguments, int& i)
{
    const WideTextView name = qualifier.name;
    given.qualifiers.push_back(&qualifier);
    // The flags take no value.
    bool CommandLine::*const flag = name == TEXT("--realtime")   ? &CommandLine::realtime
                                    : name == TEXT("--compress") ? &CommandLine::compress
                                    : name == TEXT("--json")     ? &CommandLine::json
                                    : name == TEXT("--fit")      ? &CommandLine::fit
                                                                 : nullptr;
    if (flag != nullptr) {
        line.*flag = true;
        return;
    }
    LPCWSTR value = i + 1 < count ? arguments[++i] : nullptr;
    if (name == TEXT("--up")) parseUpAxis(line, value);
    else if (name == TEXT("--columns")) parseCount(line, line.columns, qualifier.name, value, "a number of columns");
    else if (name == TEXT("--frame")) parseCount(line, line.frame, qualifier.name, value, "a frame number");
    else if (name == TEXT("--from")) parseCount(line, line.from, qualifier.name, value, "a frame number");
    else if (name == TEXT("--to")) parseCount(line, line.to, qualifier.name, value, "a frame number");
    else if (name == TEXT("--every")) parseCount(line, line.every, qualifier.name, value, "a count of frames");
    else if (name == TEXT("--size")) given.size = value != nullptr ? value : TEXT("");
}

const Qualifier* qualifier(WideTextView argument)
{
    const auto found = std::find_if(std::begin(QUALIFIERS), std::end(QUALIFIERS),
                                    [&](const Qualifier& q) { return argument == q.name; });
    return found != std::end(QUALIFIERS) ? found : nullptr;
}

}  // namespace

bool exportsOneArchive(LPCWSTR output)
{
    return hasExtension(output, TEXT(".npz"));
}

CommandLine CommandLine::parse(int count, LPWSTR* arguments)
{
    CommandLine line;
    Given given;
    bool optionsEnded = false;
    for (int i = 1; i < count && line.error.empty(); ++i) {
        const WideTextView argument = arguments[i];
        if (optionsEnded || !argument.starts_with(TEXT("--"))) {
            line.files.push_back(arguments[i]);
        } else if (argument == TEXT("--")) {
            optionsEnded = true;
        } else if (const ModeOption* mode = modeOption(argument)) {
            if (!setMode(line, *mode, arguments[i]) || mode->missing == nullptr) continue;
            line.output = i + 1 < count ? arguments[++i] : nullptr;
            if (line.output == nullptr) line.error = mode->missing;
        } else if (const Qualifier* option = qualifier(argument)) {
            parseQualifier(line, given, *option, count, arguments, i);
        } else {
            line.error = "unknown option " + toUtf8(arguments[i]);
        }
    }
    if (line.error.empty()) checkShape(line, given);
    return line;
}

std::string frameBeyondLastText(const char* option, std::int32_t frame, std::int32_t last)
{
    return std::string(option) + " " + std::to_string(frame) + " is beyond the last frame (" + std::to_string(last) + ")";
}

int frameBeyondLast(const char* option, std::int32_t frame, std::int32_t last)
{
    std::fprintf(stderr, "vexo: %s\n", frameBeyondLastText(option, frame, last).c_str());
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
    case Mode::Check: return runCheck(line);
    case Mode::Lint: return runLint(line);
    case Mode::Positions: return runPositions(line);
    case Mode::Snapshot: return runSnapshot(line);
    case Mode::Render: return runRender(line);
    case Mode::Thumbnail: return runThumbnail(line);
    case Mode::Sheet: return runSheet(line);
    case Mode::Export: return runExport(line);
    case Mode::Viewer: break;
    }
    return 2;
}
