#include "commands/ContactSheet.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>

#include "commands/CommandLine.h"

namespace {

const BYTE GROUND[3] = {40, 40, 40};
const BYTE NAME_COLOUR[3] = {230, 230, 230};
const BYTE REFUSED_GROUND[3] = {96, 96, 96};
const BYTE REFUSED_COLOUR[3] = {255, 255, 255};
constexpr WCHAR REFUSED[] = TEXT("refused");

void fill(BYTE* pixels, std::size_t count, const BYTE colour[3])
{
    for (std::size_t i = 0; i < count; ++i, pixels += 4) {
        pixels[0] = colour[0];
        pixels[1] = colour[1];
        pixels[2] = colour[2];
        pixels[3] = 255;
    }
}

}  // namespace

ContactSheet::Layout ContactSheet::Layout::of(std::int64_t cells, std::int32_t side, std::optional<std::int32_t> columns)
{
    Layout layout{};
    layout.cells = std::max<std::int64_t>(cells, 1);
    layout.side = side;
    const auto square = static_cast<std::int64_t>(std::ceil(std::sqrt(static_cast<double>(layout.cells))));
    layout.columns = static_cast<std::int32_t>(std::min<std::int64_t>(columns.value_or(std::int32_t(square)), layout.cells));
    layout.rows = (layout.cells + layout.columns - 1) / layout.columns;
    // The gap and the names grow with the pictures, the names no smaller than the viewer's text.
    layout.gap = std::max(2, side / 32);
    layout.emPixels = std::max(10, side / 20);
    layout.labelHeight = layout.emPixels * 3 / 2;
    layout.width = layout.gap + std::int64_t{layout.columns} * (side + layout.gap);
    layout.height = layout.gap + layout.rows * layout.bandHeight();
    return layout;
}

ContactSheet::ContactSheet(LPCWSTR path, const Layout& layout)
    : layout(layout), name(toUtf8(path)), file(path), strip(layout.side, layout.labelHeight, layout.emPixels)
{
    if (!band.allocate(std::int32_t(layout.width), layout.bandHeight())) {
        fail("vexo: out of memory for the sheet");
        return;
    }
    if (!strip.ok()) {
        fail("vexo: no font for the names on the sheet");
        return;
    }
    stream = file.open();
    if (stream == nullptr) {
        fail(file.failure());
        return;
    }
    png.emplace(stream, std::int32_t(layout.width), std::int32_t(layout.height), PngEncoder::Stored::Rgb);
    // The gap above the first row of cells.
    fill(band.pixels, std::size_t(layout.width), GROUND);
    errno = 0;
    for (std::int32_t row = 0; row < layout.gap; ++row) {
        if (!png->writeRows(band.pixels, 1)) {
            failWriting();
            return;
        }
    }
}

bool ContactSheet::fail(std::string why)
{
    reason = std::move(why);
    return false;
}

bool ContactSheet::failWriting()
{
    // A failed write leaves its reason in errno, which was cleared before it.
    const int error = errno;
    return fail("vexo: cannot write " + name + (error != 0 ? std::string(": ") + std::strerror(error) : std::string()));
}

BYTE* ContactSheet::nextCell()
{
    const auto column = std::int32_t(filled % layout.columns);
    if (column == 0) fill(band.pixels, std::size_t(band.width) * std::size_t(band.height), GROUND);
    return band.pixels + std::size_t(layout.cellLeft(column)) * 4;
}

void ContactSheet::writeName(WideTextView name, BYTE* cell)
{
    strip.write(name, GROUND, NAME_COLOUR, cell + std::size_t(layout.side) * std::size_t(band.stride), std::size_t(band.stride));
}

bool ContactSheet::addPicture(const Image& picture, WideTextView name)
{
    if (!ok()) return false;
    BYTE* cell = nextCell();
    const std::size_t rowBytes = std::size_t(layout.side) * 4;
    for (std::int32_t y = 0; y < layout.side; ++y) {
        std::memcpy(cell + std::size_t(y) * std::size_t(band.stride), picture.pixels + std::size_t(y) * std::size_t(picture.stride), rowBytes);
    }
    writeName(name, cell);
    return cellDone();
}

bool ContactSheet::addRefused(WideTextView name)
{
    if (!ok()) return false;
    BYTE* cell = nextCell();
    for (std::int32_t y = 0; y < layout.side; ++y) fill(cell + std::size_t(y) * std::size_t(band.stride), std::size_t(layout.side), REFUSED_GROUND);
    const std::int32_t middle = std::max(0, (layout.side - layout.labelHeight) / 2);
    strip.write(REFUSED, REFUSED_GROUND, REFUSED_COLOUR, cell + std::size_t(middle) * std::size_t(band.stride), std::size_t(band.stride));
    writeName(name, cell);
    return cellDone();
}

bool ContactSheet::cellDone()
{
    ++filled;
    return filled % layout.columns != 0 || writeBand();
}

bool ContactSheet::writeBand()
{
    errno = 0;
    return png->writeRows(band.pixels, band.height, std::size_t(band.stride)) || failWriting();
}

bool ContactSheet::finish()
{
    if (!ok()) return false;
    if (filled % layout.columns != 0 && !writeBand()) return false;
    errno = 0;
    if (!png->finish()) return failWriting();
    if (!file.commit()) return fail(file.failure());
    return true;
}
