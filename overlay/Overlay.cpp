// Overlay state and the brush rectangle: immediate-mode drawing in normalized device coordinates
// with identity matrices, every pixel coordinate mapped by hand.

#include "overlay/Overlay.h"

#include <GL/gl.h>

#include <new>

namespace {

const GLubyte OPAQUE_WHITE[4] = {255, 255, 255, 255};

struct NdcRect {
    float left, top, right, bottom;
};

// The rectangle of a Stretch or Solid fill. Its far edges step by the integer half of the viewport
// size (for an odd size a fraction of a pixel wider than the mapping); a viewport below 2 pixels has
// no integer half, so its far edges are mapped directly.
NdcRect fillRect(const Overlay& overlay, float x0, float y0, float x1, float y1)
{
    const int halfWidth = overlay.width / 2, halfHeight = overlay.height / 2;
    NdcRect r;
    r.left = overlayNdcX(overlay, x0);
    r.top = overlayNdcY(overlay, y0);
    r.right = halfWidth > 0 ? r.left + (x1 - x0) / static_cast<float>(halfWidth) : overlayNdcX(overlay, x1);
    r.bottom = halfHeight > 0 ? r.top - (y1 - y0) / static_cast<float>(halfHeight) : overlayNdcY(overlay, y1);
    return r;
}

void drawFan(const NdcRect& r)
{
    glBegin(GL_TRIANGLE_FAN);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(r.left, r.top, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(r.right, r.top, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(r.right, r.bottom, 0.0f);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(r.left, r.bottom, 0.0f);
    glEnd();
}

void beginTexture(const Brush& brush)
{
    glColor4ubv(OPAQUE_WHITE);
    glBindTexture(GL_TEXTURE_2D, textureGlName(brush.texture));
    glEnable(GL_TEXTURE_2D);
}

// A 4 x 4 grid of points: columns 0, left, w - right, w and rows 0, top, h - bottom, h, with the
// texture coordinates of the image's own borders. The nine cells are quads, row by row from the top,
// corners top-left, top-right, bottom-right, bottom-left.
void drawNineSlice(const Overlay& overlay, float x0, float y0, float x1, float y1, const NineSliceBrush& brush)
{
    const float w = x1 - x0, h = y1 - y0;
    const float tw = static_cast<float>(brush.width), th = static_cast<float>(brush.height);
    const float left = static_cast<float>(brush.left), top = static_cast<float>(brush.top);
    const float right = static_cast<float>(brush.right), bottom = static_cast<float>(brush.bottom);
    const float columns[4] = {0.0f, left, w - right, w};
    const float s[4] = {0.0f, left / tw, 1.0f - right / tw, 1.0f};
    const float rows[4] = {0.0f, top, h - bottom, h};
    const float t[4] = {0.0f, top / th, 1.0f - bottom / th, 1.0f};

    auto vertex = [&](int column, int row) {
        glTexCoord2f(s[column], t[row]);
        glVertex3f(overlayNdcX(overlay, x0 + columns[column]), overlayNdcY(overlay, y0 + rows[row]), 0.0f);
    };
    glBegin(GL_QUADS);
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < 3; ++column) {
            vertex(column, row);
            vertex(column + 1, row);
            vertex(column + 1, row + 1);
            vertex(column, row + 1);
        }
    }
    glEnd();
}

}  // namespace

Overlay* createOverlay()
{
    return new (std::nothrow) Overlay{};
}

void destroyOverlay(Overlay* overlay)
{
    delete overlay;
}

void setOverlaySize(Overlay* overlay, std::int32_t width, std::int32_t height)
{
    if (overlay == nullptr) return;
    overlay->width = width;
    overlay->height = height;
}

void beginOverlay(Overlay* overlay)
{
    if (overlay == nullptr) return;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glColor3f(1.0f, 1.0f, 1.0f);
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_LIGHTING);
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

void endOverlay(Overlay* overlay)
{
    if (overlay == nullptr) return;
    glDisable(GL_BLEND);
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glDisable(GL_DEPTH_TEST);
}

float overlayNdcX(const Overlay& overlay, float px)
{
    return px / (static_cast<float>(overlay.width) * 0.5f) - 1.0f;
}

float overlayNdcY(const Overlay& overlay, float py)
{
    return 1.0f - py / (static_cast<float>(overlay.height) * 0.5f);
}

void drawBrushRect(Overlay* overlay, float x0, float y0, float x1, float y1, const Brush* brush)
{
    if (overlay == nullptr || brush == nullptr || overlay->width <= 0 || overlay->height <= 0) return;
    switch (brush->kind) {
    case BrushKind::Stretch:
        beginTexture(*brush);
        drawFan(fillRect(*overlay, x0, y0, x1, y1));
        glDisable(GL_TEXTURE_2D);
        break;
    case BrushKind::NineSlice:
        beginTexture(*brush);
        drawNineSlice(*overlay, x0, y0, x1, y1, static_cast<const NineSliceBrush&>(*brush));
        glDisable(GL_TEXTURE_2D);
        break;
    case BrushKind::Solid:
        glColor4ubv(static_cast<const SolidBrush&>(*brush).colour);
        drawFan(fillRect(*overlay, x0, y0, x1, y1));
        break;
    default:
        break;
    }
}
