#include <gtest/gtest.h>

#include <cstdlib>

#include "motion/Skeleton.h"

TEST(Joint, CreateGivesAnIdentityTransformAndNothingElse)
{
    Joint* joint = Joint::create();
    ASSERT_NE(joint, nullptr);
    const Mat4 identity = Mat4::identity();
    for (int i = 0; i < 16; ++i) EXPECT_EQ(joint->local.e[i], identity.e[i]);
    EXPECT_EQ(joint->firstChild, nullptr);
    EXPECT_EQ(joint->channels, nullptr);
    EXPECT_EQ(joint->keyword, nullptr);
    Joint::free(joint);
}

TEST(Joint, StringsArePrivateCopies)
{
    Joint* joint = Joint::create();
    char text[] = "Hips";
    ASSERT_TRUE(joint->setName(text));
    text[0] = 'X';
    EXPECT_STREQ(joint->name, "Hips");
    ASSERT_TRUE(joint->allocChannels(2));
    ASSERT_TRUE(joint->setChannelName(1, text));
    EXPECT_STREQ(joint->channels[1].name, "Xips");
    EXPECT_EQ(joint->channels[0].name, nullptr);
    EXPECT_EQ(joint->channels[0].kind, Unrecognized);
    Joint::free(joint);
}

TEST(Joint, AppendChildKeepsBothDirectionsOfTheSiblingChain)
{
    Joint* parent = Joint::create();
    Joint* children[3] = {Joint::create(), Joint::create(), Joint::create()};
    for (Joint* child : children) parent->appendChild(child);
    EXPECT_EQ(parent->firstChild, children[0]);
    EXPECT_EQ(parent->lastChild, children[2]);
    EXPECT_EQ(children[0]->nextSibling, children[1]);
    EXPECT_EQ(children[1]->nextSibling, children[2]);
    EXPECT_EQ(children[2]->nextSibling, nullptr);
    EXPECT_EQ(children[2]->prevSibling, children[1]);
    EXPECT_EQ(children[1]->prevSibling, children[0]);
    EXPECT_EQ(children[0]->prevSibling, nullptr);
    Joint::free(parent);  // frees the children too; the sanitizer build checks nothing leaks
}

TEST(Skeleton, AllocValuesRefusesNegativeAndFourGibibyteArrays)
{
    auto* s = static_cast<Skeleton*>(std::calloc(1, sizeof(Skeleton)));
    EXPECT_FALSE(s->allocValues(-1, 0.1f, 3));
    EXPECT_FALSE(s->allocValues(1 << 30, 0.1f, 1));  // exactly 2^32 bytes
    EXPECT_EQ(s->values, nullptr);
    EXPECT_EQ(s->frameCount, 0);
    EXPECT_TRUE(Skeleton::valuesFit((1 << 30) - 1, 1));

    ASSERT_TRUE(s->allocValues(0, 0.5f, 7));
    EXPECT_NE(s->values, nullptr);  // zero-length but allocated
    EXPECT_EQ(s->channelsPerFrame, 7);
    std::free(s->values);

    ASSERT_TRUE(s->allocValues(3, 0.5f, 4));
    EXPECT_EQ(s->frameValues(2), s->values + 8);
    for (int i = 0; i < 12; ++i) EXPECT_EQ(s->values[i], 0.0f);
    Skeleton::destroy(s);
}
