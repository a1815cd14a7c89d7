// The horizontal slider.

#include "widgets/Slider.h"

#include "widgets/Gui.h"
#include "widgets/MouseRouting.h"

namespace {

constexpr std::int32_t BODY_BORDER = 2;
constexpr std::int32_t THUMB_BORDER = 4;

// Truncation toward zero, kept within the 32-bit range.
std::int32_t truncated(float n)
{
    if (n >= 2147483648.0f) return INT32_MAX;
    if (n < -2147483648.0f) return INT32_MIN;
    return static_cast<std::int32_t>(n);
}

}  // namespace

Slider::~Slider()
{
    destroyBrush(bodySkin);
    destroyBrush(thumbSkin);
    clearListeners(changeListeners);
}

bool Slider::initialize()
{
    bodySkin = createSkinBrush(TEXT("slider_body.png"), guiModuleHandle(), BODY_BORDER, BODY_BORDER, BODY_BORDER, BODY_BORDER);
    if (bodySkin == nullptr) return false;
    thumbSkin = createSkinBrush(TEXT("slider_thumb.png"), guiModuleHandle(), THUMB_BORDER, THUMB_BORDER, THUMB_BORDER, THUMB_BORDER);
    return thumbSkin != nullptr;
}

void Slider::draw(Overlay* overlay, const Mat4& parentTransform)
{
    Widget::draw(overlay, parentTransform);
    std::int32_t bodyWidth = 0, bodyHeight = 0;
    brushSize(bodySkin, &bodyWidth, &bodyHeight);
    const float y = top + ((bottom - top) - static_cast<float>(bodyHeight)) * 0.5f;
    drawBrushRect(overlay, left, y, right, y + static_cast<float>(bodyHeight), bodySkin);

    const ThumbRect thumb = thumbRect();
    drawBrushRect(overlay, left + thumb.x0, top + thumb.y0, left + thumb.x1, top + thumb.y1, thumbSkin);
}

// | event delivered              | where / state             | does                                 | returns |
// |------------------------------|---------------------------|--------------------------------------|---------|
// | left press                   | on the thumb (edges in)   | takes the capture, records the grab, | 1       |
// |                              |                           | dragTo (the value rarely changes)    |         |
// | left press                   | on the track elsewhere    | nothing: no jump, no drag            | 1       |
// | right press                  | anywhere                  | nothing                              | 0       |
// | move                         | while captured            | dragTo: listeners on a new value     | 1       |
// | move                         | not captured              | nothing                              | 0       |
// | left release                 | while captured            | ends the capture; value unchanged    | 1       |
// | right release                | while captured            | refused: the drag goes on            | 0       |
// | any release                  | not captured              | nothing                              | 0       |
int Slider::mouseDown(float x, float y, int button)
{
    if (button != LEFT_BUTTON) return 0;
    const ThumbRect thumb = thumbRect();
    if (thumb.x0 <= x && x <= thumb.x1 && thumb.y0 <= y && y <= thumb.y1) {
        beginCapture(this);
        grabX = x - thumb.x0;
        grabY = y - thumb.y0;
        dragTo(x, y);
    }
    return 1;
}

int Slider::mouseMove(float x, float y)
{
    if (capturedWidget() != this) return 0;
    dragTo(x, y);
    return 1;
}

int Slider::mouseUp(float, float, int button)
{
    if (capturedWidget() != this || button != LEFT_BUTTON) return 0;
    endCapture(this);
    return 1;
}

// The program's own changes: clamp, store, and tell no one.
void Slider::setValue(std::int32_t v)
{
    value = clamped(v);
}

void Slider::setRange(std::int32_t min, std::int32_t max)
{
    minimum = min;
    maximum = max;
    value = clamped(value);
}

ThumbRect Slider::thumbRect() const
{
    std::int32_t width = 0, height = 0;
    brushSize(thumbSkin, &width, &height);
    const float travel = thumbTravel();
    float f = 0.0f;
    if (maximum != minimum && travel > 0.0f) {
        f = static_cast<float>(static_cast<double>(std::int64_t{value} - minimum) /
                               static_cast<double>(std::int64_t{maximum} - minimum));
    }
    const float x0 = travel > 0.0f ? travel * f : 0.0f;
    return {x0, 0.0f, x0 + static_cast<float>(width), static_cast<float>(height)};
}

// The user's change: clamp, skip a no-op, store, then notify.
void Slider::dragTo(float x, float)
{
    const float travel = thumbTravel();
    if (maximum == minimum || travel <= 0.0f) return;  // no room for a position: nothing to change
    float p = x - grabX;
    if (p < 0.0f) p = 0.0f;
    else if (p > travel) p = travel;
    const float f = p / travel;
    const float n = f * static_cast<float>(std::int64_t{maximum} - minimum) + static_cast<float>(minimum);
    const std::int32_t chosen = clamped(truncated(n));
    if (chosen == value) return;
    value = chosen;
    notifyListeners(changeListeners, nullptr);  // last: a listener may do anything to this slider
}

// Raised to minimum, then lowered to maximum, so maximum wins when the bounds are crossed.
std::int32_t Slider::clamped(std::int32_t v) const
{
    if (v < minimum) v = minimum;
    if (v > maximum) v = maximum;
    return v;
}

float Slider::thumbTravel() const
{
    std::int32_t width = 0, height = 0;
    brushSize(thumbSkin, &width, &height);
    return (right - left) - static_cast<float>(width);
}
