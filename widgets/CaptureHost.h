#pragma once

// The host window's side of mouse capture, through which widgets take and give up the mouse.
class CaptureHost {
public:
    virtual void captureMouse() = 0;  // the host window takes the capture
    virtual void releaseMouse() = 0;  // the host gives it up, if it holds it

protected:
    ~CaptureHost() = default;
};
