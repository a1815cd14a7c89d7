#pragma once

#include <cstdint>

// How many frames one tick of playback advances. By default one frame per tick, whatever time has
// passed. In real time, playback keeps pace with the clock the caller reads: the time each tick
// hands over accumulates, and a tick advances by the whole frame times that have passed since the
// frame on show began (possibly none, holding the frame; possibly several, skipping frames). A
// frame time that is not a positive finite number falls back to one frame per tick.
struct PlaybackPacing {
    bool realtime = false;
    double owedSeconds = 0.0;  // time played but not yet shown, less than one frame time

    // The frames due after elapsedSeconds more of playback. A negative or non-finite elapsed time
    // counts as none.
    std::int64_t framesDue(double elapsedSeconds, float frameTime);
    // Playback starts afresh at the frame on show (after a pause or a single step).
    void restart() { owedSeconds = 0.0; }
};
