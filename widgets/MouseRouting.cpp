// Mouse routing and the captured widget.

#include "widgets/MouseRouting.h"

#include "widgets/Gui.h"

namespace {

Widget* captured = nullptr;

// The widget under the point and the point local to it, or null.
Widget* widgetAt(Widget* root, int x, int y, float& localX, float& localY)
{
    if (root == nullptr) return nullptr;
    return root->hitTest(static_cast<float>(x), static_cast<float>(y), localX, localY);
}

}  // namespace

int routeMouseDown(Widget* root, int x, int y, int button)
{
    float localX = 0.0f, localY = 0.0f;
    Widget* hit = widgetAt(root, x, y, localX, localY);
    return hit != nullptr ? hit->mouseDown(localX, localY, button) : 0;
}

int routeMouseMove(Widget* root, int x, int y)
{
    float localX = 0.0f, localY = 0.0f;
    if (captured != nullptr) {
        toWidgetLocal(root, captured, static_cast<float>(x), static_cast<float>(y), localX, localY);
        return captured->mouseMove(localX, localY);
    }
    Widget* hit = widgetAt(root, x, y, localX, localY);
    return hit != nullptr ? hit->mouseMove(localX, localY) : 0;
}

int routeMouseUp(Widget* root, int x, int y, int button)
{
    float localX = 0.0f, localY = 0.0f;
    if (captured != nullptr) {
        toWidgetLocal(root, captured, static_cast<float>(x), static_cast<float>(y), localX, localY);
        return captured->mouseUp(localX, localY, button);
    }
    Widget* hit = widgetAt(root, x, y, localX, localY);
    return hit != nullptr ? hit->mouseUp(localX, localY, button) : 0;
}

void toWidgetLocal(const Widget* root, const Widget* widget, float x, float y, float& localX, float& localY)
{
    for (const Widget* w = widget; w != nullptr && w != root; w = w->parent) {
        x -= w->left;
        y -= w->top;
    }
    localX = x;
    localY = y;
}

void beginCapture(Widget* widget)
{
    if (CaptureHost* host = guiCaptureHost()) host->captureMouse();
    captured = widget;
}

void endCapture(Widget*)
{
    if (CaptureHost* host = guiCaptureHost()) host->releaseMouse();
    captured = nullptr;
}

Widget* capturedWidget()
{
    return captured;
}
