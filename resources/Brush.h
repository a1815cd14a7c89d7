#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/win32.h"
#include "resources/TextureCache.h"

// How a rectangle is filled: with one colour, with a whole texture stretched over it, or with a
// texture cut into nine slices by four borders (corners at their pixel size, edges stretched along
// one axis, the centre along both).
enum class BrushKind : std::uint32_t { Solid = 0, Stretch = 1, NineSlice = 2 };

// A brush holds one reference to its shared texture; destroying it gives the reference back.
// Brushes live zero-filled on the process heap: `new` yields null when memory runs out, and
// `delete` (or destroyBrush) runs the destructor and frees the brush.
class Brush {
public:
    virtual ~Brush();

    static void* operator new(std::size_t size) noexcept;
    static void operator delete(void* brush) noexcept;

    BrushKind kind = BrushKind::Stretch;
    Texture* texture = nullptr;
    std::int32_t width = 0;   // of the texture's image, in pixels
    std::int32_t height = 0;
};

class NineSliceBrush : public Brush {
public:
    NineSliceBrush() { kind = BrushKind::NineSlice; }

    // Borders in texture pixels, measured inwards from each edge; top is the image's first row.
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

class SolidBrush : public Brush {
public:
    SolidBrush() { kind = BrushKind::Solid; }

    BYTE colour[4] = {};  // red, green, blue, alpha
};

// The textured brushes take their texture from the TextureCache and need the GL context current.
Brush* createImageBrush(LPCWSTR locator);  // Stretch; null when the image cannot be had
Brush* createNineSliceBrush(LPCWSTR locator, std::int32_t left, std::int32_t top, std::int32_t right,
                            std::int32_t bottom);
// The NineSlice brush of a resource image of module.
Brush* createSkinBrush(LPCWSTR name, HMODULE module, std::int32_t left, std::int32_t top, std::int32_t right,
                       std::int32_t bottom);
// The image size of the brush and true; 0 by 0 and false for null.
bool brushSize(const Brush* brush, std::int32_t* width, std::int32_t* height);
void destroyBrush(Brush* brush);  // null does nothing
