// Files dropped on a window: the drop handle of WM_DROPFILES, and the text/uri-list of an XDND
// drop turned into file names.

#include "platform/linux/Drop.h"

#include <algorithm>

#include "platform/linux/Utf.h"

namespace {

int hexValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "%xx" becomes the byte xx; a '%' not followed by two hexadecimal digits stays as it is.
std::string percentDecoded(std::string_view text)
{
    std::string bytes;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
            bytes += static_cast<char>(hexValue(text[i + 1]) * 16 + hexValue(text[i + 2]));
            i += 2;
        } else {
            bytes += text[i];
        }
    }
    return bytes;
}

// The path of a file URI ("file:///p", "file://localhost/p", "file:/p"), empty for anything else.
std::string pathOfFileUri(std::string_view uri)
{
    if (uri.starts_with('/')) return std::string(uri);
    if (!uri.starts_with("file:")) return {};
    uri.remove_prefix(5);
    if (uri.starts_with("//")) {
        uri.remove_prefix(2);
        const size_t slash = uri.find('/');
        if (slash == std::string_view::npos) return {};
        const std::string_view host = uri.substr(0, slash);
        if (!host.empty() && host != "localhost") return {};
        uri.remove_prefix(slash);
    }
    return uri.starts_with('/') ? percentDecoded(uri) : std::string();
}

}  // namespace

std::vector<std::string> filePathsOfUriList(std::string_view uriList)
{
    std::vector<std::string> paths;
    while (!uriList.empty()) {
        const size_t end = std::min(uriList.find('\n'), uriList.size());
        std::string_view line = uriList.substr(0, end);
        uriList.remove_prefix(std::min(end + 1, uriList.size()));
        if (line.ends_with('\r')) line.remove_suffix(1);
        if (line.empty() || line.starts_with('#')) continue;
        std::string path = pathOfFileUri(line);
        if (!path.empty()) paths.push_back(std::move(path));
    }
    return paths;
}

HDROP makeDrop(const std::vector<std::string>& paths)
{
    if (paths.empty()) return nullptr;
    auto* drop = new HDROP__;
    for (const std::string& path : paths) drop->files.push_back(utf8ToUtf16(path));
    return drop;
}

UINT DragQueryFileW(HDROP drop, UINT index, LPWSTR file, UINT size)
{
    if (drop == nullptr) return 0;
    if (index == 0xFFFFFFFF) return static_cast<UINT>(drop->files.size());
    if (index >= drop->files.size()) return 0;
    const std::u16string& path = drop->files[index];
    if (file == nullptr) return static_cast<UINT>(path.size());  // the size needed, without the terminator
    if (size == 0) return 0;
    const UINT copied = std::min(static_cast<UINT>(path.size()), size - 1);
    path.copy(file, copied);
    file[copied] = 0;
    return copied;
}

void DragFinish(HDROP drop)
{
    delete drop;
}
