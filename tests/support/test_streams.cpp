#include <gtest/gtest.h>

#include "support/streams.h"
#include "tests/test_util.h"

TEST(Streams, ReadPastEndThrowsButReadSomeReturnsWhatIsLeft)
{
    TempDir dir;
    std::string path = dir.file("four.bin");
    writeFileBytes(path, "abcd", 4);

    FileInputStream in;
    ASSERT_TRUE(in.open(path.c_str(), "rb"));
    char buf[10];
    try {
        in.read(buf, 10);
        FAIL() << "read past the end must throw";
    } catch (const InputStream::Exception& e) {
        EXPECT_STREQ(e.message, "error reading file");
        EXPECT_EQ(e.code, 4);
    }
    in.seek(0);
    EXPECT_EQ(in.readSome(buf, 10), 4);
    EXPECT_EQ(in.readSome(buf, 0), 0);
    in.seekEnd(-1);
    EXPECT_EQ(in.tell(), 3);
    in.seekCur(-2);
    EXPECT_EQ(in.tell(), 1);
    EXPECT_THROW(in.seek(-5), StreamIOException);
}

TEST(Streams, ClosedStreamsAndNegativeSizes)
{
    FileInputStream in("/nonexistent/file", "rb");
    EXPECT_FALSE(in.isOpen());
    char buf[4];
    EXPECT_EQ(in.readSome(buf, 4), 0);
    try {
        in.read(buf, 4);
        FAIL();
    } catch (const StreamIOException& e) {
        EXPECT_STREQ(e.message, "file not opened");
        EXPECT_EQ(e.code, -1);
    }
    EXPECT_THROW(in.tell(), InputStream::Exception);

    TempDir dir;
    FileInputStream in2(dir.file("none").c_str());
    writeFileBytes(dir.file("x"), "x", 1);
    ASSERT_TRUE(in2.open(dir.file("x").c_str()));
    try {
        in2.read(buf, -1);
        FAIL();
    } catch (const StreamIOException& e) {
        EXPECT_STREQ(e.message, "negative size in read()");
    }

    FileOutputStream out;
    EXPECT_THROW(out.write("a", 1), OutputStream::Exception);
    ASSERT_TRUE(out.open(dir.file("o").c_str()));
    try {
        out.write("a", -3);
        FAIL();
    } catch (const OutputStream::Exception& e) {
        EXPECT_STREQ(e.message, "negative size in write()");
        EXPECT_EQ(e.code, -1);
    }
    out.write("hello", 5);
    EXPECT_EQ(out.tell(), 5);
    out.close();
    EXPECT_EQ(readFileBytes(dir.file("o")), "hello");
}

TEST(Streams, WriteFailureIsReported)
{
    FileOutputStream out;
    if (!out.open("/dev/full", "wb")) GTEST_SKIP() << "no /dev/full";
    // Unbuffered, so the failure shows on the write itself.
    std::string big(1 << 16, 'x');
    EXPECT_THROW(
        {
            for (int i = 0; i < 4; i++) out.write(big.data(), (long)big.size());
        },
        OutputStream::Exception);
}

TEST(Streams, ExceptionMessageIsCutAt511)
{
    std::string longMsg(600, 'm');
    StreamIOException e(longMsg.c_str(), 7);
    EXPECT_EQ(strlen(e.message), 511u);
    EXPECT_EQ(e.code, 7);
}
