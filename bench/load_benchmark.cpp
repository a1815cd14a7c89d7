// Load benchmark: how fast BvhReader reads a large BVH file, side by side with the most
// straightforward reader one could write (fgets + strtok + atof); how much memory a load takes at
// its peak; and what evaluatePose costs per joint. It prints figures and asserts no times.
//
// Usage: load_benchmark [FILE.bvh]
// Without a file, a ~100 MB motion of a 52-joint skeleton (fingers included) is generated in the
// temporary directory and removed afterwards.

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <new>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "motion/BvhReader.h"
#include "motion/Pose.h"
#include "resources/WideText.h"

namespace fs = std::filesystem;

// ===== Heap allocation counter =====
// glibc lets a program interpose malloc; the real allocator stays reachable as __libc_malloc.
// libstdc++'s operator new allocates through malloc, so C++ allocations are counted too (all but
// the over-aligned ones, which nothing measured here makes).

extern "C" void* __libc_malloc(size_t size);
extern "C" void* __libc_calloc(size_t count, size_t size);
extern "C" void* __libc_realloc(void* block, size_t size);

namespace {
std::atomic<bool> countingAllocations{false};
std::atomic<long> allocationCount{0};

void noteAllocation()
{
    if (countingAllocations.load(std::memory_order_relaxed)) {
        allocationCount.fetch_add(1, std::memory_order_relaxed);
    }
}
}  // namespace

extern "C" void* malloc(size_t size)
{
    noteAllocation();
    return __libc_malloc(size);
}

extern "C" void* calloc(size_t count, size_t size)
{
    noteAllocation();
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* block, size_t size)
{
    noteAllocation();
    return __libc_realloc(block, size);
}

