// vexo.exe run as a process of its own, its standard output (and error) read through a pipe; the
// command line is split by the program itself (CommandLineToArgvW), so no shell is involved.

#include "RunVexo.h"

#include <windows.h>

namespace {

std::wstring wide(const std::string& text)
{
    const int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), units);
    return out;
}

}  // namespace

RunResult vexo(const std::string& arguments, bool withStderr)
{
    RunResult run{-1, {}};
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE reading = nullptr, writing = nullptr;
    if (!CreatePipe(&reading, &writing, &inherited, 0)) return run;
    SetHandleInformation(reading, HANDLE_FLAG_INHERIT, 0);
    const HANDLE nowhere = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, 0, nullptr);

    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = nullptr;
    startup.hStdOutput = writing;
    startup.hStdError = withStderr ? writing : nowhere;
    std::wstring command = wide(quoted(VEXO_BINARY) + " " + arguments);
    PROCESS_INFORMATION process{};
    const bool started = CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr,
                                        nullptr, &startup, &process);
    CloseHandle(writing);  // the child holds its own copy: the pipe ends when the child does
    CloseHandle(nowhere);
    if (started) {
        char chunk[4096];
        for (DWORD n; ReadFile(reading, chunk, sizeof chunk, &n, nullptr) && n > 0;) run.out.append(chunk, n);
        WaitForSingleObject(process.hProcess, INFINITE);
        DWORD status = 0;
        if (GetExitCodeProcess(process.hProcess, &status)) run.status = static_cast<int>(status);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
    CloseHandle(reading);
    return run;
}

// In double quotes, as CommandLineToArgvW splits arguments.
std::string quoted(const std::filesystem::path& path)
{
    std::string text = "\"";
    text += path.string();
    return text += "\"";
}
