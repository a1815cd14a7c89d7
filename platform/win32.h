#pragma once

// The one door to the windowing, GDI, shell and kernel calls the application makes. On Windows this
// would be <windows.h>; here it declares exactly the subset the application uses, with the real
// names, types, values and the behaviour the application relies on, realised in platform/*.cpp.

#include "platform/win32/Types.h"
#include "platform/win32/Kernel.h"
#include "platform/win32/User.h"
#include "platform/win32/Gdi.h"
#include "platform/win32/Shell.h"
#include "platform/win32/Vexo.h"