namespace {

// Heap allocations made while f runs.
template <typename F>
long allocationsDuring(F&& f)
{
    allocationCount = 0;
    countingAllocations = true;
    f();
    countingAllocations = false;
    return allocationCount;
}

// ===== The generated motion =====

constexpr double TARGET_BYTES = 100e6;
constexpr const char* LINE_END = "\r\n";  // as Windows exporters write it

struct BoneSpec {
    std::string name;
    int parent;
    float offset[3];
};

int addBone(std::vector<BoneSpec>& bones, std::string name, int parent, float x, float y, float z)
{
    bones.push_back({std::move(name), parent, {x, y, z}});
    return int(bones.size()) - 1;
}

// A humanoid with three-bone fingers, in depth-first order; bones without children end in a site.
std::vector<BoneSpec> skeletonBones()
{
    std::vector<BoneSpec> bones;
    const int hips = addBone(bones, "Hips", -1, 0, 0, 0);
    const int spine = addBone(bones, "Spine", hips, 0, 10, 0);
    const int chest = addBone(bones, "Spine2", addBone(bones, "Spine1", spine, 0, 12, 0), 0, 12, 0);
    const int neck = addBone(bones, "Neck", chest, 0, 16, 0);
    addBone(bones, "Head", neck, 0, 10, 2);
    const char* const fingers[] = {"Thumb", "Index", "Middle", "Ring", "Pinky"};
    for (const float side : {1.0f, -1.0f}) {
        const std::string prefix = side > 0 ? "Left" : "Right";
        const int shoulder = addBone(bones, prefix + "Shoulder", chest, side * 3, 14, 0);
        const int arm = addBone(bones, prefix + "Arm", shoulder, side * 15, 0, 0);
        const int foreArm = addBone(bones, prefix + "ForeArm", arm, side * 28, 0, 0);
        const int hand = addBone(bones, prefix + "Hand", foreArm, side * 26, 0, 0);
        for (int i = 0; i < 5; ++i) {
            int parent = hand;
            for (int k = 1; k <= 3; ++k) {
                const float length = k == 1 ? 8.0f - float(i) : 3.0f;
                parent = addBone(bones, prefix + fingers[i] + std::to_string(k), parent, side * length, 0, 2.0f - float(i));
            }
        }
    }
    for (const float side : {1.0f, -1.0f}) {
        const std::string prefix = side > 0 ? "Left" : "Right";
        const int upLeg = addBone(bones, prefix + "UpLeg", hips, side * 9, -7, 0);
        const int leg = addBone(bones, prefix + "Leg", upLeg, 0, -40, 0);
        const int foot = addBone(bones, prefix + "Foot", leg, 0, -38, 0);
        addBone(bones, prefix + "ToeBase", foot, 0, -6, 13);
    }
    return bones;
}

void appendNumber(std::string& out, double value)
{
    char digits[32];
    const auto end = std::to_chars(digits, digits + sizeof digits, value, std::chars_format::fixed, 6).ptr;
    out.append(digits, end);
}

void appendBone(std::string& out, const std::vector<BoneSpec>& bones, int b, int depth)
{
    const std::string indent(size_t(depth), '\t');
    out += indent + (b == 0 ? "ROOT " : "JOINT ") + bones[b].name + LINE_END + indent + "{" + LINE_END;
    out += indent + "\tOFFSET ";
    for (int i = 0; i < 3; ++i) {
        appendNumber(out, bones[b].offset[i]);
        out += i < 2 ? " " : LINE_END;
    }
    out += indent + (b == 0 ? "\tCHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation Yrotation"
                            : "\tCHANNELS 3 Zrotation Xrotation Yrotation") + LINE_END;
    bool hasChildren = false;
    for (int c = b + 1; c < int(bones.size()); ++c) {
        if (bones[c].parent != b) continue;
        hasChildren = true;
        appendBone(out, bones, c, depth + 1);
    }
    if (!hasChildren) {
        out += indent + "\tEnd Site" + LINE_END + indent + "\t{" + LINE_END + indent + "\t\tOFFSET 0.000000 2.000000 0.000000" +
               LINE_END + indent + "\t}" + LINE_END;
    }
    out += indent + "}" + LINE_END;
}

// Every channel follows its own slow wave plus a little noise, as captured motion does: the root
// wanders over a few metres at hip height, joints turn by up to about 120 degrees.
struct ChannelWave {
    double base, amplitude, rate, phase;
};

std::string frameLines(int channels, double targetBytes, int& frames)
{
    std::mt19937 rng(1234567);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<ChannelWave> waves;
    for (int k = 0; k < channels; ++k) {
        const double rate = 0.001 + 0.05 * unit(rng), phase = 6.283 * unit(rng);
        if (k == 1) waves.push_back({92, 3, rate, phase});
        else if (k < 3) waves.push_back({0, 150, rate, phase});
        else waves.push_back({60 * (unit(rng) - 0.5), 90 * unit(rng), rate, phase});
    }
    std::string body;
    body.reserve(size_t(targetBytes * 1.05));
    for (frames = 0; body.size() < targetBytes; ++frames) {
        for (int k = 0; k < channels; ++k) {
            const ChannelWave& w = waves[size_t(k)];
            if (k > 0) body += ' ';
            appendNumber(body, w.base + w.amplitude * std::sin(w.rate * frames + w.phase) + 0.5 * (unit(rng) - 0.5));
        }
        body += LINE_END;
    }
    return body;
}

bool writeGeneratedFile(const fs::path& path)
{
    const std::vector<BoneSpec> bones = skeletonBones();
    const int channels = 6 + 3 * (int(bones.size()) - 1);
    std::string text = std::string("HIERARCHY") + LINE_END;
    appendBone(text, bones, 0, 0);
    int frames = 0;
    const std::string body = frameLines(channels, TARGET_BYTES - double(text.size()), frames);
    text += std::string("MOTION") + LINE_END + "Frames: " + std::to_string(frames) + LINE_END;
    text += std::string("Frame Time: 0.008333") + LINE_END;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size() &&
                         std::fwrite(body.data(), 1, body.size(), out) == body.size();
    const bool closed = std::fclose(out) == 0;
    std::printf("generated: %zu joints (fingers included), %d channels, %d frames, CR LF line ends\n", bones.size(),
                channels, frames);
    return written && closed;
}

// ===== The baseline reader =====
// The most straightforward way: fgets into a large line buffer, strtok, atof. It reads the same
// hierarchy only as far as it must (the CHANNELS counts), then every frame line.

struct BaselineMotion {
    int channels = 0;
    int frames = 0;
    float* values = nullptr;
};

bool baselineRead(const char* path, BaselineMotion& motion)
{
    static char line[1 << 20];
    const char* const blanks = " \t\r\n";
    std::FILE* file = std::fopen(path, "r");
    if (file == nullptr) return false;
    bool motionFound = false;
    while (!motionFound && std::fgets(line, sizeof line, file) != nullptr) {
        const char* word = std::strtok(line, blanks);
        if (word == nullptr) continue;
        if (std::strcmp(word, "CHANNELS") == 0) {
            const char* count = std::strtok(nullptr, blanks);
            if (count != nullptr) motion.channels += std::atoi(count);
        }
        motionFound = std::strcmp(word, "MOTION") == 0;
    }
    // "Frames: N", then "Frame Time: T", which the comparison does not need.
    if (motionFound && std::fgets(line, sizeof line, file) != nullptr && std::strtok(line, blanks) != nullptr) {
        const char* count = std::strtok(nullptr, blanks);
        if (count != nullptr) motion.frames = std::atoi(count);
    }
    bool ok = motion.frames > 0 && std::fgets(line, sizeof line, file) != nullptr;
    if (ok) motion.values = static_cast<float*>(std::malloc(sizeof(float) * size_t(motion.frames) * size_t(motion.channels)));
    ok = ok && motion.values != nullptr;
    float* value = motion.values;
    for (int f = 0; ok && f < motion.frames; ++f) {
        ok = std::fgets(line, sizeof line, file) != nullptr;
        char* token = ok ? std::strtok(line, blanks) : nullptr;
        for (int k = 0; ok && k < motion.channels; ++k) {
            ok = token != nullptr;
            if (ok) *value++ = static_cast<float>(std::atof(token));
            token = std::strtok(nullptr, blanks);
        }
    }
    std::fclose(file);
    return ok;
}

// ===== Measuring =====

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double threadCpuSeconds()
{
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Wall-clock time, and this thread's CPU time (user and kernel), which the other processes of a
// shared machine disturb much less.
struct Timing {
    double wall, cpu;
};

class Stopwatch {
public:
    Timing elapsed() const { return {secondsSince(wallStart), threadCpuSeconds() - cpuStart}; }

private:
    Clock::time_point wallStart = Clock::now();
    double cpuStart = threadCpuSeconds();
};

struct Loaded {
    Skeleton* skeleton = static_cast<Skeleton*>(std::calloc(1, sizeof(Skeleton)));
    Loaded() = default;
    Loaded(const Loaded&) = delete;
    Loaded& operator=(const Loaded&) = delete;
    ~Loaded() { Skeleton::destroy(skeleton); }
};

std::optional<Timing> timeVexoLoad(const fs::path& path, Loaded& loaded)
{
    BvhReader reader;
    const WideText wide = widePath(path);
    const Stopwatch stopwatch;
    const bool ok = reader.read(wide.c_str(), *loaded.skeleton);
    const Timing timing = stopwatch.elapsed();
    if (!ok) std::printf("VEXO refused the file: line %d: %s\n", reader.refusedLine(), reader.refusalReason().c_str());
    return ok ? std::optional(timing) : std::nullopt;
}

std::optional<Timing> timeBaselineLoad(const fs::path& path, BaselineMotion& motion)
{
    const Stopwatch stopwatch;
    const bool ok = baselineRead(path.c_str(), motion);
    const Timing timing = stopwatch.elapsed();
    if (!ok) std::puts("the baseline reader could not read the file");
    return ok ? std::optional(timing) : std::nullopt;
}

void readIntoPageCache(const fs::path& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    static char chunk[1 << 20];
    while (file != nullptr && std::fread(chunk, 1, sizeof chunk, file) == sizeof chunk) {}
    if (file != nullptr) std::fclose(file);
}

double best(const std::vector<Timing>& timings, double Timing::*clock)
{
    double shortest = timings[0].*clock;
    for (const Timing& t : timings) shortest = std::min(shortest, t.*clock);
    return shortest;
}

double median(const std::vector<Timing>& timings, double Timing::*clock)
{
    std::vector<double> seconds;
    for (const Timing& t : timings) seconds.push_back(t.*clock);
    std::sort(seconds.begin(), seconds.end());
    return seconds[seconds.size() / 2];
}

long statusKiB(const char* field)
{
    std::FILE* status = std::fopen("/proc/self/status", "r");
    char line[256];
    long kib = -1;
    const size_t length = std::strlen(field);
    while (status != nullptr && std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, field, length) == 0 && line[length] == ':') kib = std::atol(line + length + 1);
    }
    if (status != nullptr) std::fclose(status);
    return kib;
}

