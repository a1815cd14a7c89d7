// `vexo --sheet`: the thumbnails of many motions on one contact sheet. The files are read and drawn
// several at a time, each thread drawing with a painter (an OpenGL context) of its own, and put on
// the sheet in order as they come, a band of cells at a time.

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

namespace {

// Painters for the threads that draw, each lent to one thread at a time. They are made and freed on
// the calling thread; any thread may borrow one.
class Painters {
public:
    Painters(int count, std::int32_t side, UpAxis up)
    {
        for (int i = 0; i < count; ++i) {
            auto painter = std::make_unique<ScenePainter>(side, up);
            if (!painter->ok()) return;
            idle.push_back(painter.get());
            all.push_back(std::move(painter));
        }
        made = true;
    }

    bool ok() const { return made; }

    // Waits for an idle painter: there is one for every worker, and the calling thread draws only a
    // file no worker has taken yet, which is rare, so the wait is short.
    ScenePainter& borrow()
    {
        std::unique_lock lock(mutex);
        returned.wait(lock, [&] { return !idle.empty(); });
        ScenePainter* painter = idle.back();
        idle.pop_back();
        return *painter;
    }

    void giveBack(ScenePainter& painter)
    {
        {
            const std::lock_guard lock(mutex);
            idle.push_back(&painter);
        }
        returned.notify_one();
    }

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
    bool drawn = false;   // false and no refusal: memory ran out
};

void makeCell(const MotionFile& file, Painters& painters, Cell& cell)
{
    const LoadedMotion motion(file.path.c_str(), BvhReader::Keep::FirstFrame, 1);  // one file per thread
    cell.refusal = motion.ok() ? std::string() : motion.refusal();
    cell.drawn = false;
    if (!motion.ok()) return;
    ScenePainter& painter = painters.borrow();
    cell.drawn = painter.paint(motion.skeleton(), cell.picture);
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

    OrderedBatches batches(std::int64_t(files.size()));
    // A painter per worker: each context costs its shaders' compilation at its first picture.
    Painters painters(batches.slots() / 2, side, line.up);
    if (!painters.ok()) return failed("vexo: cannot draw offscreen at " + std::to_string(side) + "x" + std::to_string(side));
    ContactSheet sheet(line.output, layout);
    if (!sheet.ok()) return failed(sheet.failure());

    std::vector<Cell> cells(size_t(batches.slots()));
    Progress progress(std::int64_t(files.size()), "files", totalBytes(files));
    size_t next = 0;  // the file whose cell comes next
    bool written = true;
    batches.run([&](std::int64_t f, int slot) { makeCell(files[size_t(f)], painters, cells[size_t(slot)]); },
                [&](int slot) {
                    const Cell& cell = cells[size_t(slot)];
                    const MotionFile& file = files[next++];
                    if (!cell.refusal.empty()) {
                        progress.wipe();
                        std::fprintf(stderr, "%s\n", cell.refusal.c_str());
                        status = 1;
                        written = sheet.addRefused(file.relative);
                    } else if (cell.drawn) {
                        written = sheet.addPicture(cell.picture, file.relative);
                    } else {
                        written = false;
                        progress.wipe();
                        std::fputs("vexo: out of memory for the picture\n", stderr);
                    }
                    progress.advance(file.bytes);
                    return written;
                });
    progress.wipe();
    if (written && !sheet.finish()) written = false;
    if (!written && !sheet.ok()) std::fprintf(stderr, "%s\n", sheet.failure().c_str());
    return written ? status : 1;
}
