#include "motion/LineReader.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

LineReader::LineReader(const FileView& view)
    : text(view.data()), end(view.size()), atEnd(true), passedPages(&view, view.data())
{
}

LineReader::LineReader(HANDLE file) : file(file), text(nullptr), passedPages(nullptr, nullptr) {}

LineReader::~LineReader()
{
    std::free(buffer);
}

LineReader::Found LineReader::lineAt(const char* begin, const char* end, bool complete, TextLine& line,
                                     const char*& after)
{
    const size_t available = static_cast<size_t>(end - begin);
    // A line of MAX_LINE_LENGTH with its CR LF is the longest worth looking through for an LF.
    const auto* lf = available == 0 ? nullptr
                                    : static_cast<const char*>(std::memchr(begin, '\n', std::min(available, MAX_LINE_LENGTH + 2)));
    if (lf == nullptr) {
        // Without its LF, a line of more than MAX_LINE_LENGTH + 1 bytes is too long even if its
        // last byte is the CR of a CR LF still to come.
        if (available > (complete ? MAX_LINE_LENGTH : MAX_LINE_LENGTH + 1)) return Found::TOO_LONG;
        if (!complete || available == 0) return Found::NONE;
        line = {begin, end, false, end};
        after = end;
        return Found::LINE;
    }
    line = {begin, lf > begin && lf[-1] == '\r' ? lf - 1 : lf, true, end};
    after = lf + 1;
    return line.length() > MAX_LINE_LENGTH ? Found::TOO_LONG : Found::LINE;
}

bool LineReader::next(TextLine& line)
{
    while (!failed && !tooLong) {
        const char* after;
        const Found found = lineAt(text + begin, text + end, atEnd, line, after);
        if (found == Found::LINE) {
            const size_t next = static_cast<size_t>(after - text);
            consumedBytes += next - begin;
            begin = next;
            last = line;
            passedPages.passed(line.begin);
            return true;
        }
        tooLong = found == Found::TOO_LONG;
        if (tooLong || atEnd || !refill()) return false;
    }
    return false;
}

bool TextLine::holdsCr() const
{
    return begin != end && std::memchr(begin, '\r', length()) != nullptr;
}

bool LineReader::unreadInMemory(const char*& unreadBegin, const char*& unreadEnd) const
{
    if (file != INVALID_HANDLE_VALUE) return false;
    unreadBegin = text + begin;
    unreadEnd = text + end;
    return true;
}

// Keeps the unfinished line at the start of the buffer and reads more after it. The last line
// handed out is overwritten only when an unfinished line follows it, which is then either handed out
// or refused, so a call of next() that finds the end of the input leaves that line as it was.
bool LineReader::refill()
{
    if (begin > 0) {
        std::memmove(buffer, buffer + begin, end - begin);
        end -= begin;
        begin = 0;
    }
    if (end == capacity) {
        // lineAt refuses a line before it outgrows MAX_LINE_LENGTH and its CR LF.
        const size_t grown = capacity == 0 ? INITIAL_CAPACITY : std::min(capacity * 2, MAX_LINE_LENGTH + 2);
        auto* larger = static_cast<char*>(std::realloc(buffer, grown));
        if (larger == nullptr) {
            failed = true;
            return false;
        }
        text = buffer = larger;
        capacity = grown;
    }
    DWORD got = 0;
    if (!ReadFile(file, buffer + end, static_cast<DWORD>(capacity - end), &got, nullptr)) {
        // A pipe whose writer has closed it has ended, as a file does; anything else is a failure.
        if (GetLastError() != ERROR_BROKEN_PIPE) {
            failed = true;
            return false;
        }
        got = 0;
    }
    end += got;
    atEnd = got == 0;
    return true;
}
