#include "motion/LineReader.h"

#include <cstdlib>
#include <cstring>

LineReader::LineReader(std::FILE* file) : file(file) {}

LineReader::~LineReader()
{
    std::free(buffer);
}

char* LineReader::next()
{
    if (buffer != nullptr) buffer[savedAt] = savedByte;
    for (;;) {
        if (scanned < end) {
            auto* lf = static_cast<char*>(std::memchr(buffer + scanned, '\n', end - scanned));
            if (lf != nullptr) {
                char* line = buffer + begin;
                char* stop = lf + 1;  // where the terminator goes
                if (lf > line && lf[-1] == '\r') {  // CR LF reads as LF, as from a text-mode stream
                    lf[-1] = '\n';
                    stop = lf;
                }
                savedAt = static_cast<size_t>(stop - buffer);
                savedByte = *stop;
                *stop = '\0';
                const size_t next = static_cast<size_t>(lf + 1 - buffer);
                consumedBytes += next - begin;
                begin = scanned = next;
                return line;
            }
            scanned = end;
        }
        if (atEnd) {
            if (begin == end) return nullptr;
            char* line = buffer + begin;  // a last line without LF
            savedAt = end;
            savedByte = buffer[end];
            buffer[end] = '\0';
            consumedBytes += end - begin;
            begin = scanned = end;
            return line;
        }
        if (!refill()) return nullptr;
    }
}

bool LineReader::refill()
{
    if (begin > 0) {  // keep only the unfinished line, at the start
        std::memmove(buffer, buffer + begin, end - begin);
        end -= begin;
        scanned -= begin;
        begin = 0;
    }
    if (end == capacity) {
        const size_t grown = capacity == 0 ? INITIAL_CAPACITY : capacity * 2;
        auto* larger = static_cast<char*>(std::realloc(buffer, grown + 1));
        if (larger == nullptr) {
            failed = true;
            return false;
        }
        buffer = larger;
        capacity = grown;
    }
    const size_t got = std::fread(buffer + end, 1, capacity - end, file);
    end += got;
    if (got == 0) {
        atEnd = true;
        failed = std::ferror(file) != 0;
    }
    savedAt = end;  // nothing was overwritten in the new data
    savedByte = buffer[end];
    return !failed;
}
