#pragma once

#include <string>

#include "formats/FrameWriter.h"
#include "resources/WideText.h"

// A clip as a folder of PNG pictures named by the motion's frame: FOLDER/frame_000012.png for frame
// 12. The folder is made when missing (its parent must exist); each picture is written whole or not
// at all, and those already written stay when a later one fails.
class PngFolderWriter final : public FrameWriter {
public:
    bool open(LPCWSTR path, const Clip& clip) override;
    bool write(const Image& picture, std::int32_t frame) override;
    bool finish() override { return true; }

private:
    WideText folder;
};
