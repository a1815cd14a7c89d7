#include "platform/linux/OpenDialogFolder.h"

namespace {

std::optional<std::u16string> optionalText(LPCWSTR text)
{
    if (text == nullptr) return std::nullopt;
    return std::u16string(text);
}

}  // namespace

std::optional<std::u16string> OpenDialogFolder::start(LPCWSTR initialDir)
{
    const std::optional<std::u16string> given = optionalText(initialDir);
    if (!opened) {
        opened = true;
        firstInitialDir = given;
    }
    if (!lastFolder.empty() && given == firstInitialDir) return lastFolder;
    return given;
}

void OpenDialogFolder::chosen(const std::u16string& path)
{
    const size_t slash = path.rfind(u'/');
    if (slash != std::u16string::npos) lastFolder = path.substr(0, slash == 0 ? 1 : slash);
}
