// Load benchmark: how fast BvhReader reads a large BVH file, side by side with the most
// straightforward reader one could write (fgets + strtok + atof); how much memory a load takes at
// its peak; and what evaluatePose costs per joint. It prints figures and asserts no times.
//
// With --processes it times whole processes instead: `vexo --check` on all cores and pinned to one,
// and the baseline as a program of its own, alternating, with their medians and peak memory.
//
// Usage: see usage() below. Without a file, ~100 MB motions of a 52-joint skeleton (fingers
// included) are generated in the temporary directory, measured one after the other and removed
// afterwards: one as captures are (joints turning by up to about 120 degrees, so most values have one
// or two integer digits) and one as exporters write angles, over the full range (-170.037742).

#include <sched.h>
#include <sys/resource.h>
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

#include "BaselineReader.h"
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

// The two kinds of generated motion: how far joints turn.
enum class Angles {
    // Slow waves of up to about 120 degrees, as in most captures: values of one or two integer digits.
    Captured,
    // Anywhere in the full range, as exporters write Euler angles (-170.037742), in no order: numbers of
    // 8 to 11 characters whose lengths no branch predictor can guess: the hardest case for a conversion
    // whose cost depends on a number's length, as one with a loop over the digits does.
    Exported,
};

const char* anglesName(Angles angles)
{
    return angles == Angles::Captured ? "captured" : "exported";
}

// Every channel follows its own slow wave plus a little noise, as captured motion does: the root
// wanders over a few metres at hip height, joints turn by up to about 120 degrees; or, for exported
// angles, joints take any angle.
struct ChannelWave {
    double base, amplitude, rate, phase;
};


std::string frameLines(int channels, Angles angles, double targetBytes, int& frames)
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
            const bool anyAngle = k >= 3 && angles == Angles::Exported;
            appendNumber(body, anyAngle ? 360 * unit(rng) - 180
                                        : w.base + w.amplitude * std::sin(w.rate * frames + w.phase) + 0.5 * (unit(rng) - 0.5));
        }
        body += LINE_END;
    }
    return body;
}

bool writeGeneratedFile(const fs::path& path, Angles angles)
{
    const std::vector<BoneSpec> bones = skeletonBones();
    const int channels = 6 + 3 * (int(bones.size()) - 1);
    std::string text = std::string("HIERARCHY") + LINE_END;
    appendBone(text, bones, 0, 0);
    int frames = 0;
    const std::string body = frameLines(channels, angles, TARGET_BYTES - double(text.size()), frames);
    text += std::string("MOTION") + LINE_END + "Frames: " + std::to_string(frames) + LINE_END;
    text += std::string("Frame Time: 0.008333") + LINE_END;
    std::FILE* out = std::fopen(path.c_str(), "wb");
    if (out == nullptr) return false;
    const bool written = std::fwrite(text.data(), 1, text.size(), out) == text.size() &&
                         std::fwrite(body.data(), 1, body.size(), out) == body.size();
    const bool closed = std::fclose(out) == 0;
    std::printf("generated: %s angles, %zu joints (fingers included), %d channels, %d frames, CR LF line ends\n",
                anglesName(angles), bones.size(), channels, frames);
    return written && closed;
}

