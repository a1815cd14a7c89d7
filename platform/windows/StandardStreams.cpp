// The standard streams of a command-line run. vexo.exe is a GUI program, so Windows gives it no
// console: started from a console without redirection, its standard handles are not valid, and
// what it writes would be lost. It then writes to the console of the process that started it.

#include <fcntl.h>

#include <cstdio>

#include "platform/win32.h"

namespace {

bool isValid(DWORD standardHandle)
{
    const HANDLE handle = GetStdHandle(standardHandle);
    return handle != nullptr && handle != INVALID_HANDLE_VALUE && GetFileType(handle) != FILE_TYPE_UNKNOWN;
}

}  // namespace

void VexoUseStandardStreams()
{
    const bool output = isValid(STD_OUTPUT_HANDLE), error = isValid(STD_ERROR_HANDLE);
    if ((!output || !error) && AttachConsole(ATTACH_PARENT_PROCESS)) {
        if (!output) _wfreopen(L"CONOUT$", L"w", stdout);
        if (!error) _wfreopen(L"CONOUT$", L"w", stderr);
    }
    // Text mode would write "\r\n" for every "\n": the bytes must be those the Linux program writes.
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
}