// Runs in a fresh process that does nothing but this load, so that its high-water mark of resident
// memory (VmHWM) is the load's peak plus the small start-up footprint.
int measurePeak(const char* file)
{
    const long before = statusKiB("VmRSS");
    Loaded loaded;
    if (!timeVexoLoad(file, loaded)) return 1;
    const long peak = statusKiB("VmHWM");
    const Skeleton& s = *loaded.skeleton;
    const double valueMiB = double(s.frameCount) * s.channelsPerFrame * sizeof(float) / 1048576.0;
    std::printf("peak memory (VmHWM of a fresh process that only loads the file)\n");
    std::printf("  peak resident     %8.1f MiB   (%.1f MiB before the load, so %.1f MiB for it)\n", peak / 1024.0,
                before / 1024.0, (peak - before) / 1024.0);
    std::printf("  value array       %8.1f MiB   target: peak <= value array + 32 MiB = %.1f MiB: %s\n", valueMiB,
                valueMiB + 32, peak / 1024.0 <= valueMiB + 32 ? "met" : "NOT met");
    return 0;
}

int runPeakProcess(const fs::path& file)
{
    std::fflush(stdout);
    const pid_t child = fork();
    if (child == 0) {
        const char* const arguments[] = {"load_benchmark", "--measure-peak", file.c_str(), nullptr};
        execv("/proc/self/exe", const_cast<char* const*>(arguments));
        _exit(127);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child) return 1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}

