#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

// The element type of an array as NumPy writes it in an NPY header, and its size in bytes.
struct NpyType {
    std::string descr;
    size_t itemBytes;

    static NpyType float32() { return {"<f4", 4}; }
    static NpyType int32() { return {"<i4", 4}; }
    static NpyType boolean() { return {"|b1", 1}; }
    // Fixed-width text of that many code points each (UTF-32 little-endian, shorter ones padded with
    // zeros): NumPy's "<U" type, which loads without pickling.
    static NpyType text(size_t codePoints) { return {"<U" + std::to_string(codePoints), 4 * codePoints}; }
};

// A NumPy .npz archive written one array at a time, as numpy.load(path, allow_pickle=False) reads
// it: each array is an entry NAME.npy holding an NPY 1.0 file (little-endian, C order) in a zip made
// by minizip. Entries are stored, so that loading one is a copy, or deflated; an entry of 4 GiB or
// more gets the ZIP64 fields it needs. Nothing varies from run to run: every entry is dated
// 1980-01-01 00:00, as NumPy dates its own, so the same arrays always give the same bytes.
//
//     NpzWriter npz(stream, NpzWriter::Compression::Stored);
//     npz.beginArray("positions", NpyType::float32(), {frames, joints, 3});
//     npz.write(values, bytes);           // the array's bytes exactly, whole or in pieces
//     npz.endArray();
//     ...
//     if (!npz.finish()) report(npz.failure());
class NpzWriter {
public:
    enum class Compression { Stored, Deflated };

    // stream: a file opened for writing bytes, at its start, which can seek (the zip library goes
    // back to an entry's header once its data are written). It stays the caller's to close, once
    // the writer is gone.
    NpzWriter(FILE* stream, Compression compression);
    ~NpzWriter();  // an archive not finished is closed as it is, for its caller to throw away
    NpzWriter(const NpzWriter&) = delete;
    NpzWriter& operator=(const NpzWriter&) = delete;

    // Starts the entry of an array of that type and shape (an empty shape: one value, 0-dimensional).
    bool beginArray(const std::string& name, const NpyType& type, const std::vector<std::uint64_t>& shape);
    // The next bytes of the array begun; all of them must come before endArray().
    bool write(const void* bytes, size_t count);
    bool endArray();

    // An array whose bytes are all at hand.
    bool writeArray(const std::string& name, const NpyType& type, const std::vector<std::uint64_t>& shape,
                    const void* bytes);
    // A 1-dimensional array of texts given in UTF-8, as wide as the longest. A byte that is not part
    // of valid UTF-8 becomes the code point U+DC80..U+DCFF (as Python's "surrogateescape" decodes it),
    // so every name survives.
    bool writeTexts(const std::string& name, const std::vector<std::string>& texts);

    // Writes the zip's directory; false when anything failed since the start.
    bool finish();
    // Why it failed, for a message: "the disk is full" and the like.
    const std::string& failure() const { return reason; }

private:
    bool fail(const std::string& why);
    bool put(const void* bytes, size_t count);  // to the entry begun, unchecked

    void* zip;                      // minizip's zipFile
    FILE* stream;
    Compression compression;
    std::uint64_t remaining = 0;    // bytes the array begun still expects
    bool inArray = false;
    std::string reason;
};

// The code points of a UTF-8 text, each undecodable byte b as U+DC00 + b.
std::u32string decodeUtf8Escaped(const std::string& text);
