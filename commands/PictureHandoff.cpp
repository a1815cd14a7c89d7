#include "commands/PictureHandoff.h"

#include "platform/Workers.h"

bool PictureHandoff::run(const std::function<void()>& draw)
{
    runWorkers(2, [&](int worker) {
        if (worker == 1) return writeUntilDrawn();
        draw();
        {
            const std::lock_guard lock(mutex);
            drawn = true;
        }
        changed.notify_all();
    });
    return !failed;
}

Image* PictureHandoff::blank()
{
    std::unique_lock lock(mutex);
    while (passed - written >= SLOTS && !failed) {
        if (taken < passed) {
            lock.unlock();
            writeOldest();
            lock.lock();
        } else {
            changed.wait(lock);  // the last waiting picture is being written
        }
    }
    return failed ? nullptr : &pictures[passed % SLOTS];
}

void PictureHandoff::pass(std::int32_t frame)
{
    {
        const std::lock_guard lock(mutex);
        frames[passed % SLOTS] = frame;
        ++passed;
    }
    changed.notify_all();
}

bool PictureHandoff::writeOldest()
{
    const std::lock_guard order(writing);
    std::unique_lock lock(mutex);
    if (taken == passed || failed) return false;
    const std::int64_t picture = taken++;
    lock.unlock();
    const bool ok = writer.write(pictures[picture % SLOTS], frames[picture % SLOTS]);
    lock.lock();
    written = picture + 1;
    failed = failed || !ok;
    lock.unlock();
    changed.notify_all();
    return true;
}

void PictureHandoff::writeUntilDrawn()
{
    for (;;) {
        {
            std::unique_lock lock(mutex);
            changed.wait(lock, [&] { return taken < passed || drawn || failed; });
            if (taken == passed || failed) return;  // drawn, and all of it taken
        }
        writeOldest();
    }
}
