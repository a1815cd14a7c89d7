// Icons and cursors. LoadIconW takes the image of the icon group closest to 32 x 32 (the size of
// a window icon) and decodes its 32-bit bitmap; an icon is shared and lives as long as the process,
// as icons loaded from resources do. The arrow is the only cursor.

#include <cstdlib>
#include <map>
#include <memory>

#include "platform/linux/Icon.h"

namespace {

constexpr int PREFERRED_SIZE = 32;

WORD readWord(const BYTE* at)
{
    return static_cast<WORD>(at[0] | (at[1] << 8));
}

DWORD readDword(const BYTE* at)
{
    return readWord(at) | (static_cast<DWORD>(readWord(at + 2)) << 16);
}

// The RT_ICON identifier of the group's entry nearest the preferred size, 0 if none. Group
// entries: width, height (0 means 256), colours, reserved, planes, bits, bytes, identifier.
WORD chooseImage(const BYTE* group, DWORD size)
{
    if (size < 6) return 0;
    const WORD count = readWord(group + 4);
    WORD best = 0;
    int bestDistance = 0;
    for (WORD i = 0; i < count && 6 + 14u * (i + 1) <= size; ++i) {
        const BYTE* entry = group + 6 + 14 * i;
        const int width = entry[0] == 0 ? 256 : entry[0];
        const int distance = std::abs(width - PREFERRED_SIZE);
        if (best == 0 || distance < bestDistance) best = readWord(entry + 12), bestDistance = distance;
    }
    return best;
}

// A 32-bit BITMAPINFOHEADER image: BGRA rows bottom-up, the height counting the AND mask's rows
// too. When every alpha is 0 the image predates alpha and the mask gives the transparency.
std::unique_ptr<HICON__> decodeImage(const BYTE* image, DWORD size)
{
    if (size < 40 || readDword(image) < 40 || readWord(image + 14) != 32) return nullptr;
    const int width = static_cast<int>(readDword(image + 4));
    const int height = static_cast<int>(readDword(image + 8)) / 2;
    const DWORD headerSize = readDword(image);
    const DWORD maskStride = (width + 31) / 32 * 4;
    if (width <= 0 || height <= 0 || width > 256 || height > 256 ||
        headerSize + static_cast<DWORD>(width * height * 4) + maskStride * height > size) {
        return nullptr;
    }
    auto icon = std::make_unique<HICON__>();
    icon->width = width;
    icon->height = height;
    icon->rgba.resize(static_cast<size_t>(width) * height * 4);
    const BYTE* pixels = image + headerSize;
    const BYTE* mask = pixels + width * height * 4;
    bool anyAlpha = false;
    for (int y = 0; y < height; ++y) {
        const BYTE* row = pixels + (height - 1 - y) * width * 4;
        for (int x = 0; x < width; ++x) {
            BYTE* out = &icon->rgba[(static_cast<size_t>(y) * width + x) * 4];
            out[0] = row[x * 4 + 2], out[1] = row[x * 4 + 1], out[2] = row[x * 4], out[3] = row[x * 4 + 3];
            anyAlpha |= out[3] != 0;
        }
    }
    if (anyAlpha) return icon;
    for (int y = 0; y < height; ++y) {
        const BYTE* maskRow = mask + (height - 1 - y) * maskStride;
        for (int x = 0; x < width; ++x) {
            const bool transparent = (maskRow[x / 8] >> (7 - x % 8)) & 1;
            icon->rgba[(static_cast<size_t>(y) * width + x) * 4 + 3] = transparent ? 0 : 255;
        }
    }
    return icon;
}

std::map<HRSRC, std::unique_ptr<HICON__>> loadedIcons;
HICON__ arrowCursor;

}  // namespace

HICON LoadIconW(HINSTANCE instance, LPCWSTR name)
{
    const HRSRC group = FindResourceW(instance, name, RT_GROUP_ICON);
    if (group == nullptr) return nullptr;
    const auto loaded = loadedIcons.find(group);
    if (loaded != loadedIcons.end()) return loaded->second.get();

    const WORD imageId = chooseImage(static_cast<const BYTE*>(LockResource(LoadResource(instance, group))),
                                     SizeofResource(instance, group));
    const HRSRC image = imageId == 0 ? nullptr : FindResourceW(instance, MAKEINTRESOURCEW(imageId), RT_ICON);
    if (image == nullptr) return nullptr;
    std::unique_ptr<HICON__> icon = decodeImage(static_cast<const BYTE*>(LockResource(LoadResource(instance, image))),
                                                SizeofResource(instance, image));
    if (icon == nullptr) return nullptr;
    return (loadedIcons[group] = std::move(icon)).get();
}

HCURSOR LoadCursorW(HINSTANCE instance, LPCWSTR name)
{
    return instance == nullptr && name == IDC_ARROW ? &arrowCursor : nullptr;
}
