#pragma once

// The frames of a GIF file decoded by giflib, as RGB rows and centisecond delays, for comparing
// what a writer wrote with what it was given. Every frame here covers the whole screen.

#include <gif_lib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <vector>

struct GifFrames {
    int width = 0;
    int height = 0;
    bool loops = false;                            // has the NETSCAPE2.0 loop extension
    std::vector<int> delays;                       // centiseconds
    std::vector<std::vector<std::uint8_t>> rgb;    // width x height x 3 a frame

    // False when the file is missing or not a GIF giflib can read whole.
    bool read(const std::filesystem::path& path)
    {
        std::FILE* file = std::fopen(path.string().c_str(), "rb");
        if (file == nullptr) return false;
        int error = 0;
        GifFileType* gif = DGifOpen(file, readBytes, &error);
        const bool slurped = gif != nullptr && DGifSlurp(gif) == GIF_OK;
        if (slurped) take(*gif);
        if (gif != nullptr) DGifCloseFile(gif, &error);
        std::fclose(file);
        return slurped;
    }

private:
    static int readBytes(GifFileType* gif, GifByteType* bytes, int count)
    {
        return static_cast<int>(std::fread(bytes, 1, static_cast<size_t>(count), static_cast<std::FILE*>(gif->UserData)));
    }

    void take(const GifFileType& gif)
    {
        width = gif.SWidth;
        height = gif.SHeight;
        for (int i = 0; i < gif.ImageCount; ++i) {
            const SavedImage& image = gif.SavedImages[i];
            for (int e = 0; e < image.ExtensionBlockCount; ++e) {
                const ExtensionBlock& block = image.ExtensionBlocks[e];
                loops = loops || (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
                                  std::equal(block.Bytes, block.Bytes + 11, "NETSCAPE2.0"));
            }
            GraphicsControlBlock control{};
            DGifSavedExtensionToGCB(const_cast<GifFileType*>(&gif), i, &control);
            delays.push_back(control.DelayTime);
            const ColorMapObject* map = image.ImageDesc.ColorMap != nullptr ? image.ImageDesc.ColorMap : gif.SColorMap;
            std::vector<std::uint8_t> frame;
            for (int p = 0; p < image.ImageDesc.Width * image.ImageDesc.Height; ++p) {
                const GifColorType colour = map->Colors[image.RasterBits[p]];
                frame.insert(frame.end(), {colour.Red, colour.Green, colour.Blue});
            }
            rgb.push_back(std::move(frame));
        }
    }
};
