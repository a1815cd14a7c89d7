// Process-wide toolkit state: the capture host and the resource module.

#include "widgets/Gui.h"

#include "resources/ScratchArena.h"
#include "resources/TextureCache.h"

namespace {

CaptureHost* captureHost = nullptr;
HMODULE resourceModule = nullptr;

}  // namespace

bool guiStartup(CaptureHost* host)
{
    captureHost = host;
    resourceModule = GetModuleHandleW(nullptr);
    return createScratchArena();
}

void guiShutdown()
{
    textureCache.clear();
    destroyScratchArena();
}

CaptureHost* guiCaptureHost()
{
    return captureHost;
}

HMODULE guiModuleHandle()
{
    return resourceModule;
}
