// The .npz writer's own promises; that NumPy loads what it writes is tested with NumPy itself
// (tests/commands/export_test.py).

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

#include "TempFile.h"
#include "formats/NpzWriter.h"

namespace {

// An archive of a few small arrays, written to a fresh file; its bytes.
std::string smallArchive(NpzWriter::Compression compression)
{
    TempFile file("", ".npz");
    FILE* stream = _wfopen(file.path(), TEXT("wb"));
    const float values[6] = {1, 2, 3, 4, 5, 6};
    const float scalar = 0.5f;
    {
        NpzWriter npz(stream, compression);
        EXPECT_TRUE(npz.beginArray("values", NpyType::float32(), {2, 3}));
        EXPECT_TRUE(npz.write(values, 8) && npz.write(values + 2, 16));
        EXPECT_TRUE(npz.endArray());
        EXPECT_TRUE(npz.writeArray("scalar", NpyType::float32(), {}, &scalar));
        EXPECT_TRUE(npz.writeTexts("names", {"a", "bcd"}));
        EXPECT_TRUE(npz.finish()) << npz.failure();
    }
    std::fclose(stream);
    std::ifstream in(file.fsPath(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(NpzWriter, TheSameArraysGiveTheSameBytesWithNumPysHeadersAndDate)
{
    for (const auto compression : {NpzWriter::Compression::Stored, NpzWriter::Compression::Deflated}) {
        const std::string bytes = smallArchive(compression);
        EXPECT_EQ(bytes, smallArchive(compression)) << "nothing varies from run to run";
        EXPECT_EQ(bytes.substr(10, 4), std::string("\0\0\x21\0", 4)) << "dated 1980-01-01 00:00";
    }
    const std::string stored = smallArchive(NpzWriter::Compression::Stored);
    const std::string header = "{'descr': '<f4', 'fortran_order': False, 'shape': (2, 3), }";
    const size_t at = stored.find(header);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(stored.substr(at - 10, 8), std::string("\x93NUMPY\x01\x00", 8));
    EXPECT_EQ(stored[at + 117], '\n') << "padded so that the data start 128 bytes in";
    EXPECT_NE(stored.find("'shape': (), }"), std::string::npos);
    EXPECT_NE(stored.find("{'descr': '<U3', 'fortran_order': False, 'shape': (2,), }"), std::string::npos);
    EXPECT_NE(stored.find(std::string("a\0\0\0\0\0\0\0\0\0\0\0b\0\0\0c\0\0\0d\0\0\0", 24)), std::string::npos);
}

TEST(NpzWriter, ArraysMustGetTheirBytesExactlyAndAFailedWriteIsReported)
{
    const float values[4] = {};
    TempFile file("", ".npz");
    FILE* stream = _wfopen(file.path(), TEXT("wb"));
    {
        NpzWriter npz(stream, NpzWriter::Compression::Stored);
        EXPECT_TRUE(npz.beginArray("short", NpyType::float32(), {4}));
        EXPECT_TRUE(npz.write(values, 12));
        EXPECT_FALSE(npz.endArray());
        EXPECT_FALSE(npz.finish());
        EXPECT_EQ(npz.failure(), "fewer bytes than the array holds");
    }
    std::fclose(stream);

    TempFile readOnly("", ".npz");  // a stream every write to fails, as on a full disk
    FILE* unwritable = _wfopen(readOnly.path(), TEXT("rb"));
    {
        NpzWriter refused(unwritable, NpzWriter::Compression::Stored);
        EXPECT_FALSE(refused.writeArray("values", NpyType::float32(), {4}, values) && refused.finish());
        EXPECT_FALSE(refused.failure().empty());
    }
    std::fclose(unwritable);
}

TEST(NpzWriter, TextsDecodeAsUtf8WithEachUndecodableByteEscaped)
{
    const struct {
        const char* utf8;
        std::u32string codePoints;
    } cases[] = {
        {"Hips", U"Hips"},
        {"H\xc3\xbc" "fte", U"H\u00fcfte"},
        {"\xe8\x85\xb0\xf0\x9f\xa6\xb4", U"\u8170\U0001F9B4"},
        {"a\xff" "b", U"a\xdcff" "b"},
        {"\xc0\xaf", U"\xdcc0\xdcaf"},              // an overlong "/"
        {"\xed\xa0\x80", U"\xdced\xdca0\xdc80"},    // an encoded surrogate
        {"\xf4\x90\x80\x80", U"\xdcf4\xdc90\xdc80\xdc80"},  // beyond U+10FFFF
        {"\xe2\x82", U"\xdce2\xdc82"},              // cut short
    };
    for (const auto& c : cases) EXPECT_EQ(decodeUtf8Escaped(c.utf8), c.codePoints) << c.utf8;
}
