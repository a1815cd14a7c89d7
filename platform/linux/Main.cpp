// The process entry: main() hands over to the application's wWinMain, as the Windows runtime does.
// In a file of its own so that programs with their own main() (the tests) can link the platform.

#include "platform/linux/Process.h"
#include "platform/win32.h"

int main(int argc, char** argv)
{
    setProcessArguments(argc, argv);
    return wWinMain(GetModuleHandleW(nullptr), nullptr, GetCommandLineW(), SW_SHOWDEFAULT);
}
