#pragma once

// Helpers for widget tests without a window: a capture host that counts, a widget that records
// the events it receives, and an 8 x 16 thumb brush record without a texture.

#include <string>

#include "resources/Brush.h"
#include "widgets/CaptureHost.h"
#include "widgets/Widget.h"

class CountingHost : public CaptureHost {
public:
    void captureMouse() override { ++captures; }
    void releaseMouse() override { ++releases; }
    int captures = 0;
    int releases = 0;
};

// Logs "down(x,y,b)", "move(x,y)", "up(x,y,b)" with its name, and returns `result`.
class RecordingWidget : public Widget {
public:
    RecordingWidget(std::string name, std::string* log, int result = 1) : name(std::move(name)), log(log), result(result) {}

    int mouseDown(float x, float y, int button) override { return write("down", x, y, button); }
    int mouseMove(float x, float y) override { return write("move", x, y, -1); }
    int mouseUp(float x, float y, int button) override { return write("up", x, y, button); }

    std::string name;
    std::string* log;
    int result;

private:
    int write(const char* what, float x, float y, int button)
    {
        log->append(name).append(".").append(what).append("(").append(std::to_string(static_cast<int>(x)));
        log->append(",").append(std::to_string(static_cast<int>(y)));
        if (button >= 0) log->append(",").append(std::to_string(button));
        log->append(") ");
        return result;
    }
};

// A NineSlice brush record of the given image size with no texture: enough for the geometry of the
// widgets, which only read a brush's size.
inline Brush* makeSizedBrush(int width, int height)
{
    auto* brush = new NineSliceBrush;
    brush->kind = BrushKind::NineSlice;
    brush->width = width;
    brush->height = height;
    return brush;
}
