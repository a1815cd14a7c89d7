#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/win32.h"
#include "resources/WideText.h"
#include "viewer/Scene.h"

// The options of the command line. Arguments that begin with "--" are options, "--" ends them; the
// others name files (and, where a mode walks them, folders). Without a mode option, the first names
// the start-up file of the viewer.
struct CommandLine {
    enum class Mode { Viewer, Check, Lint, Positions, Snapshot, Render, Thumbnail, Sheet, Export, Help, Version };

    struct Size {
        std::int32_t width;
        std::int32_t height;
    };
    // Pictures of the offscreen viewer: DEFAULT_SIZE (a thumbnail, and each tile of a sheet,
    // DEFAULT_THUMBNAIL_SIZE) unless --size; each side at most MAX_SIDE.
    static constexpr Size DEFAULT_SIZE{800, 600};
    static constexpr Size DEFAULT_THUMBNAIL_SIZE{256, 256};
    static constexpr std::int32_t MAX_SIDE = 8192;

    Mode mode = Mode::Viewer;
    std::vector<LPCWSTR> files;
    LPCWSTR output = nullptr;           // what the mode writes to: a file, or a folder (--render, --export)
    std::optional<std::int32_t> columns;  // of a sheet: --columns, else about as many as rows
    std::optional<std::int32_t> frame;  // 1-based, as are from and to
    std::optional<std::int32_t> from;
    std::optional<std::int32_t> to;
    std::optional<std::int32_t> every;  // --render keeps every Kth frame
    Size size = DEFAULT_SIZE;
    bool realtime = false;              // the viewer paces playback by the file's frame time
    bool fit = false;                   // the camera's distances fit the skeleton after each load
    UpAxis up = UpAxis::Y;              // the file's axis that points up
    bool json = false;                  // --check and --lint write JSON Lines
    bool compress = false;              // --export deflates the arrays
    std::string error;                  // set when the arguments are not usable

    static CommandLine parse(int count, LPWSTR* arguments);
};

// Runs a command-line mode other than the viewer; returns the process's exit status.
int runCommand(const CommandLine& commandLine);

// Whether --export writes one archive to output (its name ends in .npz, in any case) rather than a
// directory of them.
bool exportsOneArchive(LPCWSTR output);
