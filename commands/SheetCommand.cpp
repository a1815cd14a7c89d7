// `vexo --sheet`: the thumbnails of many motions on one contact sheet. The files are read and drawn
// several at a time, each thread drawing with painters (OpenGL contexts) of its own, and put on the
// sheet in order as they come, a band of cells at a time.
//
// Mesa's llvmpipe makes the pictures of all contexts with one pool of rasteriser threads, a picture
// at a time, while the thread that issued it waits. So on long runs each thread takes two files at a
// time and issues both pictures before it reads the first back: while the rasteriser makes one, the
// thread issues the next, and the processors idle less (on two, a thousand thumbnails took 4.0 s
// instead of 4.4 s). A second painter costs its context's shaders, built at its first picture in
// about the time thirty thumbnails take: short runs keep one picture in flight.

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "commands/Commands.h"
#include "commands/ContactSheet.h"
#include "commands/FolderWalk.h"
#include "commands/LoadedMotion.h"
#include "commands/OrderedBatches.h"
#include "commands/Progress.h"
#include "commands/ScenePainter.h"
#include "platform/Workers.h"

namespace {

constexpr int MAX_IN_FLIGHT = 2;
constexpr std::int64_t FILES_A_PROCESSOR_FOR_TWO = 32;

// Pictures each thread keeps in flight for a run of that many files.
int picturesInFlight(std::int64_t files)
{
    return files >= FILES_A_PROCESSOR_FOR_TWO * usableProcessors() ? MAX_IN_FLIGHT : 1;
}

// Painters for the threads that draw, lent inFlight at a time to one thread. They are made and freed
// on the calling thread; any thread may borrow them.
class Painters {
public:
    Painters(int workers, int inFlight, std::int32_t side, UpAxis up) : inFlight(inFlight)
    {
        for (int i = 0; i < workers * inFlight; ++i) {
            auto painter = std::make_unique<ScenePainter>(side, up);
            if (!painter->ok()) return;
            idle.push_back(painter.get());
            all.push_back(std::move(painter));
        }
        made = true;
    }

    bool ok() const { return made; }

    // Waits for inFlight idle painters, taken together (a thread that held some while waiting for
    // more could wait for ever). There are inFlight for every worker, and the calling thread draws
    // only files no worker has taken yet, which is rare, so the wait is short.
    void borrow(ScenePainter** lent)
    {
        std::unique_lock lock(mutex);
        returned.wait(lock, [&] { return idle.size() >= std::size_t(inFlight); });
        std::copy(idle.end() - inFlight, idle.end(), lent);
        idle.resize(idle.size() - std::size_t(inFlight));
    }

    void giveBack(ScenePainter** lent)
    {
        {
            const std::lock_guard lock(mutex);
            idle.insert(idle.end(), lent, lent + inFlight);
        }
        returned.notify_all();
    }

    const int inFlight;

private:
    std::vector<std::unique_ptr<ScenePainter>> all;
    std::vector<ScenePainter*> idle;
    std::mutex mutex;
    std::condition_variable returned;
    bool made = false;
};

// One file's cell, made on a worker thread: its thumbnail, or why there is none.
struct Cell {
    Image picture;
    std::string refusal;  // the --check line of a refused file
    bool drawn = false;   // false and no refusal: the picture could not be made
};

// The cells of count (at most inFlight) files: every picture issued, then every picture read.
void makeCells(const MotionFile* files, int count, Painters& painters, Cell* cells)
{
    ScenePainter* painter[MAX_IN_FLIGHT];
    painters.borrow(painter);
    bool issued[MAX_IN_FLIGHT] = {};
    for (int i = 0; i < count; ++i) {
        const LoadedMotion motion(files[i].path.c_str(), BvhReader::Keep::FirstFrame, 1);  // one file per thread
        cells[i].refusal = motion.ok() ? std::string() : motion.refusal();
        issued[i] = motion.ok() && painter[i]->draw(motion.skeleton());
    }
    for (int i = 0; i < count; ++i) cells[i].drawn = issued[i] && painter[i]->read(cells[i].picture);
    painters.giveBack(painter);
}

int tooLarge(const ContactSheet::Layout& layout)
{
    std::fprintf(stderr,
                 "vexo: a sheet of %lld x %lld pixels is too large (at most %lld a side): ask for fewer --columns "
                 "or a smaller --size\n",
                 static_cast<long long>(layout.width), static_cast<long long>(layout.height),
                 static_cast<long long>(ContactSheet::MAX_SIDE));
    return 2;
}

int failed(const std::string& why)
{
    std::fprintf(stderr, "%s\n", why.c_str());
    return 1;
}

}  // namespace

int runSheet(const CommandLine& line)
{
    const FolderWalk walk = walkArguments(line.files);
    int status = reportFolders(walk);
    const std::vector<MotionFile>& files = walk.files;
    if (files.empty()) return failed("vexo: no BVH files for the sheet");
    const std::int32_t side = line.size.width;
    const ContactSheet::Layout layout = ContactSheet::Layout::of(std::int64_t(files.size()), side, line.columns);
    if (layout.width > ContactSheet::MAX_SIDE || layout.height > ContactSheet::MAX_SIDE) return tooLarge(layout);
    if (!VexoUseOffscreenWindows(side, side)) return failed("vexo: no offscreen OpenGL available");

    const auto count = std::int64_t(files.size());
    const int inFlight = picturesInFlight(count);
    OrderedBatches batches((count + inFlight - 1) / inFlight);
    Painters painters(batches.workerCount(), inFlight, side, line.up);
    if (!painters.ok()) return failed("vexo: cannot draw offscreen at " + std::to_string(side) + "x" + std::to_string(side));
    ContactSheet sheet(line.output, layout);
    if (!sheet.ok()) return failed(sheet.failure());

    std::vector<Cell> cells(size_t(batches.slots()) * size_t(inFlight));
    Progress progress(count, "files", totalBytes(files));
    std::int64_t next = 0;  // the file whose cell comes next
    // Puts the cell of the next file on the sheet; false when that fails.
    const auto addCell = [&](const Cell& cell) {
        const MotionFile& file = files[size_t(next++)];
        bool added = false;
        if (!cell.refusal.empty()) {
            progress.wipe();
            std::fprintf(stderr, "%s\n", cell.refusal.c_str());
            status = 1;
            added = sheet.addRefused(file.relative);
        } else if (cell.drawn) {
            added = sheet.addPicture(cell.picture, file.relative);
        } else {
            progress.wipe();
            std::fprintf(stderr, "vexo: %s: the picture could not be drawn (out of memory?)\n",
                         toUtf8(file.path.c_str()).c_str());
        }
        progress.advance(file.bytes);
        return added;
    };
    bool written = true;
    batches.run(
        [&](std::int64_t batch, int slot) {
            const std::int64_t first = batch * inFlight;
            makeCells(&files[size_t(first)], int(std::min<std::int64_t>(inFlight, count - first)), painters,
                      &cells[size_t(slot * inFlight)]);
        },
        [&](int slot) {
            for (int i = 0; i < inFlight && next < count && written; ++i) written = addCell(cells[size_t(slot * inFlight + i)]);
            return written;
        });
    progress.wipe();
    if (written && !sheet.finish()) written = false;
    if (!written && !sheet.ok()) std::fprintf(stderr, "%s\n", sheet.failure().c_str());
    return written ? status : 1;
}
