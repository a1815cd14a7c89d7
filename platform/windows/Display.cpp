// Whether windows can be shown, and telling the user why the viewer cannot go on.

#include <cstdio>
#include <string>

#include "platform/win32.h"

// Windows are seen on the interactive window station; a service, for one, runs on another.
BOOL VexoDisplayAvailable()
{
    const HWINSTA station = GetProcessWindowStation();
    USEROBJECTFLAGS flags{};
    return station != nullptr && GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr) &&
           (flags.dwFlags & WSF_VISIBLE) != 0;
}

// A desktop program started from Explorer or a shortcut has no console: its stderr goes nowhere.
void VexoReportFailure(const char* reason)
{
    std::fprintf(stderr, "vexo: %s\n", reason);
    if (!VexoDisplayAvailable()) return;
    // One sentence: a capital first, a full stop last.
    std::string sentence = reason;
    if (!sentence.empty() && sentence[0] >= 'a' && sentence[0] <= 'z') sentence[0] -= 'a' - 'A';
    sentence += '.';
    const int units = MultiByteToWideChar(CP_UTF8, 0, sentence.c_str(), -1, nullptr, 0);
    std::wstring text(units > 0 ? static_cast<size_t>(units) : 1, L'\0');
    if (units > 0) MultiByteToWideChar(CP_UTF8, 0, sentence.c_str(), -1, text.data(), units);
    MessageBoxW(nullptr, text.c_str(), L"VEXO", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}
