#pragma once

#include <cstdint>

#include "platform/win32.h"
#include "resources/WideString.h"

// One shared OpenGL texture, keyed by the locator it was first asked for; owned by the cache.
struct Texture {
    std::uint32_t hash;
    std::int32_t refCount;
    WideString key;
    Texture* next;  // within the bucket
    Texture* prev;  // null for the bucket's first entry
    std::uint32_t glName;  // 0 for none
    std::int32_t width;
    std::int32_t height;
};

// Texture upload: decodes and uploads one image (GL_LINEAR filters, internal format 4, top row at
// t = 0), leaving it bound. False, with the outputs 0 and no texture made, when decoding fails.
bool createTextureFromFile(LPCWSTR path, std::uint32_t* glName, std::int32_t* width, std::int32_t* height);
bool createTextureFromResource(HMODULE module, LPCWSTR name, std::uint32_t* glName, std::int32_t* width,
                               std::int32_t* height);

// u + 2 * hash over the code units, modulo 2^32; the bucket is hash % BUCKET_COUNT.
std::uint32_t locatorHash(LPCWSTR text);

// The process-wide table of shared textures, reference-counted by locator: 13 buckets of doubly
// linked chains, new entries at the front. All operations need the GL context current (except that
// clear() at exit, after the context is gone, only frees memory).
class TextureCache {
public:
    static constexpr std::uint32_t BUCKET_COUNT = 13;

    ~TextureCache() { clear(); }

    Texture* find(LPCWSTR locator) const;
    // The texture for locator with one more reference, created on first demand; null when the
    // locator is invalid or the image cannot be loaded (the outputs are then not written). Null
    // outputs are allowed.
    Texture* acquire(LPCWSTR locator, std::int32_t* width, std::int32_t* height);
    // Gives back one reference; the entry and its GL texture go with the last. False for null.
    bool release(Texture* texture);
    // Destroys every entry, whatever its references.
    void clear();

    Texture* bucketHead(std::uint32_t bucket) const { return buckets[bucket]; }

private:
    Texture* buckets[BUCKET_COUNT] = {};
};

// The process's one cache.
extern TextureCache textureCache;

std::uint32_t textureGlName(const Texture* texture);  // 0 for null
