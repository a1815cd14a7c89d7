#pragma once

#include <cstdio>

#include "platform/linux/win32/Types.h"

// ---------------------------------------------------------------------------------------------
// Process entry and module
// ---------------------------------------------------------------------------------------------

// The application defines wWinMain; the platform's main() calls it with the program's module
// handle and returns its result as the exit status.
int WINAPI wWinMain(HINSTANCE instance, HINSTANCE previous, LPWSTR commandLine, int showCommand);

// The program's own module has the fixed handle value PROGRAM_MODULE_HANDLE (where a 32-bit Windows
// program is loaded); no other module exists. A null name gives that handle.
inline HMODULE const PROGRAM_MODULE_HANDLE = reinterpret_cast<HMODULE>(std::uintptr_t{0x00400000});
HMODULE GetModuleHandleW(LPCWSTR moduleName);

// ---------------------------------------------------------------------------------------------
// Command line and text conversion
// ---------------------------------------------------------------------------------------------

// The process's arguments as one command line, and split into an array of arguments. On this
// platform the split is exact: the array holds argv, each argument converted to UTF-16 (bytes that
// are not UTF-8 map to U+DC80..U+DCFF and convert back unchanged). The array is one block, freed
// with LocalFree.
LPWSTR GetCommandLineW();
LPWSTR* CommandLineToArgvW(LPCWSTR commandLine, int* argumentCount);
HLOCAL LocalFree(HLOCAL memory);

// Conversion between UTF-16 and UTF-8 (CP_UTF8 only). A length of -1 converts up to and including
// the terminating zero. With an output size of 0 the required size is returned.
constexpr UINT CP_UTF8 = 65001;
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR text, int length, LPSTR out, int outSize,
                        LPCSTR defaultChar, BOOL* usedDefaultChar);
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR out, int outSize);

int lstrlenW(LPCWSTR text);
int lstrcmpW(LPCWSTR a, LPCWSTR b);   // code unit by code unit; <0, 0, >0
int lstrcmpiW(LPCWSTR a, LPCWSTR b);  // the same, ignoring the case of ASCII and Latin-1 letters

// ---------------------------------------------------------------------------------------------
// Files
// ---------------------------------------------------------------------------------------------

// The C runtime's wide open. In text mode ("r", "rt") a CR LF pair reads as LF, as on Windows;
// "rb" reads the bytes unchanged. A text-mode stream cannot seek (fseek fails), so its size cannot
// be learnt from it. The one writing mode is "wb": create or truncate, bytes written unchanged.
FILE* _wfopen(LPCWSTR path, LPCWSTR mode);

// The C runtime's 64-bit stream positions (a long is 32 bits on Windows): where a stream is, or -1;
// moving it (SEEK_SET, SEEK_CUR, SEEK_END), 0 on success.
int _fseeki64(FILE* stream, long long offset, int origin);
long long _ftelli64(FILE* stream);

// The C runtime's descriptor of a stream, and whether a descriptor is a terminal (nonzero).
int _fileno(FILE* stream);
int _isatty(int descriptor);

struct SECURITY_ATTRIBUTES;
struct OVERLAPPED;
constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD FILE_SHARE_READ = 0x00000001;
constexpr DWORD OPEN_EXISTING = 3;
constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(LONG_PTR{-1});

constexpr DWORD FILE_SHARE_WRITE = 0x00000002;

// Opening for reading an existing file is what is provided (the share mode is not enforced); ReadFile
// reports the bytes read (fewer than asked at the end of the file, 0 at the end). The handle may also
// be a pipe or a device, which ReadFile reads until it ends.
HANDLE CreateFileW(LPCWSTR path, DWORD access, DWORD shareMode, SECURITY_ATTRIBUTES* security, DWORD creation,
                   DWORD flags, HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read, OVERLAPPED* overlapped);

// The error of the calling thread's last failed call among those that record one: ReadFile records
// ERROR_READ_FAULT. (Windows ends a read from a pipe its writer has closed with ERROR_BROKEN_PIPE;
// here such a read succeeds with 0 bytes, as at the end of a file.)
constexpr DWORD ERROR_READ_FAULT = 30;
constexpr DWORD ERROR_BROKEN_PIPE = 109;
DWORD GetLastError();
BOOL CloseHandle(HANDLE object);

union LARGE_INTEGER {
    struct {
        DWORD LowPart;
        LONG HighPart;
    };
    LONGLONG QuadPart;
};
using PLARGE_INTEGER = LARGE_INTEGER*;

// The size in bytes of a regular file; FALSE for a pipe or a device, whose size is not known.
BOOL GetFileSizeEx(HANDLE file, PLARGE_INTEGER size);

// A read-only view of a whole file: CreateFileMappingW(file, nullptr, PAGE_READONLY, 0, 0, nullptr)
// then MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0). As on Windows, an empty file cannot be mapped,
// and neither can a pipe or a device (null). The view stays valid after the mapping and the file
// handles are closed, until UnmapViewOfFile. Other arguments are not provided.
constexpr DWORD PAGE_READONLY = 0x02;
constexpr DWORD FILE_MAP_READ = 0x0004;
HANDLE CreateFileMappingW(HANDLE file, SECURITY_ATTRIBUTES* security, DWORD protect, DWORD maximumSizeHigh,
                          DWORD maximumSizeLow, LPCWSTR name);