long countJoints(const Joint* joint)
{
    long n = 1;
    for (const Joint* child = joint->firstChild; child != nullptr; child = child->nextSibling) {
        n += countJoints(child);
    }
    return n;
}

void measurePose(Skeleton& skeleton)
{
    const double evaluations = double(skeleton.frameCount) * double(countJoints(skeleton.root));
    std::vector<Timing> passes;
    long allocations = 0;
    for (int pass = 0; pass < 3; ++pass) {
        Timing timing;
        allocations += allocationsDuring([&] {
            const Stopwatch stopwatch;
            for (std::int32_t f = 0; f < skeleton.frameCount; ++f) {
                evaluatePose(skeleton.root, skeleton.frameValues(f));
            }
            timing = stopwatch.elapsed();
        });
        passes.push_back(timing);
    }
    const long check = allocationsDuring([] { ::operator delete(::operator new(16)); });
    std::printf("evaluatePose over all %d frames, %ld joints (end sites included), best of 3 passes\n",
                skeleton.frameCount, countJoints(skeleton.root));
    std::printf("  %.1f ns per joint wall clock, %.1f ns CPU time\n", best(passes, &Timing::wall) * 1e9 / evaluations,
                best(passes, &Timing::cpu) * 1e9 / evaluations);
    std::printf("  heap allocations during the passes: %ld   (the counter saw %ld for one operator new)\n", allocations,
                check);
}

