// The widget base: tree links, geometry, hit testing, drawing traversal, label and icon.

#include "widgets/Widget.h"

#include "widgets/MouseRouting.h"

Widget::~Widget()
{
    if (capturedWidget() == this) endCapture(this);
    destroyBrush(icon);
    iconLocator.release();
    label.release();
}

bool Widget::initialize()
{
    return true;
}

void Widget::draw(Overlay* overlay, const Mat4& parentTransform)
{
    Mat4 transform;
    matMul(transform, parentTransform, Mat4::translation(left, top, 0.0f));
    for (Widget* child = firstChild; child != nullptr; child = child->nextSibling) child->draw(overlay, transform);
}

bool Widget::setText(LPCWSTR text)
{
    return label.assign(text);
}

bool Widget::setIcon(LPCWSTR locator)
{
    if (!iconLocator.assign(locator)) return false;
    destroyBrush(icon);
    icon = createImageBrush(iconLocator.data != nullptr ? iconLocator.data : TEXT(""));
    return icon != nullptr;
}

Widget* Widget::hitTest(float x, float y, float& localX, float& localY)
{
    if (!(left <= x && x < right && top <= y && y < bottom)) return nullptr;
    const float insideX = x - left, insideY = y - top;
    for (Widget* child = lastChild; child != nullptr; child = child->prevSibling) {
        if (Widget* hit = child->hitTest(insideX, insideY, localX, localY)) return hit;
    }
    localX = insideX;
    localY = insideY;
    return this;
}

void Widget::onRectChanged(float, float, float, float) {}

int Widget::mouseDown(float, float, int)
{
    return 0;
}

int Widget::mouseMove(float, float)
{
    return 0;
}

int Widget::mouseUp(float, float, int)
{
    return 0;
}

Widget* Widget::addChild(Widget* child)
{
    child->parent = this;
    child->nextSibling = nullptr;
    child->prevSibling = lastChild;
    if (lastChild != nullptr) lastChild->nextSibling = child;
    else firstChild = child;
    lastChild = child;
    return child;
}

void Widget::setRect(float x, float y, float width, float height)
{
    onRectChanged(x, y, width, height);
    left = x;
    top = y;
    right = x + width;
    bottom = y + height;
}
