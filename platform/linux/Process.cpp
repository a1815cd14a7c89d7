// Process entry, command line, module handle and the processors the process may use.

#include <sched.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/linux/Process.h"
#include "platform/linux/Utf.h"
#include "platform/win32.h"

namespace {

std::vector<std::u16string> processArguments;
std::u16string commandLine;

}  // namespace

void setProcessArguments(int argc, char** argv)
{
    processArguments.clear();
    commandLine.clear();
    for (int i = 0; i < argc; ++i) {
        processArguments.push_back(utf8ToUtf16(argv[i]));
        if (i > 0) commandLine += u' ';
        commandLine += processArguments.back();
    }
}

// The streams already go where the user sees them (the terminal, or what the shell redirected them
// to), and the C library writes bytes unchanged.
void VexoUseStandardStreams() {}

// A program started from a desktop entry has its stderr in the session's log.
void VexoReportFailure(const char* reason)
{
    std::fprintf(stderr, "vexo: %s\n", reason);
}

// The one program shows the viewer itself.
BOOL VexoHandViewerToDesktopTwin(int*)
{
    return FALSE;
}

HMODULE GetModuleHandleW(LPCWSTR moduleName)
{
    return moduleName == nullptr ? PROGRAM_MODULE_HANDLE : nullptr;
}

LPWSTR GetCommandLineW()
{
    return commandLine.data();
}

LPWSTR* CommandLineToArgvW(LPCWSTR, int* argumentCount)
{
    // One block: the pointer table, then the zero-terminated arguments.
    size_t units = 0;
    for (const auto& argument : processArguments) units += argument.size() + 1;
    const size_t tableBytes = (processArguments.size() + 1) * sizeof(LPWSTR);
    auto* block = static_cast<char*>(std::malloc(tableBytes + units * sizeof(WCHAR)));
    if (block == nullptr) return nullptr;
    auto* table = reinterpret_cast<LPWSTR*>(block);
    auto* text = reinterpret_cast<WCHAR*>(block + tableBytes);
    for (size_t i = 0; i < processArguments.size(); ++i) {
        table[i] = text;
        std::memcpy(text, processArguments[i].c_str(), (processArguments[i].size() + 1) * sizeof(WCHAR));
        text += processArguments[i].size() + 1;
    }
    table[processArguments.size()] = nullptr;
    if (argumentCount != nullptr) *argumentCount = static_cast<int>(processArguments.size());
    return table;
}

HANDLE GetCurrentProcess()
{
    return reinterpret_cast<HANDLE>(LONG_PTR{-1});  // the pseudo-handle Windows gives
}

BOOL GetProcessAffinityMask(HANDLE process, PDWORD_PTR processMask, PDWORD_PTR systemMask)
{
    cpu_set_t allowed;
    CPU_ZERO(&allowed);
    if (process != GetCurrentProcess() || processMask == nullptr || systemMask == nullptr ||
        ::sched_getaffinity(0, sizeof allowed, &allowed) != 0) {
        return FALSE;
    }
    const long configured = ::sysconf(_SC_NPROCESSORS_CONF);
    const int bits = static_cast<int>(sizeof(DWORD_PTR) * 8);
    *processMask = *systemMask = 0;
    for (int cpu = 0; cpu < bits; ++cpu) {
        const DWORD_PTR bit = DWORD_PTR{1} << cpu;
        if (cpu < configured) *systemMask |= bit;
        if (CPU_ISSET(cpu, &allowed)) *processMask |= bit;
    }
    return TRUE;
}

HLOCAL LocalFree(HLOCAL memory)
{
    std::free(memory);
    return nullptr;
}

int WideCharToMultiByte(UINT, DWORD, LPCWSTR text, int length, LPSTR out, int outSize, LPCSTR, BOOL* usedDefaultChar)
{
    if (usedDefaultChar != nullptr) *usedDefaultChar = FALSE;
    const size_t units = length < 0 ? std::char_traits<char16_t>::length(text) + 1 : static_cast<size_t>(length);
    const std::string bytes = utf16ToUtf8(std::u16string_view(text, units));
    if (outSize == 0) return static_cast<int>(bytes.size());
    if (bytes.size() > static_cast<size_t>(outSize)) return 0;
    std::memcpy(out, bytes.data(), bytes.size());
    return static_cast<int>(bytes.size());
}

int MultiByteToWideChar(UINT, DWORD, LPCSTR text, int length, LPWSTR out, int outSize)
{
    const size_t bytes = length < 0 ? std::strlen(text) + 1 : static_cast<size_t>(length);
    const std::u16string units = utf8ToUtf16(std::string_view(text, bytes));
    if (outSize == 0) return static_cast<int>(units.size());
    if (units.size() > static_cast<size_t>(outSize)) return 0;
    std::memcpy(out, units.data(), units.size() * sizeof(WCHAR));
    return static_cast<int>(units.size());
}
