// The on-screen message store.
#include <gtest/gtest.h>

#include <string>

#include "shell/screenMessages.h"

namespace {

TEST(ScreenMessages, KeepsTheNewestHundred)
{
    clearScreenMessages();
    for (int i = 0; i < 101; i++) addScreenMessage("message %d", i);
    ASSERT_EQ(screenMessageCount(), 100);
    EXPECT_STREQ(screenMessage(0), "message 1");
    EXPECT_STREQ(screenMessage(99), "message 100");
    clearScreenMessages();
    EXPECT_EQ(screenMessageCount(), 0);
}

TEST(ScreenMessages, LongMessagesAreCut)
{
    clearScreenMessages();
    addScreenMessage("%s", std::string(300, 'x').c_str());
    EXPECT_EQ(strlen(screenMessage(0)), 127u);
    clearScreenMessages();
}

TEST(ErrorMessage, SetAppendAndClear)
{
    setErrorMessage("first");
    EXPECT_STREQ(errorMessage(), "first");
    appendErrorMessage("second line", -1);
    appendErrorMessage("third-and-more", 5);
    EXPECT_STREQ(errorMessage(), "first\nsecond line\nthird");
    setErrorMessage("");
    EXPECT_STREQ(errorMessage(), "");
    appendErrorMessage("alone", -1);  // no newline before the first line
    EXPECT_STREQ(errorMessage(), "alone");
    setErrorMessage(nullptr);
    EXPECT_STREQ(errorMessage(), "");
}

}  // namespace
