// Adds VEXO's folder to the PATH of every user, or removes it, for the installer: NSIS strings hold
// at most 1024 characters in Debian's build, and a PATH is often longer, so the installer cannot
// edit it itself without cutting it short.
//
// Usage: vexo-path add|remove FOLDER
// Exit status: 0 done (or nothing to do), 1 usage, 2 the PATH could not be read or written.

#include <windows.h>
#include <shellapi.h>

#include <string>

#include "PathList.h"

namespace {

constexpr wchar_t ENVIRONMENT_KEY[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr wchar_t PATH_VALUE[] = L"Path";

// The value as stored (REG_EXPAND_SZ keeps its %variables% unexpanded), and its type; an absent value
// reads as empty.
bool readPath(HKEY key, std::wstring& path, DWORD& type)
{
    DWORD bytes = 0;
    LONG status = RegQueryValueExW(key, PATH_VALUE, nullptr, &type, nullptr, &bytes);
    if (status == ERROR_FILE_NOT_FOUND) {
        path.clear();
        type = REG_EXPAND_SZ;
        return true;
    }
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    path.assign(bytes / sizeof(wchar_t) + 1, L'\0');
    status = RegQueryValueExW(key, PATH_VALUE, nullptr, &type, reinterpret_cast<BYTE*>(path.data()), &bytes);
    if (status != ERROR_SUCCESS) return false;
    path.resize(bytes / sizeof(wchar_t));
    while (!path.empty() && path.back() == L'\0') path.pop_back();
    return true;
}

bool writePath(HKEY key, const std::wstring& path, DWORD type)
{
    const DWORD bytes = static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t));
    const auto* data = reinterpret_cast<const BYTE*>(path.c_str());
    return RegSetValueExW(key, PATH_VALUE, 0, type, data, bytes) == ERROR_SUCCESS;
}

}  // namespace

// A desktop program: started by the installer, it shows no console window.
int WINAPI wWinMain(HINSTANCE, HINSTANCE, LPWSTR, int)
{
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr || argc != 3) return 1;
    const std::wstring action = argv[1], folder = argv[2];
    LocalFree(argv);
    if ((action != L"add" && action != L"remove") || folder.empty()) return 1;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, ENVIRONMENT_KEY, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key) != ERROR_SUCCESS) {
        return 2;
    }
    std::wstring path;
    DWORD type = REG_EXPAND_SZ;
    bool done = readPath(key, path, type);
    if (done) {
        const std::wstring edited = action == L"add" ? withFolder(path, folder) : withoutFolder(path, folder);
        if (edited != path) done = writePath(key, edited, type);
    }
    RegCloseKey(key);
    return done ? 0 : 2;
}
