#include "tests/test_util.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

TempDir::TempDir()
{
    char tmpl[] = "/tmp/skytest.XXXXXX";
    const char* p = mkdtemp(tmpl);
    path = p ? p : "/tmp";
}

TempDir::~TempDir()
{
    std::error_code ec;
    if (path != "/tmp") std::filesystem::remove_all(path, ec);
}

void writeFileBytes(const std::string& path, const void* data, size_t n)
{
    FILE* f = fopen(path.c_str(), "wb");
    if (!f) return;
    if (n) fwrite(data, 1, n, f);
    fclose(f);
}

std::string readFileBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

std::string binDir()
{
    const char* d = getenv("SKY_BIN_DIR");
    return d ? d : "";
}

LogCapture::LogCapture() : running(true)
{
    fflush(stdout);
    testing::internal::CaptureStdout();
}

LogCapture::~LogCapture()
{
    if (running) stop();
}

std::string LogCapture::stop()
{
    fflush(stdout);
    running = false;
    return testing::internal::GetCapturedStdout();
}
