#pragma once

// The most straightforward BVH reader one could write, the yardstick of the load benchmarks: fgets
// into a large line buffer, strtok, atof. It reads the hierarchy only as far as it must (the
// CHANNELS counts), then every frame line.

#include <cstdio>
#include <cstdlib>
#include <cstring>

struct BaselineMotion {
    int channels = 0;
    int frames = 0;
    float* values = nullptr;  // malloc'd; the caller frees it
};

inline bool baselineRead(const char* path, BaselineMotion& motion)
{
    static char line[1 << 20];
    const char* const blanks = " \t\r\n";
    std::FILE* file = std::fopen(path, "r");
    if (file == nullptr) return false;
    bool motionFound = false;
    while (!motionFound && std::fgets(line, sizeof line, file) != nullptr) {
        const char* word = std::strtok(line, blanks);
        if (word == nullptr) continue;
        if (std::strcmp(word, "CHANNELS") == 0) {
            const char* count = std::strtok(nullptr, blanks);
            if (count != nullptr) motion.channels += std::atoi(count);
        }
        motionFound = std::strcmp(word, "MOTION") == 0;
    }
    // "Frames: N", then "Frame Time: T", which the comparison does not need.
    if (motionFound && std::fgets(line, sizeof line, file) != nullptr && std::strtok(line, blanks) != nullptr) {
        const char* count = std::strtok(nullptr, blanks);
        if (count != nullptr) motion.frames = std::atoi(count);
    }
    bool ok = motion.frames > 0 && std::fgets(line, sizeof line, file) != nullptr;
    if (ok) motion.values = static_cast<float*>(std::malloc(sizeof(float) * size_t(motion.frames) * size_t(motion.channels)));
    ok = ok && motion.values != nullptr;
    float* value = motion.values;
    for (int f = 0; ok && f < motion.frames; ++f) {
        ok = std::fgets(line, sizeof line, file) != nullptr;
        char* token = ok ? std::strtok(line, blanks) : nullptr;
        for (int k = 0; ok && k < motion.channels; ++k) {
            ok = token != nullptr;
            if (ok) *value++ = static_cast<float>(std::atof(token));
            token = std::strtok(nullptr, blanks);
        }
    }
    std::fclose(file);
    return ok;
}