// ===== The comparison =====

bool sameValues(const Skeleton& vexo, const BaselineMotion& baseline)
{
    if (vexo.frameCount != baseline.frames || vexo.channelsPerFrame != baseline.channels) {
        std::printf("the readers disagree on the shape: %d x %d against %d x %d\n", vexo.frameCount, vexo.channelsPerFrame,
                    baseline.frames, baseline.channels);
        return false;
    }
    const size_t count = size_t(vexo.frameCount) * size_t(vexo.channelsPerFrame);
    for (size_t i = 0; i < count; ++i) {
        if (std::memcmp(&vexo.values[i], &baseline.values[i], sizeof(float)) != 0) {
            std::printf("the readers disagree at value %zu: %.9g against %.9g\n", i, vexo.values[i], baseline.values[i]);
            return false;
        }
    }
    std::printf("both readers give the same %zu values, bit for bit\n", count);
    return true;
}

int compareLoads(const fs::path& path)
{
    constexpr int RUNS = 5;
    std::error_code error;
    const double megabytes = double(fs::file_size(path, error)) / 1e6;
    if (error) {
        std::printf("cannot read %s: %s\n", path.c_str(), error.message().c_str());
        return 1;
    }
    readIntoPageCache(path);
    std::vector<Timing> vexo, baseline;
    for (int run = 0; run < RUNS; ++run) {  // interleaved, so that both see the same machine load
        Loaded loaded;
        BaselineMotion motion;
        const std::optional<Timing> vexoRun = timeVexoLoad(path, loaded);
        const std::optional<Timing> baselineRun = timeBaselineLoad(path, motion);
        const bool agreed = vexoRun && baselineRun && (run > 0 || sameValues(*loaded.skeleton, motion));
        std::free(motion.values);
        if (!agreed) return 1;
        vexo.push_back(*vexoRun);
        baseline.push_back(*baselineRun);
    }
    const auto row = [&](const char* name, const std::vector<Timing>& t) {
        std::printf("  %-26s %8.1f MB/s %8.1f MB/s %8.1f MB/s\n", name, megabytes / best(t, &Timing::wall),
                    megabytes / median(t, &Timing::wall), megabytes / best(t, &Timing::cpu));
    };
    std::printf("load throughput of %.1f MB (MB = 10^6 bytes), file in the page cache, %d runs each\n", megabytes, RUNS);
    std::printf("  %-26s %13s %13s %13s\n", "", "best (wall)", "median (wall)", "best (CPU)");
    row("VEXO BvhReader::read", vexo);
    row("baseline fgets+strtok+atof", baseline);
    std::printf("  %-26s %8.2fx     %8.2fx     %8.2fx\n", "VEXO / baseline",
                best(baseline, &Timing::wall) / best(vexo, &Timing::wall),
                median(baseline, &Timing::wall) / median(vexo, &Timing::wall),
                best(baseline, &Timing::cpu) / best(vexo, &Timing::cpu));
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--measure-peak") == 0) return measurePeak(argv[2]);
    if (argc > 2 || (argc == 2 && argv[1][0] == '-')) {
        std::fputs("usage: load_benchmark [FILE.bvh]\n", stderr);
        return 2;
    }
    const bool generated = argc == 1;
    const fs::path path =
        generated ? fs::temp_directory_path() / ("vexo_bench_" + std::to_string(getpid()) + ".bvh") : fs::path(argv[1]);
    if (generated && !writeGeneratedFile(path)) {
        std::fprintf(stderr, "load_benchmark: cannot write %s\n", path.c_str());
        fs::remove(path);
        return 1;
    }
    std::printf("file: %s\n", path.c_str());
    int status = compareLoads(path);
    if (status == 0) {
        Loaded loaded;
        status = timeVexoLoad(path, loaded) ? 0 : 1;
        if (status == 0) measurePose(*loaded.skeleton);
    }
    if (status == 0) status = runPeakProcess(path);
    if (generated) fs::remove(path);
    return status;
}
