// The open dialog on FLTK's native file chooser (FLTK's own chooser where the desktop offers
// none), modal, with the filters of lpstrFilter, starting where OpenDialogFolder says.

#include <FL/Fl_Native_File_Chooser.H>

#include <algorithm>
#include <optional>
#include <string>
#include <sys/stat.h>

#include "platform/linux/FileChooser.h"
#include "platform/linux/FltkBackend.h"
#include "platform/linux/OpenDialogFolder.h"
#include "platform/linux/Utf.h"

namespace {

// "*.a;*.b" -> "*.{a,b}" when every pattern is "*.ext"; else FLTK's alternation of all.
std::string fltkPattern(const std::string& patterns)
{
    if (patterns.find(';') == std::string::npos) return patterns;
    std::string extensions;
    bool simple = true;
    size_t start = 0;
    while (start <= patterns.size()) {
        const size_t end = std::min(patterns.find(';', start), patterns.size());
        const std::string one = patterns.substr(start, end - start);
        simple = simple && one.rfind("*.", 0) == 0;
        extensions += (extensions.empty() ? "" : ",") + (one.size() > 2 ? one.substr(2) : one);
        start = end + 1;
    }
    return simple ? "*.{" + extensions + "}" : "{" + patterns + "}";
}

// One folder for the process, as Windows keeps one per program.
OpenDialogFolder openDialogFolder;

bool isRegularFile(const char* path)
{
    struct stat status;
    return ::stat(path, &status) == 0 && S_ISREG(status.st_mode);
}

}  // namespace

std::string fltkFilter(LPCWSTR filter)
{
    std::string result;
    while (filter != nullptr && *filter != 0) {
        const std::u16string name = filter;
        filter += name.size() + 1;
        const std::u16string patterns = filter;
        filter += patterns.size() + 1;
        std::string shown = utf16ToUtf8(name);
        const std::string pattern = utf16ToUtf8(patterns);
        const std::string suffix = "(" + pattern + ")";
        if (shown.size() > suffix.size() && shown.ends_with(suffix)) shown.resize(shown.size() - suffix.size());
        if (!result.empty()) result += '\n';
        result += shown + '\t' + fltkPattern(pattern);
    }
    return result;
}

BOOL GetOpenFileNameW(OPENFILENAMEW* dialog)
{
    if (dialog == nullptr || dialog->lpstrFile == nullptr || dialog->nMaxFile == 0 || !openDisplay()) return FALSE;
    Fl_Native_File_Chooser chooser(Fl_Native_File_Chooser::BROWSE_FILE);
    chooser.title(dialog->lpstrTitle != nullptr ? utf16ToUtf8(dialog->lpstrTitle).c_str() : "Open");
    const std::string filter = fltkFilter(dialog->lpstrFilter);
    if (!filter.empty()) chooser.filter(filter.c_str());
    if (dialog->nFilterIndex > 0) chooser.filter_value(static_cast<int>(dialog->nFilterIndex) - 1);
    const std::optional<std::u16string> folder = openDialogFolder.start(dialog->lpstrInitialDir);
    if (folder) chooser.directory(utf16ToUtf8(*folder).c_str());
    if (chooser.show() != 0 || chooser.filename() == nullptr) return FALSE;  // cancelled, or failed
    if ((dialog->Flags & OFN_FILEMUSTEXIST) && !isRegularFile(chooser.filename())) return FALSE;

    const std::u16string path = utf8ToUtf16(chooser.filename());
    if (path.size() + 1 > dialog->nMaxFile) return FALSE;  // does not fit
    path.copy(dialog->lpstrFile, path.size());
    dialog->lpstrFile[path.size()] = 0;
    openDialogFolder.chosen(path);
    const size_t slash = path.rfind(u'/');
    dialog->nFileOffset = static_cast<WORD>(slash == std::u16string::npos ? 0 : slash + 1);
    const size_t dot = path.rfind(u'.');
    dialog->nFileExtension = static_cast<WORD>(dot != std::u16string::npos && dot > dialog->nFileOffset ? dot + 1 : 0);
    return TRUE;
}
