// Whether windows can be shown.

#include "platform/win32.h"

// Windows are seen on the interactive window station; a service, for one, runs on another.
BOOL VexoDisplayAvailable()
{
    const HWINSTA station = GetProcessWindowStation();
    USEROBJECTFLAGS flags{};
    return station != nullptr && GetUserObjectInformationW(station, UOI_FLAGS, &flags, sizeof flags, nullptr) &&
           (flags.dwFlags & WSF_VISIBLE) != 0;
}
