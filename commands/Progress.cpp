#include "commands/Progress.h"

#include <cstdio>

#include "platform/win32.h"

namespace {

constexpr double REDRAW_SECONDS = 0.1;
constexpr int BAR_WIDTH = 30;

}  // namespace

Progress::Progress(std::int64_t total, const char* unit, std::uint64_t bytes)
    : total(total), unit(unit), totalBytes(bytes), terminal(_isatty(_fileno(stderr)) != 0)
{
}

Progress::~Progress()
{
    wipe();
}

double Progress::seconds() const
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double Progress::itemsPerSecond() const
{
    const double elapsed = seconds();
    return elapsed > 0.0 ? double(done) / elapsed : 0.0;
}

void Progress::advance(std::uint64_t bytes)
{
    ++done;
    doneBytes += bytes;
    if (!terminal) return;
    const Clock::time_point now = Clock::now();
    const double sinceDrawn = std::chrono::duration<double>(now - drawn).count();
    if (shown > 0 && sinceDrawn < REDRAW_SECONDS && done < total) return;
    drawn = now;
    draw();
}

void Progress::draw()
{
    const double elapsed = seconds();
    const int filled = total > 0 ? int(done * BAR_WIDTH / total) : BAR_WIDTH;
    char rate[64];
    double left;
    if (totalBytes > 0) {
        const double bytesPerSecond = double(doneBytes) / elapsed;
        std::snprintf(rate, sizeof rate, "%.1f MB/s", bytesPerSecond / 1e6);
        left = bytesPerSecond > 0.0 ? double(totalBytes - doneBytes) / bytesPerSecond : 0.0;
    } else {
        std::snprintf(rate, sizeof rate, "%.1f %s/s", itemsPerSecond(), unit);
        left = itemsPerSecond() > 0.0 ? double(total - done) / itemsPerSecond() : 0.0;
    }
    char counts[160];
    std::snprintf(counts, sizeof counts, "] %lld/%lld %s, %s, %.0f s left", static_cast<long long>(done),
                  static_cast<long long>(total), unit, rate, left);
    std::string line(size_t(BAR_WIDTH + 1), '.');
    line[0] = '[';
    line.replace(1, size_t(filled), size_t(filled), '#');
    line += counts;
    // Spaces cover what a longer line before left on screen.
    std::fprintf(stderr, "\r%s%s", line.c_str(), std::string(shown > line.size() ? shown - line.size() : 0, ' ').c_str());
    std::fflush(stderr);
    shown = line.size();
}

void Progress::wipe()
{
    if (shown == 0) return;
    std::fprintf(stderr, "\r%s\r", std::string(shown, ' ').c_str());
    std::fflush(stderr);
    shown = 0;
}
