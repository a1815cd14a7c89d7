#pragma once

#include <cstdio>

#include "platform/win32/Types.h"

// Process entry: the application defines wWinMain; the platform's main() calls it with the module
// handle of the executable and returns its result as the exit status.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int showCommand);

constexpr int SW_SHOWDEFAULT = 10;

// The program's own module. Its handle has the fixed value PROGRAM_MODULE_HANDLE, so resource
// locators naming it fit in 32 bits; no other module exists. A null name gives the program's handle.
inline HMODULE const PROGRAM_MODULE_HANDLE = reinterpret_cast<HMODULE>(std::uintptr_t{0x00400000});
HMODULE GetModuleHandleW(LPCWSTR moduleName);

// The process's arguments as one command line, and split into an array of arguments. On this
// platform the split is exact: the array holds argv, each argument converted to UTF-16 (bytes that
// are not UTF-8 map to U+DC80..U+DCFF and convert back unchanged). The array is one block, freed
// with LocalFree.
LPWSTR GetCommandLineW();
LPWSTR* CommandLineToArgvW(LPCWSTR commandLine, int* argumentCount);
HLOCAL LocalFree(HLOCAL memory);

// Code-page conversion between UTF-16 and UTF-8 (CP_UTF8 only). A count of -1 converts up to and
// including the terminating zero. With an output size of 0 the required size is returned.
constexpr UINT CP_UTF8 = 65001;
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR text, int length, LPSTR out, int outSize,
                        LPCSTR defaultChar, BOOL* usedDefaultChar);
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR out, int outSize);

// The C runtime's wide open. In text mode ("r", "rt") a CR LF pair reads as LF, as on Windows;
// "rb" reads the bytes unchanged. Only reading is provided, and a text-mode stream cannot seek
// (fseek fails), so its size cannot be learnt from it.
FILE* _wfopen(LPCWSTR path, LPCWSTR mode);

// The C runtime's locale-explicit number conversion, used with the classic "C" locale so that
// numbers convert the same whatever locale a library has set for the process.
using _locale_t = struct VexoLocale*;
_locale_t _create_locale(int category, const char* localeName);
double _strtod_l(const char* text, char** end, _locale_t locale);
