// Locale-explicit number conversion of the C runtime, on POSIX locale objects.

#include <clocale>
#include <cstdlib>
#include <locale.h>

#include "platform/win32.h"

struct VexoLocale {
    locale_t handle;
};

_locale_t _create_locale(int category, const char* localeName)
{
    const int mask = category == LC_ALL ? LC_ALL_MASK : (1 << category);
    locale_t handle = newlocale(mask, localeName, static_cast<locale_t>(nullptr));
    return handle == nullptr ? nullptr : new VexoLocale{handle};
}

double _strtod_l(const char* text, char** end, _locale_t locale)
{
    return strtod_l(text, end, locale->handle);
}
