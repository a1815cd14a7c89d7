#pragma once

#include <cstdint>

#include "widgets/Delegate.h"
#include "widgets/Widget.h"

// The thumb's rectangle relative to the slider's top-left corner.
struct ThumbRect {
    float x0, y0, x1, y1;
};

// A horizontal slider: a track across the widget and a thumb showing an integer value within
// [minimum, maximum], dragged with the left mouse button. The thumb travels over the track width
// less its own: its left edge at the slider's left edge for minimum, its right edge at the slider's
// right edge for maximum. A drag changes value and calls the change listeners; the program's
// setValue and setRange never call them.
//
// Invariant: after setValue, setRange and every drag, minimum <= value <= maximum when minimum <=
// maximum; value == maximum when the bounds are crossed. A slider with no room to express a value
// (minimum == maximum, or no wider than its thumb) shows the thumb at its left edge and a drag
// changes nothing.
class Slider : public Widget {
public:
    // Frees both skins and clears the change listeners.
    ~Slider() override;
    // Loads the skins "slider_body.png" (borders 2) and "slider_thumb.png" (borders 4) of the
    // toolkit's module. False at the first that cannot be had; what was loaded stays.
    bool initialize() override;
    // Children, then the track (full width, natural height, centred vertically) and the thumb.
    void draw(Overlay* overlay, const Mat4& parentTransform) override;
    int mouseDown(float x, float y, int button) override;
    int mouseMove(float x, float y) override;
    int mouseUp(float x, float y, int button) override;

    // The program's changes: clamp and store; no listener is called.
    void setValue(std::int32_t v);
    void setRange(std::int32_t min, std::int32_t max);

    // The thumb's rectangle for the current value; the thumb skin's size (0 by 0 without a skin).
    ThumbRect thumbRect() const;
    // The user's change: puts the thumb's left edge at x - grabX (pinned to the track), takes the
    // value under it by truncation, and when that differs from value stores it and calls every
    // change listener. y plays no part.
    void dragTo(float x, float y);

    Brush* bodySkin = nullptr;   // owned
    Brush* thumbSkin = nullptr;  // owned
    std::int32_t minimum = 0;
    std::int32_t maximum = 100;
    std::int32_t value = 0;
    float grabX = 0.0f;  // the pointer's place within the thumb when the drag began
    float grabY = 0.0f;
    DelegateList changeListeners;

private:
    std::int32_t clamped(std::int32_t v) const;
    // Pixels the thumb's left edge can travel over; 0 or less when there is no room.
    float thumbTravel() const;
};
