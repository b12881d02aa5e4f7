// streams.h -- byte streams over C files; failures throw StreamIOException.
#pragma once

#include <cstdio>
#include <string>

struct StreamIOException {
    char message[512];
    int code;
    StreamIOException(const char* msg, int c);
};

class InputStream {
public:
    struct Exception : StreamIOException {
        using StreamIOException::StreamIOException;
    };
    // Never throws: 0 when no file is open or n <= 0.
    virtual long readSome(void* buf, long n) = 0;
    // Reads exactly n bytes or throws.
    virtual void read(void* buf, long n) = 0;
    virtual long tell() = 0;
    virtual void seek(long pos) = 0;
    virtual void seekCur(long pos) = 0;
    virtual void seekEnd(long pos) = 0;

protected:
    ~InputStream() = default;
};

class OutputStream {
public:
    struct Exception : StreamIOException {
        using StreamIOException::StreamIOException;
    };
    // Writes exactly n bytes or throws.
    virtual void write(const void* buf, long n) = 0;
    virtual long tell() = 0;
    virtual void seek(long pos) = 0;
    virtual void seekEnd(long pos) = 0;

protected:
    ~OutputStream() = default;
};

class FileInputStream final : public InputStream {
public:
    FileInputStream() = default;
    // A failed open leaves the stream closed; it does not throw.
    FileInputStream(const char* path, const char* mode = "rb") { open(path, mode); }
    ~FileInputStream() { close(); }
    FileInputStream(const FileInputStream&) = delete;
    FileInputStream& operator=(const FileInputStream&) = delete;

    bool open(const char* path, const char* mode = "rb");
    void close();
    bool isOpen() const { return file != nullptr; }

    long readSome(void* buf, long n) override;
    void read(void* buf, long n) override;
    long tell() override;
    void seek(long pos) override;
    void seekCur(long pos) override;
    void seekEnd(long pos) override;

private:
    void seekWhence(long pos, int whence);
    FILE* file = nullptr;
};

class FileOutputStream final : public OutputStream {
public:
    FileOutputStream() = default;
    FileOutputStream(const char* path, const char* mode = "wb") { open(path, mode); }
    ~FileOutputStream() { close(); }
    FileOutputStream(const FileOutputStream&) = delete;
    FileOutputStream& operator=(const FileOutputStream&) = delete;

    bool open(const char* path, const char* mode = "wb");
    void close();
    bool isOpen() const { return file != nullptr; }

    void write(const void* buf, long n) override;
    long tell() override;
    void seek(long pos) override;
    void seekEnd(long pos) override;

private:
    void seekWhence(long pos, int whence);
    FILE* file = nullptr;
};

// Reads a whole file (binary) into out; false when it cannot be opened or
// read to its end.
bool readWholeFile(const char* path, std::string* out);
