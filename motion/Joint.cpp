#include "motion/Joint.h"

#include <cstdlib>
#include <cstring>

namespace {

bool copyString(char*& field, const char* text)
{
    const size_t size = std::strlen(text) + 1;
    field = static_cast<char*>(std::malloc(size));
    if (field == nullptr) return false;
    std::memcpy(field, text, size);
    return true;
}

}  // namespace

Joint* Joint::create()
{
    auto* joint = static_cast<Joint*>(std::calloc(1, sizeof(Joint)));
    if (joint != nullptr) joint->local = Mat4::identity();
    return joint;
}

bool Joint::setKeyword(const char* text)
{
    return copyString(keyword, text);
}

bool Joint::setName(const char* text)
{
    return copyString(name, text);
}

bool Joint::allocChannels(std::int32_t count)
{
    // One record at least, so that "CHANNELS 0" still gives a non-null (empty) array.
    channels = static_cast<Channel*>(std::calloc(count > 0 ? static_cast<size_t>(count) : 1, sizeof(Channel)));
    if (channels == nullptr) return false;
    channelCount = count;
    return true;
}

bool Joint::setChannelName(std::int32_t index, const char* text)
{
    return copyString(channels[index].name, text);
}

void Joint::appendChild(Joint* child)
{
    if (lastChild == nullptr) {
        firstChild = child;
    } else {
        lastChild->nextSibling = child;
        child->prevSibling = lastChild;
    }
    lastChild = child;
}

void Joint::destroy()
{
    std::free(keyword);
    std::free(name);
    if (channels != nullptr) {
        for (std::int32_t i = channelCount - 1; i >= 0; --i) std::free(channels[i].name);
    }
    std::free(channels);
    for (Joint* child = firstChild; child != nullptr;) {
        Joint* next = child->nextSibling;
        Joint::free(child);
        child = next;
    }
}

void Joint::free(Joint* joint)
{
    if (joint == nullptr) return;
    joint->destroy();
    std::free(joint);
}
