// The C runtime's wide-character open, with Windows text-mode reading.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

#include "platform/Utf.h"
#include "platform/win32.h"

namespace {

// A text-mode stream over a file descriptor: every CR that directly precedes LF is dropped.
struct TextModeFile {
    int fd;
    bool pendingCr;  // the last byte handed out so far was a CR held back
};

ssize_t readTextMode(void* cookie, char* out, size_t size)
{
    auto* file = static_cast<TextModeFile*>(cookie);
    if (size < 2) size = 2;  // callers always ask for more; keeps the logic below simple
    for (;;) {
        size_t filled = 0;
        if (file->pendingCr) out[filled++] = '\r';
        ssize_t got;
        do {
            got = ::read(file->fd, out + filled, size - filled);
        } while (got < 0 && errno == EINTR);
        if (got < 0) return -1;
        if (got == 0) {
            file->pendingCr = false;
            return static_cast<ssize_t>(filled);  // a held CR at the end of the file stays
        }
        const size_t end = filled + static_cast<size_t>(got);
        size_t kept = 0;
        for (size_t i = 0; i < end; ++i) {
            if (out[i] == '\r' && i + 1 < end && out[i + 1] == '\n') continue;
            out[kept++] = out[i];
        }
        // A CR at the very end may pair with an LF of the next read: hold it back.
        file->pendingCr = kept > 0 && out[kept - 1] == '\r';
        if (file->pendingCr) --kept;
        if (kept > 0) return static_cast<ssize_t>(kept);
    }
}

int closeTextMode(void* cookie)
{
    auto* file = static_cast<TextModeFile*>(cookie);
    const int result = ::close(file->fd);
    delete file;
    return result;
}

}  // namespace

FILE* _wfopen(LPCWSTR path, LPCWSTR mode)
{
    const std::u16string_view modeText(mode);
    if (modeText.empty() || modeText[0] != u'r' || modeText.find(u'+') != std::u16string_view::npos) {
        errno = EINVAL;
        return nullptr;
    }
    const std::string name = utf16ToUtf8(path);
    if (modeText.find(u'b') != std::u16string_view::npos) return std::fopen(name.c_str(), "rb");

    const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return nullptr;
    auto* cookie = new TextModeFile{fd, false};
    FILE* stream = fopencookie(cookie, "r", cookie_io_functions_t{readTextMode, nullptr, nullptr, closeTextMode});
    if (stream == nullptr) closeTextMode(cookie);
    return stream;
}
