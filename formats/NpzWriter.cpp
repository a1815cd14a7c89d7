#include "formats/NpzWriter.h"

#include <minizip/zip.h>

#include <algorithm>
#include <bit>
#include <cerrno>
#include <cstring>
#include <functional>
#include <numeric>
#include <utility>

#include "platform/win32.h"

static_assert(std::endian::native == std::endian::little, "arrays are written as they lie in memory: '<' types");

namespace {

// NPY 1.0: the magic, the version, the header's length; data then start at a multiple of 64 bytes.
constexpr char NPY_MAGIC[] = "\x93NUMPY\x01\x00";
constexpr size_t NPY_PREFIX_BYTES = 10;
constexpr size_t NPY_ALIGNMENT = 64;

// An entry whose size is near 4 GiB gets ZIP64 sizes. Its size is known before it is written but,
// deflated, not what it becomes: deflating adds at most a few bytes per 16 KiB, far within this.
constexpr std::uint64_t ZIP64_THRESHOLD = 0xF0000000;

// How much one call hands the zip library at most: its lengths are unsigned ints.
constexpr size_t WRITE_PIECE = size_t{1} << 30;

// "{'descr': '<f4', 'fortran_order': False, 'shape': (2, 3), }", padded with spaces and ended by a
// line end so that the data are aligned: the header numpy.save writes.
std::string npyHeader(const NpyType& type, const std::vector<std::uint64_t>& shape)
{
    std::string dims;
    for (size_t i = 0; i < shape.size(); ++i) dims += (i > 0 ? ", " : "") + std::to_string(shape[i]);
    if (shape.size() == 1) dims += ",";
    std::string text = "{'descr': '" + type.descr + "', 'fortran_order': False, 'shape': (" + dims + "), }";
    const size_t unpadded = NPY_PREFIX_BYTES + text.size() + 1;
    text.append((NPY_ALIGNMENT - unpadded % NPY_ALIGNMENT) % NPY_ALIGNMENT, ' ');
    text += '\n';
    std::string header(NPY_MAGIC, NPY_PREFIX_BYTES - 2);
    header += char(text.size() & 0xFF);
    header += char(text.size() >> 8);
    return header + text;
}

// The zip library's file calls on a stream the caller opened and will close.
voidpf ZCALLBACK openStream(voidpf, const void* stream, int)
{
    return const_cast<void*>(stream);
}

uLong ZCALLBACK readStream(voidpf, voidpf, void*, uLong)
{
    return 0;  // an archive being made is never read back
}

uLong ZCALLBACK writeStream(voidpf, voidpf stream, const void* bytes, uLong count)
{
    return uLong(std::fwrite(bytes, 1, count, static_cast<FILE*>(stream)));
}

ZPOS64_T ZCALLBACK tellStream(voidpf, voidpf stream)
{
    return ZPOS64_T(_ftelli64(static_cast<FILE*>(stream)));
}

long ZCALLBACK seekStream(voidpf, voidpf stream, ZPOS64_T offset, int origin)
{
    const int whence = origin == ZLIB_FILEFUNC_SEEK_CUR ? SEEK_CUR : origin == ZLIB_FILEFUNC_SEEK_END ? SEEK_END : SEEK_SET;
    return _fseeki64(static_cast<FILE*>(stream), static_cast<long long>(offset), whence) == 0 ? 0 : -1;
}

int ZCALLBACK closeStream(voidpf, voidpf)
{
    return 0;
}

int ZCALLBACK streamError(voidpf, voidpf stream)
{
    return std::ferror(static_cast<FILE*>(stream));
}

// The length of the UTF-8 sequence that starts text[i] if it is valid (shortest form, no surrogate,
// at most U+10FFFF), else 0; its code point in codePoint.
size_t utf8Sequence(const std::string& text, size_t i, char32_t& codePoint)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    const size_t length = lead < 0xC2 ? 0 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : lead < 0xF5 ? 4 : 0;
    if (length == 0 || i + length > text.size()) return 0;
    codePoint = lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        codePoint = codePoint << 6 | (byte(i + k) & 0x3F);
    }
    constexpr char32_t SHORTEST[] = {0, 0, 0x80, 0x800, 0x10000};
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    return codePoint >= SHORTEST[length] && codePoint <= 0x10FFFF && !surrogate ? length : 0;
}

}  // namespace

std::u32string decodeUtf8Escaped(const std::string& text)
{
    std::u32string decoded;
    for (size_t i = 0; i < text.size();) {
        const unsigned char byte = static_cast<unsigned char>(text[i]);
        char32_t codePoint = byte;
        const size_t length = byte < 0x80 ? 1 : utf8Sequence(text, i, codePoint);
        decoded += length > 0 ? codePoint : char32_t(0xDC00 + byte);
        i += std::max<size_t>(length, 1);
    }
    return decoded;
}

