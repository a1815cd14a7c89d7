// Decoding image files.

#include <png.h>

#include "resources/Image.h"

namespace {

// A short read is an error too: a truncated file must not decode into a picture.
void readFile(png_structp png, png_bytep out, std::size_t count)
{
    DWORD read = 0;
    if (count > UINT32_MAX || !ReadFile(png_get_io_ptr(png), out, static_cast<DWORD>(count), &read, nullptr) ||
        read != count) {
        png_error(png, "Error reading file");
    }
}

}  // namespace

bool Image::loadPngFile(LPCWSTR path)
{
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                              nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    const bool decoded = decodePng(file, readFile);
    CloseHandle(file);
    return decoded;
}

bool Image::loadImageFile(LPCWSTR path)
{
    return path != nullptr && lstrcmpiW(PathFindExtensionW(path), TEXT(".png")) == 0 && loadPngFile(path);
}
