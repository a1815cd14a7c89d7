// The console twin. vexo.com is the same program as vexo.exe, built as a console program: a console
// waits for it, shows its output in place and reads its exit status, and shells find it first
// (PATHEXT lists .COM before .EXE), so "vexo --check ..." runs it. The viewer is a desktop program's
// business: vexo.com hands it to vexo.exe beside it, which the console does not wait for.

#include <cstdio>
#include <string>
#include <string_view>

#include "platform/win32.h"

namespace {

// The subsystem the program was linked for, from its own header.
bool isConsoleProgram()
{
    const auto* image = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(image);
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(image + dos->e_lfanew);
    return nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_CUI;
}

// The program's own path, however long.
std::wstring programPath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) return path.substr(0, length);
        path.resize(path.size() * 2);
    }
}

// The command line after the program's name, split off as Windows splits it: a name in quotes
// ends at the closing quote, else at the first space or tab.
LPCWSTR argumentsOf(LPCWSTR commandLine)
{
    LPCWSTR rest = commandLine;
    if (*rest == L'"') {
        do ++rest;
        while (*rest != L'\0' && *rest != L'"');
        if (*rest == L'"') ++rest;
    } else {
        while (*rest != L'\0' && *rest != L' ' && *rest != L'\t') ++rest;
    }
    while (*rest == L' ' || *rest == L'\t') ++rest;
    return rest;
}

std::string utf8(const std::wstring& text)
{
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string out(bytes > 0 ? static_cast<size_t>(bytes) : 1, '\0');
    if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, text.c_str(), -1, out.data(), bytes, nullptr, nullptr);
    out.pop_back();  // the terminator
    return out;
}

// The system's words for an error, on one line.
std::wstring errorText(DWORD error)
{
    LPWSTR text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, error, 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::wstring line = text != nullptr ? text : L"error " + std::to_wstring(error);
    LocalFree(text);
    while (!line.empty() && std::wstring_view(L"\r\n .").find(line.back()) != std::wstring_view::npos) line.pop_back();
    return line;
}

}  // namespace

BOOL VexoHandViewerToDesktopTwin(int* status)
{
    if (!isConsoleProgram()) return FALSE;
    std::wstring twin = programPath();
    const size_t name = twin.find_last_of(L"\\/") + 1;  // 0 when there is no folder
    const size_t dot = twin.rfind(L'.');
    twin = twin.substr(0, dot != std::wstring::npos && dot > name ? dot : twin.size()) + L".exe";
    std::wstring commandLine = L"\"" + twin + L"\" " + argumentsOf(GetCommandLineW());
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(twin.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        const std::string why = utf8(errorText(GetLastError()));
        std::fprintf(stderr, "vexo: cannot start %s: %s\n", utf8(twin).c_str(), why.c_str());
        *status = 1;
        return TRUE;
    }
    AllowSetForegroundWindow(process.dwProcessId);  // the viewer's window comes to the front
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    *status = 0;
    return TRUE;
}
