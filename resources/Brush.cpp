// Brushes: owned fills that hold one reference to a shared texture.

#include "resources/Brush.h"

#include <cstdlib>

#include "resources/Locator.h"

namespace {

// A brush of type B holding a reference to the locator's texture; null when it cannot be had.
template <typename B>
B* createTexturedBrush(LPCWSTR locator)
{
    B* brush = new B;
    if (brush == nullptr) return nullptr;
    brush->texture = textureCache.acquire(locator, &brush->width, &brush->height);
    if (brush->texture == nullptr) {
        delete brush;
        return nullptr;
    }
    return brush;
}

}  // namespace

void* Brush::operator new(std::size_t size) noexcept
{
    return std::calloc(1, size);
}

void Brush::operator delete(void* brush) noexcept
{
    std::free(brush);
}

Brush::~Brush()
{
    textureCache.release(texture);
}

Brush* createImageBrush(LPCWSTR locator)
{
    return createTexturedBrush<Brush>(locator);
}

Brush* createNineSliceBrush(LPCWSTR locator, std::int32_t left, std::int32_t top, std::int32_t right,
                            std::int32_t bottom)
{
    NineSliceBrush* brush = createTexturedBrush<NineSliceBrush>(locator);
    if (brush != nullptr) {
        brush->left = left;
        brush->top = top;
        brush->right = right;
        brush->bottom = bottom;
    }
    return brush;
}

Brush* createSkinBrush(LPCWSTR name, HMODULE module, std::int32_t left, std::int32_t top, std::int32_t right,
                       std::int32_t bottom)
{
    WideString locator;
    Brush* brush = nullptr;
    if (makeLocator(module, name, locator)) brush = createNineSliceBrush(locator.data, left, top, right, bottom);
    locator.release();
    return brush;
}

bool brushSize(const Brush* brush, std::int32_t* width, std::int32_t* height)
{
    *width = brush == nullptr ? 0 : brush->width;
    *height = brush == nullptr ? 0 : brush->height;
    return brush != nullptr;
}

void destroyBrush(Brush* brush)
{
    delete brush;
}
