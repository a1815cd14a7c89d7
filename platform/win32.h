#pragma once

// The one door to the windowing, GDI, shell and kernel calls the application makes. On Windows it is
// the SDK itself; on Linux it declares exactly the subset the application uses, with the real names,
// types, values and the behaviour the application relies on, realised in platform/linux/.

#ifdef _WIN32
#ifndef UNICODE
#define UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <windowsx.h>
#include <shellapi.h>
#include <shlwapi.h>
#include <commdlg.h>
#include <mmsystem.h>
#include <GL/gl.h>
#include <GL/glu.h>
#include <io.h>  // _isatty
#else
#include "platform/linux/win32/Types.h"
#include "platform/linux/win32/Kernel.h"
#include "platform/linux/win32/User.h"
#include "platform/linux/win32/Gdi.h"
#include "platform/linux/win32/Shell.h"
#endif

#include "platform/Extensions.h"
