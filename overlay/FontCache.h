#pragma once

#include <cstdint>

#include "overlay/Font.h"

// One cached font with its reference count, linked within its bucket.
struct FontCacheEntry {
    std::uint32_t hash;
    std::int32_t references;
    Font font;
    FontCacheEntry* next;
    FontCacheEntry* prev;  // null for the bucket's first entry
};

// u + 2 * hash over the code units of the face name, modulo 2^32, then plus the point size; the
// bucket is hash % BUCKET_COUNT.
std::uint32_t fontHash(LPCWSTR faceName, std::int32_t pointSize);

// The process-wide table of fonts shared by face name (case-sensitive) and point size. Fonts are
// made on first demand and destroyed with their last reference. acquire and release need the GL
// context current; clear() at exit, after the context is gone, only frees the rest.
class FontCache {
public:
    static constexpr std::uint32_t BUCKET_COUNT = 13;

    ~FontCache() { clear(); }

    Font* acquire(LPCWSTR faceName, std::int32_t pointSize);
    // Gives back one reference; false for null or a font this cache does not hold.
    bool release(Font* font);
    // Destroys every entry, whatever its references.
    void clear();

    // References held on font; 0 for a font this cache does not hold.
    std::int32_t references(const Font* font) const;
    const FontCacheEntry* bucketHead(std::uint32_t bucket) const { return buckets[bucket]; }

private:
    FontCacheEntry* entryOf(const Font* font) const;
    void unlink(FontCacheEntry* entry);

    FontCacheEntry* buckets[BUCKET_COUNT] = {};
};

// The process's one cache, cleared when the process exits.
extern FontCache fontCache;
