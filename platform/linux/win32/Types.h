#pragma once

#include <cstddef>
#include <cstdint>

// Base types, handles and records of the platform API, with the layouts the application relies on.
// UTF-16 stays UTF-16: WCHAR is a 16-bit code unit and TEXT("...") a UTF-16 literal.

using WCHAR = char16_t;
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPSTR = char*;
using LPCSTR = const char*;
using BOOL = int;
using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using UINT = unsigned int;
using LONG = std::int32_t;
using LONGLONG = std::int64_t;
using ULONG_PTR = std::uintptr_t;
using DWORD_PTR = std::uintptr_t;
using PDWORD_PTR = DWORD_PTR*;
using SIZE_T = std::size_t;
using UINT_PTR = std::uintptr_t;
using LONG_PTR = std::intptr_t;
using INT_PTR = std::intptr_t;
using WPARAM = UINT_PTR;
using LPARAM = LONG_PTR;
using LRESULT = LONG_PTR;
using ATOM = WORD;
using LPVOID = void*;
using LPCVOID = const void*;
using LPDWORD = DWORD*;
using HANDLE = void*;
using HLOCAL = void*;
using HGLOBAL = void*;

#define VEXO_DECLARE_HANDLE(name) \
    struct name##__;              \
    using name = name##__*
VEXO_DECLARE_HANDLE(HINSTANCE);
VEXO_DECLARE_HANDLE(HWND);
VEXO_DECLARE_HANDLE(HDC);
VEXO_DECLARE_HANDLE(HGLRC);
VEXO_DECLARE_HANDLE(HMENU);
VEXO_DECLARE_HANDLE(HACCEL);
VEXO_DECLARE_HANDLE(HICON);
VEXO_DECLARE_HANDLE(HBRUSH);
VEXO_DECLARE_HANDLE(HBITMAP);
VEXO_DECLARE_HANDLE(HFONT);
VEXO_DECLARE_HANDLE(HRSRC);
VEXO_DECLARE_HANDLE(HDROP);
#undef VEXO_DECLARE_HANDLE
using HMODULE = HINSTANCE;
using HCURSOR = HICON;
using HGDIOBJ = void*;

#define TEXT(s) u##s
#define WINAPI
#define CALLBACK

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;

constexpr WORD LOWORD(ULONG_PTR value) { return static_cast<WORD>(value & 0xFFFF); }
constexpr WORD HIWORD(ULONG_PTR value) { return static_cast<WORD>((value >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(WORD low, WORD high) { return static_cast<LPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16)); }
constexpr WPARAM MAKEWPARAM(WORD low, WORD high) { return static_cast<WPARAM>(static_cast<DWORD>(low) | (static_cast<DWORD>(high) << 16)); }
// Signed client coordinates of a mouse message (negative left of or above the client area).
constexpr int GET_X_LPARAM(LPARAM lp) { return static_cast<short>(LOWORD(static_cast<ULONG_PTR>(lp))); }
constexpr int GET_Y_LPARAM(LPARAM lp) { return static_cast<short>(HIWORD(static_cast<ULONG_PTR>(lp))); }

// An integer resource identifier travelling as a name pointer, as the platform does it.
inline LPWSTR MAKEINTRESOURCEW(WORD id) { return reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(id)); }
inline bool IS_INTRESOURCE(LPCWSTR name) { return (reinterpret_cast<ULONG_PTR>(name) >> 16) == 0; }

struct POINT {
    LONG x;
    LONG y;
};

struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
