#include <charconv>
#include <cstdio>
#include <cstring>
#include <string>

#include "motion/Pose.h"
#include "shell/Commands.h"
#include "shell/LoadedMotion.h"

namespace {

// Streams the CSV rows through one fixed buffer: no allocation per row.
class CsvWriter {
public:
    ~CsvWriter() { flush(); }

    void text(const char* s, size_t n)
    {
        if (used + n > sizeof(buffer)) flush();
        if (n > sizeof(buffer)) {
            std::fwrite(s, 1, n, stdout);
            return;
        }
        std::memcpy(buffer + used, s, n);
        used += n;
    }
    void text(const char* s) { text(s, std::strlen(s)); }

    void integer(long value)
    {
        char digits[24];
        const auto result = std::to_chars(digits, digits + sizeof(digits), value);
        text(digits, static_cast<size_t>(result.ptr - digits));
    }

    // The same digits as printf("%.9g").
    void real(float value)
    {
        char digits[48];
        const auto result = std::to_chars(digits, digits + sizeof(digits), double(value), std::chars_format::general, 9);
        text(digits, static_cast<size_t>(result.ptr - digits));
    }

    // A name as written, quoted when it holds a character that CSV gives a meaning.
    void field(const char* name)
    {
        if (std::strpbrk(name, ",\"\r") == nullptr) {
            text(name);
            return;
        }
        text("\"");
        for (const char* p = name; *p != '\0'; ++p) {
            if (*p == '"') text("\"");  // a quote is written twice
            text(p, 1);
        }
        text("\"");
    }

    void flush()
    {
        std::fwrite(buffer, 1, used, stdout);
        used = 0;
    }

private:
    char buffer[1 << 16];
    size_t used = 0;
};

// Pre-order walk: world(joint) = world(parent) * local(joint); a joint's position is the
// translation of its world transform.
void writeJoint(CsvWriter& out, const Joint* joint, const Mat4& parentWorld, long frame, long& index)
{
    Mat4 world;
    matMul(world, joint->local, parentWorld);
    out.integer(frame);
    out.text(",");
    out.integer(index++);
    out.text(",");
    out.field(joint->name);
    for (int axis = 0; axis < 3; ++axis) {
        out.text(",");
        out.real(world.e[12 + axis]);
    }
    out.text("\n");
    for (const Joint* child = joint->firstChild; child != nullptr; child = child->nextSibling) {
        writeJoint(out, child, world, frame, index);
    }
}

void writeFrame(CsvWriter& out, Skeleton& skeleton, std::int32_t f)
{
    evaluatePose(skeleton.root, skeleton.frameCount > 0 ? skeleton.frameValues(f) : nullptr);
    long index = 0;
    writeJoint(out, skeleton.root, Mat4::identity(), long(f) + 1, index);
}

}  // namespace

int runPositions(LPCWSTR file, std::int32_t frame)
{
    LoadedMotion motion(file);
    if (!motion.ok()) {
        std::fprintf(stderr, "%s\n", motion.refusal().c_str());
        return 1;
    }
    Skeleton& skeleton = motion.skeleton();
    if (frame > skeleton.frameCount) return frameBeyondLast("--frame", frame, skeleton.frameCount);
    CsvWriter out;
    out.text("frame,joint,name,x,y,z\n");
    if (frame > 0) {
        writeFrame(out, skeleton, frame - 1);
    } else {
        for (std::int32_t f = 0; f < skeleton.frameCount; ++f) writeFrame(out, skeleton, f);
    }
    return 0;
}
