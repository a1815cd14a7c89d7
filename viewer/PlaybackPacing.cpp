#include "viewer/PlaybackPacing.h"

#include <cmath>

namespace {

// More frames than any motion holds: beyond it only the position within a loop matters, and the
// count must stay exact in a double and fit the result.
constexpr double MAX_FRAMES_DUE = 1 << 30;

}  // namespace

std::int64_t PlaybackPacing::framesDue(double elapsedSeconds, float frameTime)
{
    if (!realtime || !std::isfinite(frameTime) || frameTime <= 0.0f) return 1;
    if (std::isfinite(elapsedSeconds) && elapsedSeconds > 0.0) owedSeconds += elapsedSeconds;
    const double seconds = frameTime;
    const double due = std::floor(owedSeconds / seconds);
    if (!(due < MAX_FRAMES_DUE)) {
        owedSeconds = 0.0;  // far behind (a stalled process): catch up at once, from here on
        return static_cast<std::int64_t>(MAX_FRAMES_DUE);
    }
    owedSeconds = std::fmax(owedSeconds - due * seconds, 0.0);
    return static_cast<std::int64_t>(due);
}
