#pragma once

// A Viewer on an offscreen window and what it shows, taken as a record that can be compared.

#include <gtest/gtest.h>

#include <GL/gl.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "FileDrop.h"
#include "OffscreenViewer.h"
#include "resources/WideText.h"
#include "shell/Application.h"
#include "viewer/Viewer.h"
#include "widgets/Button.h"
#include "widgets/Gui.h"
#include "widgets/MouseRouting.h"
#include "widgets/Slider.h"

class ViewerSession : public OffscreenViewerTest<320, 240> {
protected:
    // Drops one file on the window, as the desktop does.
    void drop(const std::filesystem::path& path)
    {
        viewer.handleMessage(WM_DROPFILES, reinterpret_cast<WPARAM>(makeFileDrop({widePath(path)})), 0);
    }

    // A digest of the frame render presents.
    std::uint64_t renderedDigest()
    {
        viewer.render();
        std::vector<std::uint8_t> rgba(std::size_t(WIDTH) * HEIGHT * 4);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, WIDTH, HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
        std::uint64_t hash = 14695981039346656037u;  // FNV-1a
        for (std::uint8_t byte : rgba) hash = (hash ^ byte) * 1099511628211u;
        return hash;
    }

};

// Everything a refused file must leave as it was: the motion and its pose, the frame, the camera,
// playback, the flags, the scene's GL lists, the control bar, and the picture.
struct ShownState {
    const Skeleton* skeleton = nullptr;
    std::int32_t frameCount = 0;
    std::int32_t channelsPerFrame = 0;
    std::int32_t frameIndex = 0;
    std::array<float, 16> rootLocal{};
    std::array<float, 9> camera{};
    bool paused = false, singleStep = false, loop = false, moveCamera = false, lighting = false;
    std::uint32_t floorList = 0, sphereList = 0;
    std::array<std::int32_t, 3> timeline{};  // minimum, maximum, value
    std::array<float, 8> bar{};              // the button's and the slider's rectangles
    WideText playIcon;
    const Widget* captured = nullptr;
    std::uint64_t picture = 0;

    bool operator==(const ShownState&) const = default;
};

inline ShownState shownState(Viewer& viewer, std::uint64_t picture)
{
    ShownState s;
    s.skeleton = viewer.skeleton;
    if (viewer.skeleton != nullptr) {
        s.frameCount = viewer.skeleton->frameCount;
        s.channelsPerFrame = viewer.skeleton->channelsPerFrame;
        for (int i = 0; i < 16; ++i) s.rootLocal[i] = viewer.skeleton->root->local.e[i];
    }
    s.frameIndex = viewer.frameIndex;
    const OrbitCamera& c = viewer.camera;
    s.camera = {c.eye.x, c.eye.y, c.eye.z, c.up.x, c.up.y, c.up.z, c.center.x, c.center.y, c.center.z};
    s.paused = viewer.paused;
    s.singleStep = viewer.singleStep;
    s.loop = viewer.loop;
    s.moveCamera = viewer.moveCamera;
    s.lighting = viewer.lighting;
    s.floorList = viewer.scene.floorList;
    s.sphereList = viewer.scene.sphereList;
    if (const Slider* slider = viewer.timelineSlider) {
        s.timeline = {slider->minimum, slider->maximum, slider->value};
        s.bar = {viewer.playButton->left, viewer.playButton->top, viewer.playButton->right, viewer.playButton->bottom,
                 slider->left, slider->top, slider->right, slider->bottom};
        const WideString& icon = viewer.playButton->iconLocator;
        s.playIcon = icon.data != nullptr ? WideText(icon.data, icon.length) : TEXT("");
    }
    s.captured = capturedWidget();
    s.picture = picture;
    return s;
}

inline void PrintTo(const ShownState& s, std::ostream* out)
{
    *out << "{skeleton " << s.skeleton << ", frames " << s.frameCount << ", channels " << s.channelsPerFrame
         << ", frame " << s.frameIndex << ", eye (" << s.camera[0] << ' ' << s.camera[1] << ' ' << s.camera[2]
         << "), paused " << s.paused << ", step " << s.singleStep << ", loop " << s.loop << ", follow "
         << s.moveCamera << ", light " << s.lighting << ", lists " << s.floorList << '/' << s.sphereList
         << ", timeline " << s.timeline[0] << ".." << s.timeline[1] << " at " << s.timeline[2] << ", slider x "
         << s.bar[4] << ".." << s.bar[6] << ", icon length " << s.playIcon.size() << ", captured " << s.captured
         << ", picture " << s.picture << '}';
}