NpzWriter::NpzWriter(FILE* stream, Compression compression) : stream(stream), compression(compression)
{
    zlib_filefunc64_def calls{};
    calls.zopen64_file = openStream;
    calls.zread_file = readStream;
    calls.zwrite_file = writeStream;
    calls.ztell64_file = tellStream;
    calls.zseek64_file = seekStream;
    calls.zclose_file = closeStream;
    calls.zerror_file = streamError;
    zip = zipOpen2_64(stream, APPEND_STATUS_CREATE, nullptr, &calls);
    if (zip == nullptr) fail("the archive cannot be started");
}

NpzWriter::~NpzWriter()
{
    if (zip != nullptr) zipClose(zip, nullptr);  // an archive abandoned: its bytes are the caller's to drop
}

bool NpzWriter::fail(const std::string& why)
{
    if (reason.empty()) reason = why;
    return false;
}

bool NpzWriter::beginArray(const std::string& name, const NpyType& type, const std::vector<std::uint64_t>& shape)
{
    if (zip == nullptr || !reason.empty()) return false;
    const std::string header = npyHeader(type, shape);
    remaining = std::accumulate(shape.begin(), shape.end(), std::uint64_t{type.itemBytes}, std::multiplies<>());
    zip_fileinfo dated{};
    dated.tmz_date.tm_mday = 1;  // 1980-01-01 00:00:00, the first day a zip can hold
    dated.tmz_date.tm_year = 1980;
    const bool deflated = compression == Compression::Deflated;
    const int zip64 = header.size() + remaining >= ZIP64_THRESHOLD ? 1 : 0;
    const std::string entry = name + ".npy";
    if (zipOpenNewFileInZip3_64(zip, entry.c_str(), &dated, nullptr, 0, nullptr, 0, nullptr, deflated ? Z_DEFLATED : 0,
                                deflated ? Z_DEFAULT_COMPRESSION : 0, 0, -MAX_WBITS, DEF_MEM_LEVEL, Z_DEFAULT_STRATEGY,
                                nullptr, 0, zip64) != ZIP_OK) {
        return fail(std::ferror(stream) != 0 ? std::strerror(errno) : "the archive's entry " + entry + " cannot be begun");
    }
    inArray = true;
    return put(header.data(), header.size());
}

bool NpzWriter::write(const void* bytes, size_t count)
{
    if (!inArray || count > remaining) return fail("more bytes than the array holds");
    remaining -= count;
    return put(bytes, count);
}

bool NpzWriter::put(const void* bytes, size_t count)
{
    const char* piece = static_cast<const char*>(bytes);
    for (size_t left = count; left > 0;) {
        const size_t size = std::min(left, WRITE_PIECE);
        errno = 0;
        if (zipWriteInFileInZip(zip, piece, unsigned(size)) != ZIP_OK) {
            return fail(errno != 0 ? std::strerror(errno) : "the data cannot be compressed");
        }
        piece += size;
        left -= size;
    }
    return true;
}

bool NpzWriter::endArray()
{
    if (!inArray || remaining != 0) return fail("fewer bytes than the array holds");
    inArray = false;
    errno = 0;
    if (zipCloseFileInZip(zip) != ZIP_OK) return fail(errno != 0 ? std::strerror(errno) : "the entry cannot be closed");
    return reason.empty();
}

bool NpzWriter::writeArray(const std::string& name, const NpyType& type, const std::vector<std::uint64_t>& shape,
                           const void* bytes)
{
    if (!beginArray(name, type, shape)) return false;
    const std::uint64_t size = remaining;
    return write(bytes, size_t(size)) && endArray();
}

bool NpzWriter::writeTexts(const std::string& name, const std::vector<std::string>& texts)
{
    std::vector<std::u32string> decoded;
    size_t width = 1;  // "<U0" is no type NumPy reads back as text
    for (const std::string& text : texts) {
        decoded.push_back(decodeUtf8Escaped(text));
        width = std::max(width, decoded.back().size());
    }
    std::u32string codePoints;
    for (std::u32string& text : decoded) {
        text.resize(width, U'\0');
        codePoints += text;
    }
    return writeArray(name, NpyType::text(width), {texts.size()}, codePoints.data());
}

bool NpzWriter::finish()
{
    if (zip == nullptr) return false;
    if (inArray) fail("an array was left unfinished");
    errno = 0;
    const int closed = zipClose(std::exchange(zip, nullptr), nullptr);
    if (closed != ZIP_OK) fail(errno != 0 ? std::strerror(errno) : "the archive's directory cannot be written");
    return reason.empty();
}
