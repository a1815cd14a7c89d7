// The process-wide table of shared textures, keyed by locator and counted by holders.

#include "resources/TextureCache.h"

#include <GL/gl.h>

#include <cstdlib>

#include "resources/Locator.h"

TextureCache textureCache;

namespace {

std::uint32_t bucketOf(std::uint32_t hash)
{
    return hash % TextureCache::BUCKET_COUNT;
}

// Deletes the GL texture (which does nothing once the context is gone) and frees the entry.
void destroyEntry(Texture* texture)
{
    if (texture->glName != 0) {
        const GLuint name = texture->glName;
        glDeleteTextures(1, &name);
        texture->glName = 0;
    }
    texture->key.release();
    std::free(texture);
}

// Decodes and uploads the image the locator names into the entry.
bool createTexture(LPCWSTR locator, Texture* texture)
{
    const ParsedLocator parsed = parseLocator(locator);
    switch (parsed.kind) {
    case ParsedLocator::Kind::Resource:
        return createTextureFromResource(parsed.module, parsed.name, &texture->glName, &texture->width,
                                         &texture->height);
    case ParsedLocator::Kind::File:
        return createTextureFromFile(parsed.path, &texture->glName, &texture->width, &texture->height);
    case ParsedLocator::Kind::Invalid:
        break;
    }
    return false;
}

Texture* withReference(Texture* texture, std::int32_t* width, std::int32_t* height)
{
    ++texture->refCount;
    if (width != nullptr) *width = texture->width;
    if (height != nullptr) *height = texture->height;
    return texture;
}

}  // namespace

std::uint32_t locatorHash(LPCWSTR text)
{
    std::uint32_t hash = 0;  // wraps modulo 2^32
    for (; *text != 0; ++text) hash = *text + 2 * hash;
    return hash;
}

Texture* TextureCache::find(LPCWSTR locator) const
{
    if (locator == nullptr) return nullptr;
    const std::uint32_t hash = locatorHash(locator);
    for (Texture* entry = buckets[bucketOf(hash)]; entry != nullptr; entry = entry->next) {
        if (entry->hash == hash && lstrcmpW(entry->key.data, locator) == 0) return entry;
    }
    return nullptr;
}

Texture* TextureCache::acquire(LPCWSTR locator, std::int32_t* width, std::int32_t* height)
{
    if (locator == nullptr) return nullptr;
    if (Texture* shared = find(locator)) return withReference(shared, width, height);

    auto* entry = static_cast<Texture*>(std::calloc(1, sizeof(Texture)));
    if (entry == nullptr) return nullptr;
    if (!createTexture(locator, entry) || !entry->key.assign(locator)) {
        destroyEntry(entry);
        return nullptr;
    }
    entry->hash = locatorHash(entry->key.data);
    Texture*& head = buckets[bucketOf(entry->hash)];
    entry->next = head;
    if (head != nullptr) head->prev = entry;
    head = entry;
    return withReference(entry, width, height);
}

bool TextureCache::release(Texture* texture)
{
    if (texture == nullptr) return false;
    if (--texture->refCount != 0) return true;

    if (texture->prev != nullptr) texture->prev->next = texture->next;
    else buckets[bucketOf(texture->hash)] = texture->next;
    if (texture->next != nullptr) texture->next->prev = texture->prev;
    destroyEntry(texture);
    return true;
}

void TextureCache::clear()
{
    for (Texture*& head : buckets) {
        while (head != nullptr) {
            Texture* next = head->next;
            destroyEntry(head);
            head = next;
        }
    }
}

std::uint32_t textureGlName(const Texture* texture)
{
    return texture == nullptr ? 0 : texture->glName;
}