// ===== Measuring =====

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double processCpuSeconds()
{
    timespec now;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

// Wall-clock time, and this process's CPU time (user and kernel, all threads), which the other
// processes of a shared machine disturb much less.
struct Timing {
    double wall, cpu;
};

class Stopwatch {
public:
    Timing elapsed() const { return {secondsSince(wallStart), processCpuSeconds() - cpuStart}; }

private:
    Clock::time_point wallStart = Clock::now();
    double cpuStart = processCpuSeconds();
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
    if (!ok) std::printf("VEXO refused the file: line %lld: %s\n", static_cast<long long>(reader.refusedLine()), reader.refusalReason().c_str());
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
    std::printf("  (CPU time sums all threads; VEXO converts large motions on every core it may use)\n");
    row("VEXO BvhReader::read", vexo);
    row("baseline fgets+strtok+atof", baseline);
    std::printf("  %-26s %8.2fx     %8.2fx     %8.2fx\n", "VEXO / baseline",
                best(baseline, &Timing::wall) / best(vexo, &Timing::wall),
                median(baseline, &Timing::wall) / median(vexo, &Timing::wall),
                best(baseline, &Timing::cpu) / best(vexo, &Timing::cpu));
    return 0;
}

// ===== Whole processes =====
// `vexo --check` as a user runs it, on all cores and pinned to one, against the baseline reader as a
// program of its own (and, with --against, another build of vexo): wall time from fork to exit and
// the peak resident memory the kernel reports for the process.

struct ProcessRun {
    double wall = 0;
    double cpu = 0;  // user and system time of all its threads
    long peakKiB = 0;
};

struct Variant {
    std::string name;
    std::vector<std::string> command;
    bool oneCore;
    std::vector<ProcessRun> runs;
};

std::optional<ProcessRun> runProcess(const std::vector<std::string>& command, bool oneCore)
{
    std::vector<char*> arguments;
    for (const std::string& a : command) arguments.push_back(const_cast<char*>(a.c_str()));
    arguments.push_back(nullptr);
    std::fflush(stdout);  // or the child's copy of the buffer is written twice
    const Clock::time_point start = Clock::now();
    const pid_t child = fork();
    if (child == 0) {
        if (oneCore) {  // as `taskset -c 0`
            cpu_set_t cpus;
            CPU_ZERO(&cpus);
            CPU_SET(0, &cpus);
            if (sched_setaffinity(0, sizeof cpus, &cpus) != 0) _exit(126);
        }
        if (std::freopen("/dev/null", "w", stdout) == nullptr) _exit(126);
        execv(arguments[0], arguments.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (child < 0 || wait4(child, &status, 0, &usage) != child) return std::nullopt;
    const double wall = secondsSince(start);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
        std::printf("%s exited with status %d\n", command[0].c_str(), WIFEXITED(status) ? WEXITSTATUS(status) : -1);
        return std::nullopt;
    }
    const auto seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) * 1e-6; };
    return ProcessRun{wall, seconds(usage.ru_utime) + seconds(usage.ru_stime), usage.ru_maxrss};
}

// The value array's size in MiB from the summary line of `vexo --check`, or 0.
double valueArrayMiB(const std::string& vexo, const fs::path& file)
{
    const std::string command = "'" + vexo + "' --check '" + file.string() + "'";
    FILE* pipe = popen(command.c_str(), "r");
    char line[4096] = "";
    if (pipe == nullptr) return 0;
    const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
    pclose(pipe);
    const char* channels = std::strstr(line, " channels=");
    const char* frames = std::strstr(line, " frames=");
    if (!read || channels == nullptr || frames == nullptr) return 0;
    return double(std::atol(channels + 10)) * double(std::atol(frames + 8)) * sizeof(float) / 1048576.0;
}

