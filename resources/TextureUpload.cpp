// Decoded images become OpenGL textures: RGBA, linear filtering, the top row at t = 0.

#include <GL/gl.h>

#include "resources/Image.h"
#include "resources/TextureCache.h"

namespace {

// The new texture stays bound. The sides are uploaded as they are; the skins have power-of-two
// sides, which every OpenGL accepts.
void upload(const Image& image, std::uint32_t* glName, std::int32_t* width, std::int32_t* height)
{
    GLuint name = 0;
    glGenTextures(1, &name);
    *glName = name;
    glBindTexture(GL_TEXTURE_2D, name);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    // Rows are 4-byte pixels without gaps, so the default unpack alignment of 4 holds.
    glTexImage2D(GL_TEXTURE_2D, 0, 4, image.width, image.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, image.pixels);
    *width = image.width;
    *height = image.height;
}

}  // namespace

bool createTextureFromFile(LPCWSTR path, std::uint32_t* glName, std::int32_t* width, std::int32_t* height)
{
    *width = 0;
    *height = 0;
    Image image;
    if (!image.loadImageFile(path)) return false;
    upload(image, glName, width, height);
    return true;
}

bool createTextureFromResource(HMODULE module, LPCWSTR name, std::uint32_t* glName, std::int32_t* width,
                               std::int32_t* height)
{
    *width = 0;
    *height = 0;
    Image image;
    if (!image.loadPngResource(module, name)) return false;
    upload(image, glName, width, height);
    return true;
}
