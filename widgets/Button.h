#pragma once

#include <cstdint>

#include "overlay/Font.h"
#include "widgets/Delegate.h"
#include "widgets/Widget.h"

// A push button: a nine-slice skin that looks pressed while the left button is held on it, an
// optional icon and an optional label centred on it, and click listeners called when the press
// ends. It has no hover look.
class Button : public Widget {
public:
    // Frees both skins, releases the font and clears the click listeners.
    ~Button() override;
    // Loads the skins "button_normal.png" and "button_press.png" (borders 5) of the toolkit's module
    // and the font "Arial" 9. False at the first part that cannot be had; what was loaded stays.
    bool initialize() override;
    // Children, then the skin over the whole rectangle, the icon at its natural size centred, and
    // the label in black centred (an empty label is neither measured nor drawn).
    void draw(Overlay* overlay, const Mat4& parentTransform) override;
    int mouseDown(float x, float y, int button) override;
    int mouseUp(float x, float y, int button) override;

    Brush* normalSkin = nullptr;   // owned
    Brush* pressedSkin = nullptr;  // owned
    Font* font = nullptr;          // one reference held
    std::int32_t pressed = 0;      // 1 from a left press on the button until the next release
    DelegateList clickListeners;

private:
    // Pressed and still holding the capture its press took: only then is a release a click.
    bool holdsPress() const;
};
