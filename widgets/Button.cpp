// The push button.

#include "widgets/Button.h"

#include "widgets/Gui.h"
#include "widgets/MouseRouting.h"

namespace {

constexpr std::int32_t SKIN_BORDER = 5;
const BYTE LABEL_COLOUR[4] = {0, 0, 0, 255};

}  // namespace

Button::~Button()
{
    destroyBrush(normalSkin);
    destroyBrush(pressedSkin);
    releaseFont(font);
    clearListeners(clickListeners);
}

bool Button::initialize()
{
    normalSkin = createSkinBrush(TEXT("button_normal.png"), guiModuleHandle(), SKIN_BORDER, SKIN_BORDER, SKIN_BORDER, SKIN_BORDER);
    if (normalSkin == nullptr) return false;
    pressedSkin = createSkinBrush(TEXT("button_press.png"), guiModuleHandle(), SKIN_BORDER, SKIN_BORDER, SKIN_BORDER, SKIN_BORDER);
    if (pressedSkin == nullptr) return false;
    font = acquireFont(TEXT("Arial"), 9);
    return font != nullptr;
}

void Button::draw(Overlay* overlay, const Mat4& parentTransform)
{
    Widget::draw(overlay, parentTransform);
    drawBrushRect(overlay, left, top, right, bottom, holdsPress() ? pressedSkin : normalSkin);

    std::int32_t iconWidth = 0, iconHeight = 0;
    if (icon != nullptr && brushSize(icon, &iconWidth, &iconHeight)) {
        // Centred at its natural size, fractions kept; a large icon reaches past the edges.
        const float x = left + ((right - left) - static_cast<float>(iconWidth)) * 0.5f;
        const float y = top + ((bottom - top) - static_cast<float>(iconHeight)) * 0.5f;
        drawBrushRect(overlay, x, y, x + static_cast<float>(iconWidth), y + static_cast<float>(iconHeight), icon);
    }

    float extent[4];
    if (label.length > 0 && measureText(font, label.data, extent)) {
        const int x = static_cast<int>(left + ((right - left) - extent[2]) * 0.5f);
        const int y = static_cast<int>(top + ((bottom - top) - extent[3]) * 0.5f);
        drawTextWide(overlay, font, x, y, label.data, static_cast<int>(label.length), LABEL_COLOUR);
    }
}

// | event delivered            | pressed before | does                                   | returns |
// |----------------------------|----------------|----------------------------------------|---------|
// | left press on the button   | any            | pressed = 1, takes the mouse capture   | 1       |
// | right press on the button  | any            | nothing                                | 1       |
// | any release (left or right)| 1              | ends capture, pressed = 0, click fires | 1       |
// | any release                | 0              | nothing                                | 1       |
// Thanks to the capture, a press, a drag off the button and a release outside it (even outside the
// window) is a click; so is a right release while the left press is held. A second release without a
// new press finds pressed clear and fires nothing.
//
// A press goes to the widget under the pointer even while another holds the capture, so when the
// platform lost a release (another window took the mouse), a left press elsewhere can take the
// capture from a pressed button. That press is over: the button looks released, and the release
// that later reaches it only clears pressed, without a click and without ending a capture it no
// longer holds.
int Button::mouseDown(float, float, int button)
{
    if (button == LEFT_BUTTON) {
        pressed = 1;
        beginCapture(this);
    }
    return 1;
}

int Button::mouseUp(float, float, int)
{
    if (!pressed) return 1;
    const bool click = holdsPress();
    pressed = 0;
    if (click) {
        endCapture(this);
        notifyListeners(clickListeners, nullptr);  // last: a listener may do anything to this button
    }
    return 1;
}

bool Button::holdsPress() const
{
    return pressed && capturedWidget() == this;
}
