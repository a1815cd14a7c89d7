#pragma once

// The resource statements of a script compiled into the binary formats the platform reads:
// MENU (the standard menu template), DIALOGEX (the extended dialog template), ACCELERATORS (the
// accelerator table) and VERSIONINFO (VS_VERSIONINFO), and icon files split into RT_ICON images
// with their RT_GROUP_ICON directory. Each compile function reads the statement after its keyword.

#include <vector>

#include "Script.h"

using Bytes = std::vector<unsigned char>;

Bytes compileMenu(Tokenizer& tokens);
Bytes compileDialogEx(Tokenizer& tokens);
Bytes compileAccelerators(Tokenizer& tokens);
Bytes compileVersionInfo(Tokenizer& tokens);

// An .ico file as the group directory (each entry naming its image by identifier) and the
// images, identified firstImageId, firstImageId + 1, ...
struct IconResources {
    Bytes group;
    std::vector<Bytes> images;
};
IconResources splitIconFile(const Bytes& file, int firstImageId);