LPVOID MapViewOfFile(HANDLE mapping, DWORD access, DWORD offsetHigh, DWORD offsetLow, SIZE_T bytes);
BOOL UnmapViewOfFile(LPCVOID address);

// On memory that was never locked, VirtualUnlock removes the pages holding [address, address + size)
// from the process's working set and returns FALSE (Windows then sets ERROR_NOT_LOCKED). Here that is
// done for pages of file views, which stay in the system's file cache and are read back from it when
// touched again; other memory stays as it is.
BOOL VirtualUnlock(LPVOID address, SIZE_T size);

// Attributes of a file or directory: FILE_ATTRIBUTE_DIRECTORY for a directory, FILE_ATTRIBUTE_NORMAL
// for anything else that exists, INVALID_FILE_ATTRIBUTES when nothing is there (or it cannot be
// looked at).
constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;
DWORD GetFileAttributesW(LPCWSTR path);

// Makes one directory (its parent must exist); FALSE when it cannot, also when something of that
// name exists already. The security attributes are ignored.
BOOL CreateDirectoryW(LPCWSTR path, SECURITY_ATTRIBUTES* security);
// Removes a file or a symbolic link (not a directory, not a device); FALSE when it cannot.
BOOL DeleteFileW(LPCWSTR path);

// Renames a file, with MOVEFILE_REPLACE_EXISTING over an existing file (never over a directory), in one
// step: the new name holds the old file or the new one, never a part. Both names on the same file
// system; other flags are not provided.
constexpr DWORD MOVEFILE_REPLACE_EXISTING = 0x1;
BOOL MoveFileExW(LPCWSTR existing, LPCWSTR renamed, DWORD flags);

// The entries of one directory: FindFirstFileW("DIR/*") gives the first (its name, attributes and size)
// and FindNextFileW the others, "." and ".." among them, in no particular order; FALSE or
// INVALID_HANDLE_VALUE when there are no more or the directory cannot be read (GetLastError then gives
// ERROR_NO_MORE_FILES, ERROR_FILE_NOT_FOUND or ERROR_ACCESS_DENIED). Only a pattern ending in "/*" (or
// "\\*") is provided. A symbolic link reports what it points to, with FILE_ATTRIBUTE_REPARSE_POINT
// added; a link that points nowhere is a file of size 0.
constexpr DWORD MAX_PATH = 260;
constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x400;
constexpr DWORD ERROR_FILE_NOT_FOUND = 2;
constexpr DWORD ERROR_ACCESS_DENIED = 5;
constexpr DWORD ERROR_NO_MORE_FILES = 18;
struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};
struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;    // not provided (zero)
    FILETIME ftLastAccessTime;  // not provided (zero)
    FILETIME ftLastWriteTime;   // not provided (zero)
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];  // a Linux name of up to 255 bytes always fits
    WCHAR cAlternateFileName[14];
};
using LPWIN32_FIND_DATAW = WIN32_FIND_DATAW*;
HANDLE FindFirstFileW(LPCWSTR pattern, LPWIN32_FIND_DATAW found);
BOOL FindNextFileW(HANDLE search, LPWIN32_FIND_DATAW found);
BOOL FindClose(HANDLE search);

// The current directory in UTF-16. With a buffer too small (or none) it returns the size needed
// including the terminator; otherwise the length written, without it. 0 on failure.
DWORD GetCurrentDirectoryW(DWORD bufferLength, LPWSTR buffer);

// ---------------------------------------------------------------------------------------------
// Resources compiled into the program from assets/ (see tools/rc)
// ---------------------------------------------------------------------------------------------

inline LPCWSTR const RT_ICON = MAKEINTRESOURCEW(3);
inline LPCWSTR const RT_MENU = MAKEINTRESOURCEW(4);
inline LPCWSTR const RT_DIALOG = MAKEINTRESOURCEW(5);
inline LPCWSTR const RT_ACCELERATOR = MAKEINTRESOURCEW(9);
inline LPCWSTR const RT_RCDATA = MAKEINTRESOURCEW(10);
inline LPCWSTR const RT_GROUP_ICON = MAKEINTRESOURCEW(14);
inline LPCWSTR const RT_VERSION = MAKEINTRESOURCEW(16);

// Names match case-insensitively; integer identifiers come through MAKEINTRESOURCEW. Only the
// program's own module holds resources. The locked bytes stay valid for the life of the process.
HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL loaded);
DWORD SizeofResource(HMODULE module, HRSRC resource);

// ---------------------------------------------------------------------------------------------
// The process
// ---------------------------------------------------------------------------------------------

// The pseudo-handle of the calling process, and the processors it may run on (bit n: processor n)
// among those of the system; only the first 64 processors are reported.
HANDLE GetCurrentProcess();
BOOL GetProcessAffinityMask(HANDLE process, PDWORD_PTR processMask, PDWORD_PTR systemMask);

// ---------------------------------------------------------------------------------------------
// Time and locale
// ---------------------------------------------------------------------------------------------

// Milliseconds of a monotonic clock, wrapping at 2^32.
DWORD timeGetTime();

// The C runtime's locale-explicit number conversion, used with the classic "C" locale so numbers
// convert the same whatever locale a library has set for the process.
using _locale_t = struct VexoLocale*;
_locale_t _create_locale(int category, const char* localeName);
double _strtod_l(const char* text, char** end, _locale_t locale);
