#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "commands/TextStrip.h"
#include "commands/WholeFile.h"
#include "platform/win32.h"
#include "resources/Image.h"
#include "resources/PngEncoder.h"
#include "resources/WideText.h"

// A contact sheet written as a PNG file: one cell per motion, left to right and row after row, each
// a square picture with the motion's name under it, on a dark ground with a gap around every cell.
// It is written a band (a row of cells) at a time, so that memory holds one band whatever the
// number of cells; the file is written whole or not at all.
//
//     ContactSheet sheet(path, ContactSheet::Layout::of(files, 256, std::nullopt));
//     for (...) sheet.addPicture(picture, name);   // or sheet.addRefused(name)
//     if (!sheet.finish()) fail(sheet.failure());
class ContactSheet {
public:
    // The largest side of a sheet: beyond it, picture programs refuse or struggle.
    static constexpr std::int64_t MAX_SIDE = 65535;

    // Where the cells go, in pixels.
    struct Layout {
        std::int64_t cells;
        std::int32_t side;     // of a picture
        std::int32_t columns;  // cells to a row
        std::int64_t rows;
        std::int32_t gap;      // between cells and around them
        std::int32_t emPixels;  // of the names' text
        std::int32_t labelHeight;  // of the strip under a picture that holds its name
        std::int64_t width;
        std::int64_t height;

        // For that many cells with pictures side pixels square: columns as asked (no more than
        // there are cells), else as many as makes the sheet about square.
        static Layout of(std::int64_t cells, std::int32_t side, std::optional<std::int32_t> columns);
        // Rows of pixels from a row of cells to the next.
        std::int32_t bandHeight() const { return side + labelHeight + gap; }
        std::int32_t cellLeft(std::int32_t column) const { return gap + column * (side + gap); }
    };

    ContactSheet(LPCWSTR path, const Layout& layout);

    // False when the file, the band or the text could not be made; failure() says why.
    bool ok() const { return failure().empty(); }
    // One line for stderr.
    const std::string& failure() const { return reason; }

    // The next cell: a picture side x side (RGBA) and the name under it.
    bool addPicture(const Image& picture, WideTextView name);
    // The next cell, for a motion that could not be read: a plain square saying "refused".
    bool addRefused(WideTextView name);
    // Writes the last band and ends the file, which then takes its name.
    bool finish();

private:
    bool fail(std::string why);
    // fail() with the output's name and the system's reason.
    bool failWriting();
    // The cell the next picture goes into: its band cleared when it starts one.
    BYTE* nextCell();
    // After a cell is filled: the band is written out when it is complete.
    bool cellDone();
    bool writeBand();
    void writeName(WideTextView name, BYTE* cell);

    Layout layout;
    std::string name;  // of the output, for messages
    std::string reason;
    WholeFile file;
    FILE* stream = nullptr;
    std::optional<PngEncoder> png;
    Image band;  // one row of cells and the gap below it
    TextStrip strip;
    std::int64_t filled = 0;  // cells so far
};
