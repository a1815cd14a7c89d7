// The same file gives the same skeleton, values and refusal however it is read: mapped and converted
// on one thread or on several, or streamed from a pipe. And an endless line from a stream is refused
// within a bounded amount of memory instead of being read forever.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <string>

#include "FedPipe.h"
#include "LoadBvh.h"
#include "motion/FrameLines.h"

namespace {

namespace fs = std::filesystem;

void describeJoint(const Joint* joint, std::ostringstream& out)
{
    out << joint->keyword << ' ' << joint->name;
    for (float value : joint->offset) out << ' ' << std::hexfloat << value;
    out << " [" << joint->channelCount << (joint->channels == nullptr ? " none" : "");
    for (int i = 0; i < joint->channelCount; ++i) out << ' ' << joint->channels[i].name << '=' << joint->channels[i].kind;
    out << "] {";
    for (const Joint* child = joint->firstChild; child != nullptr; child = child->nextSibling) describeJoint(child, out);
    out << "}";
}

// Everything a read gives: the tree, the numbers and every value's bits, or where and why it refused.
std::string describe(const LoadResult& r)
{
    std::ostringstream out;
    if (!r.ok()) {
        out << "refused at " << r.line << ": " << r.reason;
        return out.str();
    }
    const Skeleton& s = *r.skeleton;
    describeJoint(s.root, out);
    out << "\nframes " << s.frameCount << " time " << std::hexfloat << s.frameTime << " channels " << s.channelsPerFrame << '\n';
    const size_t count = size_t(s.frameCount) * size_t(s.channelsPerFrame);
    out.write(reinterpret_cast<const char*>(s.values), std::streamsize(count * sizeof(float)));
    return out.str();
}

LoadResult loadWithThreads(LPCWSTR path, int threads, size_t shareBytes = FrameLines::SHARE_BYTES)
{
    LoadResult result;
    result.skeleton.reset(static_cast<Skeleton*>(std::calloc(1, sizeof(Skeleton))));
    BvhReader reader;
    reader.limitThreads(threads);
    reader.limitShareBytes(shareBytes);
    reader.read(path, *result.skeleton);
    result.line = reader.refusedLine();
    result.reason = reader.refusalReason();
    return result;
}

// Reads the text on one thread, on several, and from a pipe; all must agree. Returns the description.
std::string expectSameEveryWay(const std::string& text, const std::string& what)
{
    SCOPED_TRACE(what);
    const TempFile file(text);
    const std::string serial = describe(loadWithThreads(file.path(), 1));
    for (int threads : {2, 3, 7}) {
        EXPECT_TRUE(describe(loadWithThreads(file.path(), threads)) == serial) << threads << " threads";
    }
    // Small shares: many cuts, lines across them, and (a byte each) more threads than lines.
    for (const size_t shareBytes : {1, 61, 4096}) {
        if (text.size() / shareBytes > 100000) continue;
        EXPECT_TRUE(describe(loadWithThreads(file.path(), 7, shareBytes)) == serial) << "shares of " << shareBytes;
    }
    const FedPipe pipe(text);
    EXPECT_TRUE(describe(loadWithThreads(pipe.name(), 7)) == serial) << "from a pipe";
    return serial;
}

std::string readFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The file with its frame lines repeated until they take at least `bytes`, the count adjusted.
std::string withFramesRepeated(const std::string& text, size_t bytes)
{
    const size_t framesLine = text.find("Frames:");
    const size_t timeLine = text.find('\n', framesLine) + 1;
    const size_t firstFrame = text.find('\n', timeLine) + 1;
    const std::string frames = text.substr(firstFrame);
    const long count = std::stol(text.substr(framesLine + 7));
    std::string all;
    long total = 0;
    while (all.size() < bytes) {
        all += frames;
        if (!frames.empty() && frames.back() != '\n') all += "\r\n";
        total += count;
    }
    return text.substr(0, framesLine) + "Frames: " + std::to_string(total) + "\r\n" +
           text.substr(timeLine, firstFrame - timeLine) + all;
}

// A root with `channels` channels and `frames` frame lines, each value different.
std::string motion(int channels, int frames)
{
    std::string text = "HIERARCHY\nROOT r\n{\nOFFSET 0 0 0\nCHANNELS " + std::to_string(channels);
    for (int k = 0; k < channels; ++k) text += k % 2 ? " Xrotation" : " Yposition";
    text += "\nEnd Site\n{\nOFFSET 0 1 0\n}\n}\nMOTION\nFrames: " + std::to_string(frames) + "\nFrame Time: 0.01\n";
    for (int f = 0; f < frames; ++f) {
        for (int k = 0; k < channels; ++k) text += std::to_string(f % 1000) + "." + std::to_string(k * 37 % 1000000) + (k + 1 < channels ? " " : "\r\n");
    }
    return text;
}

constexpr size_t SHARE = FrameLines::SHARE_BYTES;

}  // namespace

