#pragma once

#include <cstdint>

#include "resources/Brush.h"

// The flat layer drawn over the scene at the end of every frame. Coordinates are float pixels of the
// client area, origin at the top left, y growing downward; each is mapped to normalized device
// coordinates as X = px / (width * 0.5) - 1, Y = 1 - py / (height * 0.5), with identity matrices.
// Every operation accepts a null overlay (and a null brush) and then does nothing.
struct Overlay {
    std::int32_t width;
    std::int32_t height;
};

Overlay* createOverlay();  // 0 by 0; null when memory runs out
void destroyOverlay(Overlay* overlay);
void setOverlaySize(Overlay* overlay, std::int32_t width, std::int32_t height);

// Enter and leave overlay state: projection pushed and identity, modelview identity, depth test
// off, alpha blending on, lighting off (else the raster colour of text and the control bar would be
// shaded by the scene's light). Everything drawn in the overlay goes between the two. endOverlay
// pops the projection and turns blending off; depth testing and lighting stay off until the scene
// pass of the next frame sets them again.
void beginOverlay(Overlay* overlay);
void endOverlay(Overlay* overlay);

// The mapping of a pixel coordinate to normalized device coordinates (the overlay must have a
// nonzero size).
float overlayNdcX(const Overlay& overlay, float px);
float overlayNdcY(const Overlay& overlay, float py);

// Fills the pixel rectangle (x0, y0) top-left to (x1, y1) bottom-right with the brush: a Stretch
// brush's whole image, a NineSlice brush's image cut by its borders (corners at their pixel size),
// a Solid brush's colour. Nothing for a null brush or an overlay of no size.
void drawBrushRect(Overlay* overlay, float x0, float y0, float x1, float y1, const Brush* brush);