double medianOf(const Variant& v, double ProcessRun::*field)
{
    std::vector<double> values;
    for (const ProcessRun& r : v.runs) values.push_back(r.*field);
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double medianWall(const Variant& v)
{
    return medianOf(v, &ProcessRun::wall);
}

std::string loadAverage()
{
    std::FILE* file = std::fopen("/proc/loadavg", "r");
    char text[128] = "?";
    if (file != nullptr) {
        if (std::fgets(text, sizeof text, file) == nullptr) text[0] = '\0';
        std::fclose(file);
    }
    text[std::strcspn(text, "\n")] = '\0';
    return text;
}

int compareProcesses(const fs::path& file, const std::string& against, int rounds)
{
    const std::string name = file.string();
    std::vector<Variant> variants = {
        {"vexo --check, all cores", {VEXO_BINARY, "--check", name}, false, {}},
        {"vexo --check, one core", {VEXO_BINARY, "--check", name}, true, {}},
    };
    if (!against.empty()) {
        variants.push_back({"other vexo, all cores", {against, "--check", name}, false, {}});
        variants.push_back({"other vexo, one core", {against, "--check", name}, true, {}});
    }
    variants.push_back({"baseline fgets+strtok+atof", {BASELINE_READER, name}, false, {}});

    const double valuesMiB = valueArrayMiB(VEXO_BINARY, file);
    if (valuesMiB == 0) {
        std::printf("vexo --check did not accept %s\n", name.c_str());
        return 1;
    }
    readIntoPageCache(file);
    std::printf("whole processes, %d rounds, each round running every variant once in turn; load average before: %s\n",
                rounds, loadAverage().c_str());
    for (int round = 0; round < rounds; ++round) {
        for (Variant& v : variants) {
            const std::optional<ProcessRun> run = runProcess(v.command, v.oneCore);
            if (!run) return 1;
            v.runs.push_back(*run);
        }
    }
    std::printf("load average after: %s\n", loadAverage().c_str());
    std::printf("  %-28s %9s %9s %9s %12s %12s\n", "", "median s", "min s", "max s", "median CPU s", "peak MiB");
    for (const Variant& v : variants) {
        double low = v.runs[0].wall, high = low;
        long peak = 0;
        for (const ProcessRun& r : v.runs) {
            low = std::min(low, r.wall);
            high = std::max(high, r.wall);
            peak = std::max(peak, r.peakKiB);
        }
        std::printf("  %-28s %9.3f %9.3f %9.3f %12.3f %12.1f\n", v.name.c_str(), medianWall(v), low, high,
                    medianOf(v, &ProcessRun::cpu), peak / 1024.0);
    }
    const double all = medianWall(variants[0]), one = medianWall(variants[1]), baseline = medianWall(variants.back());
    long peak = 0;
    for (const ProcessRun& r : variants[0].runs) peak = std::max(peak, r.peakKiB);
    std::printf("  baseline / vexo (all cores)       %6.2fx   (target: at least 8x)\n", baseline / all);
    std::printf("  one core / all cores              %6.2fx   (target: at least 1.7x on two cores)\n", one / all);
    if (!against.empty()) {
        std::printf("  other vexo / vexo, one core       %6.2fx   (target: at least 1.3x against the previous release)\n",
                    medianWall(variants[3]) / one);
        std::printf("  other vexo / vexo, all cores      %6.2fx\n", medianWall(variants[2]) / all);
    }
    std::printf("  peak resident %.1f MiB, value array %.1f MiB + 32 MiB = %.1f MiB: %s\n", peak / 1024.0, valuesMiB,
                valuesMiB + 32, peak / 1024.0 <= valuesMiB + 32 ? "within" : "ABOVE");
    return 0;
}

int usage()
{
    std::fputs("usage: load_benchmark [--angles KIND] [FILE.bvh]    in-process loads, pose cost, peak memory\n"
               "       load_benchmark --write FILE.bvh [--angles KIND]\n"
               "                                                  write a generated motion and stop\n"
               "       load_benchmark --processes [--against VEXO] [--rounds N] [--angles KIND] [FILE.bvh]\n"
               "                                                  whole processes side by side\n"
               "Without a file, generated motions are measured: KIND captured (joints within about 120\n"
               "degrees) or exported (angles over the full range); both, one after the other, by default.\n",
               stderr);
    return 2;
}

struct Options {
    bool processes = false;
    std::string against;
    int rounds = 11;
};

// Measures the file as the options ask.
int measure(const fs::path& path, const Options& options)
{
    std::printf("file: %s\n", path.c_str());
    if (options.processes) return compareProcesses(path, options.against, options.rounds);
    int status = compareLoads(path);
    if (status == 0) {
        Loaded loaded;
        status = timeVexoLoad(path, loaded) ? 0 : 1;
        if (status == 0) measurePose(*loaded.skeleton);
    }
    return status == 0 ? runPeakProcess(path) : status;
}

// Writes the generated motion with those angles, measures it and removes it.
int measureGenerated(Angles angles, const Options& options)
{
    const fs::path path =
        fs::temp_directory_path() / ("vexo_bench_" + std::to_string(getpid()) + "_" + anglesName(angles) + ".bvh");
    int status = 1;
    if (writeGeneratedFile(path, angles)) status = measure(path, options);
    else std::fprintf(stderr, "load_benchmark: cannot write %s\n", path.c_str());
    fs::remove(path);
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "--measure-peak") return measurePeak(argv[2]);
    Options options;
    std::string file, write;
    std::vector<Angles> kinds = {Angles::Captured, Angles::Exported};
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--processes") options.processes = true;
        else if (args[i] == "--against" && i + 1 < args.size()) options.against = args[++i];
        else if (args[i] == "--rounds" && i + 1 < args.size()) options.rounds = std::max(1, std::atoi(args[++i].c_str()));
        else if (args[i] == "--write" && i + 1 < args.size()) write = args[++i];
        else if (args[i] == "--angles" && i + 1 < args.size() && args[i + 1] == "captured") kinds = {Angles::Captured}, ++i;
        else if (args[i] == "--angles" && i + 1 < args.size() && args[i + 1] == "exported") kinds = {Angles::Exported}, ++i;
        else if (args[i][0] == '-' || !file.empty()) return usage();
        else file = args[i];
    }
    if (!options.processes && (!options.against.empty() || options.rounds != 11)) return usage();
    if (!write.empty()) {
        if (options.processes || !file.empty()) return usage();
        return writeGeneratedFile(write, kinds[0]) ? 0 : 1;  // captured unless exported is asked for
    }
    if (!file.empty()) return measure(file, options);
    for (const Angles angles : kinds) {
        if (const int status = measureGenerated(angles, options); status != 0) return status;
    }
    return 0;
}