TEST(BvhReaderSources, EveryCorpusFileReadsTheSameEveryWay)
{
    const fs::path corpus = VEXO_CORPUS_DIR;
    if (!fs::exists(corpus / "SOURCES.md")) GTEST_SKIP() << "no corpus at " << corpus;
    int files = 0;
    for (const fs::directory_entry& entry : fs::directory_iterator(corpus)) {
        if (entry.path().extension() != ".bvh") continue;
        const std::string text = readFile(entry.path());
        // Large enough for several threads, then as it is (a few are small enough for one).
        const std::string large = expectSameEveryWay(withFramesRepeated(text, 5 * SHARE), entry.path().filename().string());
        EXPECT_EQ(large.rfind("refused", 0), std::string::npos) << entry.path() << ": " << large.substr(0, 200);
        expectSameEveryWay(text, entry.path().filename().string() + " as it is");
        ++files;
    }
    EXPECT_GE(files, 15);
}

TEST(BvhReaderSources, EveryMalformedFileIsRefusedTheSameEveryWay)
{
    for (const fs::directory_entry& entry : fs::directory_iterator(VEXO_MALFORMED_DIR)) {
        if (entry.path().extension() != ".bvh") continue;
        const std::string result = expectSameEveryWay(readFile(entry.path()), entry.path().filename().string());
        EXPECT_EQ(result.rfind("refused", 0), 0u) << entry.path();
    }
}

// Frame text on either side of the size from which a second thread is worth it, and the ways frame
// lines can end a read early, fail it, or be left unread.
TEST(BvhReaderSources, MotionsAroundTheThreadThresholdReadTheSameEveryWay)
{
    const int channels = 60;  // about 600 bytes a line
    const int perShare = int(SHARE / 600);
    for (const int frames : {perShare * 2 - 200, perShare * 2 + 200, perShare * 9 + 1}) {
        const std::string text = motion(channels, frames);
        const std::string what = std::to_string(frames) + " frames";
        const std::string whole = expectSameEveryWay(text, what);
        EXPECT_EQ(whole.rfind("refused", 0), std::string::npos) << whole.substr(0, 200);

        const std::string short1 = text.substr(0, text.rfind('\n', text.size() - 2) + 1);
        EXPECT_EQ(expectSameEveryWay(short1, what + ", the last missing"),
                  "refused at " + std::to_string(std::count(short1.begin(), short1.end(), '\n') + 1) +
                      ": file ends before frame " + std::to_string(frames) + " of " + std::to_string(frames));
        expectSameEveryWay(text + "trailing\nlines\n\n", what + ", lines after the last frame");
        expectSameEveryWay(text.substr(0, text.size() - 2), what + ", the last line without its line end");

        // Lines ending in CR alone from the middle on read as one line: the file ends early.
        std::string crOnly = text;
        for (size_t i = crOnly.find("\r\n", text.size() / 2); i != std::string::npos; i = crOnly.find("\r\n", i)) crOnly.erase(i + 1, 1);
        const std::string refused = expectSameEveryWay(crOnly, what + ", CR line ends");
        EXPECT_NE(refused.find("(lines end in CR alone; VEXO reads LF or CR LF line ends)"), std::string::npos) << refused;

        // Odd frame lines: short, blank, with odd numbers and a NUL, one long number; all read as values
        // (the four last frames then follow the last frame read).
        std::string odd = text;
        const std::string oddLines = std::string("1 2\r\n\r\n+5 0x1p3 -.5 inf 1e3 7,5 \t 12abc 3") + '\0' + " 9\r\n" +
                                     std::string(3000, '4') + "\n";
        odd.insert(odd.find('\n', odd.size() / 2) + 1, oddLines);
        const std::string read = expectSameEveryWay(odd, what + ", odd frame lines");
        EXPECT_EQ(read.rfind("refused", 0), std::string::npos) << read.substr(0, 200);
    }
}

// A frame line too long to read is refused where it stands, but only if it is one of the frames.
TEST(BvhReaderSources, ALineTooLongIsRefusedOnlyAmongTheFrames)
{
    const int frames = int(3 * SHARE / 600);
    const std::string text = motion(60, frames);
    const std::string tooLong(LineReader::MAX_LINE_LENGTH + 1, '1');
    const size_t middle = text.find('\n', text.size() / 2) + 1;
    const int lineAtMiddle = int(std::count(text.begin(), text.begin() + long(middle), '\n')) + 1;
    std::string inFrames = text;
    inFrames.insert(middle, tooLong + "\n");
    EXPECT_EQ(expectSameEveryWay(inFrames, "among the frames"),
              "refused at " + std::to_string(lineAtMiddle) + ": line longer than 16 MiB");
    const std::string after = expectSameEveryWay(text + tooLong + "\n", "after the last frame");
    EXPECT_EQ(after.rfind("refused", 0), std::string::npos) << after.substr(0, 200);
}

// A stream that never ends its line (a device such as /dev/zero, or a pipe) is refused at that line
// once it passes the limit, quickly and without holding more than the limit in memory.
TEST(BvhReaderSources, AnEndlessLineFromAStreamIsRefusedAtTheLimit)
{
    for (const char endless : {'\0', 'x'}) {
        FedPipe pipe("HIERARCHY\r\nROOT", endless, true);
        auto read = std::async(std::launch::async, [&] { return loadWithThreads(pipe.name(), 2); });
        if (read.wait_for(std::chrono::seconds(60)) != std::future_status::ready) {
            pipe.stop();  // the reader meets the end of the input and returns
            FAIL() << "the endless line was still being read after a minute";
        }
        const LoadResult result = read.get();
        EXPECT_EQ(result.line, 2);
        EXPECT_EQ(result.reason, "line longer than 16 MiB");
    }
}
