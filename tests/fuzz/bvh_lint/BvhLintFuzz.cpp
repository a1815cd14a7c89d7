// Feeds each input to the reader and, when it is accepted, to the lint pass: on one thread, and cut
// into small shares on several, which must find the same; then against a file cut short, which must
// be survived whatever it finds. A broken invariant aborts with a message; libFuzzer reports it as a
// crash.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <vector>

#include "FuzzCheck.h"
#include "FuzzInputFile.h"
#include "motion/BvhLint.h"
#include "motion/BvhReader.h"

namespace {

// Physical lines of the text: LF-terminated ones plus a last one without LF.
std::int64_t countLines(const std::uint8_t* data, size_t size)
{
    std::int64_t lines = 0;
    for (size_t i = 0; i < size; ++i) lines += data[i] == '\n';
    return lines + (size > 0 && data[size - 1] != '\n');
}

bool isCode(const char* code)
{
    return std::any_of(std::begin(BvhLint::CODES), std::end(BvhLint::CODES),
                       [&](const char* known) { return std::strcmp(known, code) == 0; });
}

bool sameFindings(const std::vector<LintFinding>& a, const std::vector<LintFinding>& b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const LintFinding& x, const LintFinding& y) {
        return std::strcmp(x.code, y.code) == 0 && x.line == y.line && x.count == y.count && x.message == y.message;
    });
}

std::vector<LintFinding> look(LPCWSTR path, const Skeleton& skeleton, int threads, size_t shareBytes)
{
    BvhLint lint(path);
    lint.limitThreads(threads);
    lint.limitShareBytes(shareBytes);
    std::vector<LintFinding> findings;
    FUZZ_CHECK(lint.possible() && lint.look(skeleton, findings));
    return findings;
}

void checkFindings(const std::vector<LintFinding>& findings, std::int64_t lines)
{
    std::int64_t previous = 0;
    for (const LintFinding& finding : findings) {
        FUZZ_CHECK(isCode(finding.code));
        FUZZ_CHECK(finding.line >= 1 && finding.line <= lines);
        FUZZ_CHECK(finding.line >= previous);  // in the order of their lines
        FUZZ_CHECK(finding.count >= 1);
        FUZZ_CHECK(!finding.message.empty());
        previous = finding.line;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size)
{
    static InputFile input, cutShort;
    input.store(data, size);
    auto* skeleton = static_cast<Skeleton*>(std::calloc(1, sizeof(Skeleton)));
    if (skeleton == nullptr) return 0;
    BvhReader reader;
    if (reader.read(input.path(), *skeleton)) {
        const std::vector<LintFinding> findings = look(input.path(), *skeleton, 1, BvhLint::FRAME_SHARE_BYTES);
        checkFindings(findings, countLines(data, size));
        FUZZ_CHECK(sameFindings(look(input.path(), *skeleton, 3, 16), findings));
        // Another file than the one read, as when a file changes between the reads: no crash.
        cutShort.store(data, size * 2 / 3);
        BvhLint lint(cutShort.path());
        std::vector<LintFinding> whatever;
        if (lint.possible()) lint.look(*skeleton, whatever);
    }
    Skeleton::destroy(skeleton);
    return 0;
}
