// The standard streams of vexo.exe, a GUI program that Windows gives no console of its own.

#include <gtest/gtest.h>

#include "RunVexo.h"

// Redirected, the bytes are those of the Linux program: "\n", never "\r\n".
TEST(StandardStreams, RedirectedOutputEndsLinesWithLineFeedsOnly)
{
    EXPECT_EQ(vexo("--version").out, "VEXO 1.0.0.2\n");
    const RunResult usage = vexo("--frobnicate", true);
    EXPECT_EQ(usage.status, 2);
    EXPECT_EQ(usage.out, "vexo: unknown option --frobnicate (vexo --help shows the usage)\n");
}
