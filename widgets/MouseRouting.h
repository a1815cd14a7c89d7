#pragma once

#include "widgets/Widget.h"

// Routing of the host window's mouse input into a widget tree, with mouse capture. The host passes
// integer client coordinates (signed: while a widget holds the capture the pointer may be left of or
// above the window) and the root, which sits at the origin. Each event goes to exactly one widget;
// the result is that widget's, or 0 when no widget took it. Routing allocates nothing.

// Press: always to the widget under the pointer, whether or not a widget holds the capture.
int routeMouseDown(Widget* root, int x, int y, int button);
// Move and release: to the captured widget wherever the pointer is, else to the widget under it.
int routeMouseMove(Widget* root, int x, int y);
int routeMouseUp(Widget* root, int x, int y, int button);

// The point (x, y) of the root's space in widget's own space: the left and top of widget and of each
// ancestor below root are subtracted (the root's own origin is not).
void toWidgetLocal(const Widget* root, const Widget* widget, float x, float y, float& localX, float& localY);

// The host window takes the mouse (CaptureHost::captureMouse), then widget becomes the captured widget.
void beginCapture(Widget* widget);
// The host gives the mouse up (CaptureHost::releaseMouse), then no widget is captured. Callers end
// only a capture they hold. The toolkit does not observe the platform taking the capture away: the
// captured widget keeps receiving moves and releases until it ends the capture itself.
void endCapture(Widget* widget);
Widget* capturedWidget();
