// The open dialog on FLTK's native file chooser (FLTK's own chooser where the desktop offers
// none), modal, with the filters of lpstrFilter and starting in lpstrInitialDir.

#include <FL/Fl_Native_File_Chooser.H>

#include <string>
#include <sys/stat.h>

#include "platform/linux/FltkBackend.h"
#include "platform/linux/Utf.h"

namespace {

// "Name\0*.a;*.b\0...\0\0" becomes FLTK's "Name\t*.{a,b}\n...".
std::string fltkFilter(LPCWSTR filter)
{
    std::string result;
    while (filter != nullptr && *filter != 0) {
        const std::u16string name = filter;
        filter += name.size() + 1;
        const std::u16string patterns = filter;
        filter += patterns.size() + 1;
        std::string pattern = utf16ToUtf8(patterns);
        if (pattern.find(';') != std::string::npos) {
            // "*.a;*.b" -> "*.{a,b}" when every pattern is "*.ext"; else FLTK's alternation of all.
            std::string extensions;
            bool simple = true;
            size_t start = 0;
            while (start <= pattern.size()) {
                const size_t end = std::min(pattern.find(';', start), pattern.size());
                const std::string one = pattern.substr(start, end - start);
                simple = simple && one.rfind("*.", 0) == 0;
                extensions += (extensions.empty() ? "" : ",") + (one.size() > 2 ? one.substr(2) : one);
                start = end + 1;
            }
            pattern = simple ? "*.{" + extensions + "}" : "{" + pattern + "}";
        }
        if (!result.empty()) result += '\n';
        result += utf16ToUtf8(name) + '\t' + pattern;
    }
    return result;
}

bool isRegularFile(const char* path)
{
    struct stat status;
    return ::stat(path, &status) == 0 && S_ISREG(status.st_mode);
}

}  // namespace

BOOL GetOpenFileNameW(OPENFILENAMEW* dialog)
{
    if (dialog == nullptr || dialog->lpstrFile == nullptr || dialog->nMaxFile == 0 || !openDisplay()) return FALSE;
    Fl_Native_File_Chooser chooser(Fl_Native_File_Chooser::BROWSE_FILE);
    chooser.title(dialog->lpstrTitle != nullptr ? utf16ToUtf8(dialog->lpstrTitle).c_str() : "Open");
    const std::string filter = fltkFilter(dialog->lpstrFilter);
    if (!filter.empty()) chooser.filter(filter.c_str());
    if (dialog->nFilterIndex > 0) chooser.filter_value(static_cast<int>(dialog->nFilterIndex) - 1);
    if (dialog->lpstrInitialDir != nullptr) chooser.directory(utf16ToUtf8(dialog->lpstrInitialDir).c_str());
    if (chooser.show() != 0 || chooser.filename() == nullptr) return FALSE;  // cancelled, or failed
    if ((dialog->Flags & OFN_FILEMUSTEXIST) && !isRegularFile(chooser.filename())) return FALSE;

    const std::u16string path = utf8ToUtf16(chooser.filename());
    if (path.size() + 1 > dialog->nMaxFile) return FALSE;  // does not fit
    path.copy(dialog->lpstrFile, path.size());
    dialog->lpstrFile[path.size()] = 0;
    const size_t slash = path.rfind(u'/');
    dialog->nFileOffset = static_cast<WORD>(slash == std::u16string::npos ? 0 : slash + 1);
    const size_t dot = path.rfind(u'.');
    dialog->nFileExtension = static_cast<WORD>(dot != std::u16string::npos && dot > dialog->nFileOffset ? dot + 1 : 0);
    return TRUE;
}
