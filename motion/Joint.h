#pragma once

#include <cstdint>

#include "math/Mat4.h"

// What one channel drives, decided by exact, case-sensitive comparison of its name.
enum ChannelKind : std::uint32_t {
    Unrecognized = 0,  // value consumed, no effect
    Xposition = 1,     // added to the joint's translation (file units)
    Yposition = 2,
    Zposition = 3,
    Xrotation = 4,     // degrees, applied in CHANNELS order
    Yrotation = 5,
    Zrotation = 6,
};

inline bool isPosition(ChannelKind kind)
{
    return kind >= Xposition && kind <= Zposition;
}

inline bool isRotation(ChannelKind kind)
{
    return kind >= Xrotation && kind <= Zrotation;
}

struct Channel {
    ChannelKind kind;
    char* name;  // owned; the token exactly as written in the file
};

// One node of the hierarchy. Records are allocated zero-filled; strings and arrays are private
// copies owned by the joint; children are owned through firstChild then nextSibling.
struct Joint {
    Mat4 local;  // transform relative to the parent for the frame last evaluated
    Joint* firstChild;
    Joint* lastChild;    // not owning; makes appending constant-time
    Joint* nextSibling;
    Joint* prevSibling;  // not owning
    char* keyword;       // first token of the header line ("ROOT", "JOINT", "End", ...)
    char* name;          // second token of the header line
    float offset[3];     // file units, never scaled
    std::int32_t channelCount;
    Channel* channels;   // null for an end site; an empty array for "CHANNELS 0"

    // A zero-filled joint with an identity local transform, or null when memory is exhausted.
    static Joint* create();

    bool setKeyword(const char* text);
    bool setName(const char* text);
    bool allocChannels(std::int32_t count);
    bool setChannelName(std::int32_t index, const char* text);
    void appendChild(Joint* child);

    // Frees everything the joint owns, children included, but not the joint record itself.
    void destroy();
    // destroy(), then frees the record; accepts null.
    static void free(Joint* joint);
};
