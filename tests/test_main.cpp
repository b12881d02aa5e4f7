#include <gtest/gtest.h>

#include "shell/log.h"

int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    // Death tests fork a fresh process, so they stay safe next to SDL.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    setHeadlessMode(true);
    return RUN_ALL_TESTS();
}
