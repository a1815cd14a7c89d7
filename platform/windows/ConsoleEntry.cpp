// The process entry of the console twin (vexo.com): the console runtime enters at wmain, which
// hands over to the program's wWinMain as the desktop runtime does.

#include "platform/win32.h"

int wmain()
{
    return wWinMain(GetModuleHandleW(nullptr), nullptr, GetCommandLineW(), SW_SHOWDEFAULT);
}
