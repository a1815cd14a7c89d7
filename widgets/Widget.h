#pragma once

#include "math/Mat4.h"
#include "overlay/Overlay.h"
#include "resources/Brush.h"
#include "resources/WideString.h"

// The coordinate model of the toolkit: float pixels of the host window's client area, x to the
// right, y downward, origin at the top-left corner. A widget's rectangle is relative to its
// parent's top-left corner; the root's parent space is the client area and the root sits at the
// origin. Mouse operations take points local to the widget (relative to its own top-left corner)
// and return nonzero when the widget handled the event.

constexpr int LEFT_BUTTON = 0;
constexpr int RIGHT_BUTTON = 1;

// A node of the widget tree. A widget does not own its children: destroying it neither destroys nor
// unlinks them, nor unlinks it from its parent; whoever creates the tree owns every widget. It owns
// its label, icon locator and icon. Children are drawn first to last and hit-tested last to first,
// so a later child lies on top of an earlier one.
class Widget {
public:
    Widget() = default;
    Widget(const Widget&) = delete;
    Widget& operator=(const Widget&) = delete;

    // Frees the icon, the icon locator and the label (and ends the mouse capture if it holds it).
    virtual ~Widget();
    // Loads what the widget needs (skins, fonts); called once, after construction.
    virtual bool initialize();
    // Draws the children, each with this widget's transform. Widgets that draw something draw their
    // own parts afterwards, from their rectangle used directly as overlay pixels.
    virtual void draw(Overlay* overlay, const Mat4& parentTransform);
    // Copies text into label; false when memory runs out (the old label stays).
    virtual bool setText(LPCWSTR text);
    // Replaces the icon with a Stretch brush of the image at locator; false when the locator cannot
    // be copied (the old icon stays) or the image cannot be loaded (there is then no icon).
    virtual bool setIcon(LPCWSTR locator);
    // The topmost widget under (x, y), given in the parent's space, writing the point local to it;
    // null, writing nothing, when the point is outside this widget. Edges: left and top are inside,
    // right and bottom outside, so an empty rectangle is never hit.
    virtual Widget* hitTest(float x, float y, float& localX, float& localY);
    // Told of a new rectangle before it is stored: the old edges are still in the fields.
    virtual void onRectChanged(float x, float y, float width, float height);
    virtual int mouseDown(float x, float y, int button);
    virtual int mouseMove(float x, float y);
    virtual int mouseUp(float x, float y, int button);

    // Appends child at the end of the child list and returns it. A widget is added once.
    Widget* addChild(Widget* child);
    // Calls onRectChanged, then stores the rectangle (x, y) to (x + width, y + height).
    void setRect(float x, float y, float width, float height);

    float left = 0.0f;
    float top = 0.0f;
    float right = 0.0f;   // left + width; exclusive in hit tests
    float bottom = 0.0f;  // top + height; exclusive in hit tests
    WideString label;
    WideString iconLocator;  // the locator of the icon last set
    Widget* parent = nullptr;
    Widget* firstChild = nullptr;
    Widget* lastChild = nullptr;
    Widget* nextSibling = nullptr;
    Widget* prevSibling = nullptr;
    Brush* icon = nullptr;  // owned
};

// A widget that only holds children.
class Panel : public Widget {};
