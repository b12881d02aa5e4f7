#include "support/streams.h"

#include <cstring>

StreamIOException::StreamIOException(const char* msg, int c) : code(c)
{
    strncpy(message, msg ? msg : "", sizeof(message) - 1);
    message[sizeof(message) - 1] = 0;
}

// ---- input

bool FileInputStream::open(const char* path, const char* mode)
{
    close();
    file = fopen(path, mode);
    return file != nullptr;
}

void FileInputStream::close()
{
    if (file) fclose(file);
    file = nullptr;
}

long FileInputStream::readSome(void* buf, long n)
{
    if (!file || n <= 0) return 0;
    return (long)fread(buf, 1, (size_t)n, file);
}

void FileInputStream::read(void* buf, long n)
{
    if (!file) throw Exception("file not opened", -1);
    if (n < 0) throw Exception("negative size in read()", -1);
    if (n == 0) return;
    if ((long)fread(buf, 1, (size_t)n, file) != n) throw Exception("error reading file", (int)ftell(file));
}

long FileInputStream::tell()
{
    if (!file) throw Exception("file not opened", -1);
    return ftell(file);
}

void FileInputStream::seekWhence(long pos, int whence)
{
    if (!file) throw Exception("file not opened", -1);
    if (fseek(file, pos, whence) != 0) throw Exception("file seek error", (int)ftell(file));
}

void FileInputStream::seek(long pos) { seekWhence(pos, SEEK_SET); }
void FileInputStream::seekCur(long pos) { seekWhence(pos, SEEK_CUR); }
void FileInputStream::seekEnd(long pos) { seekWhence(pos, SEEK_END); }

// ---- output

bool FileOutputStream::open(const char* path, const char* mode)
{
    close();
    file = fopen(path, mode);
    return file != nullptr;
}

void FileOutputStream::close()
{
    if (file) fclose(file);
    file = nullptr;
}

void FileOutputStream::write(const void* buf, long n)
{
    if (!file) throw Exception("file not opened", -1);
    if (n < 0) throw Exception("negative size in write()", -1);
    if (n == 0) return;
    if ((long)fwrite(buf, 1, (size_t)n, file) != n) throw Exception("error writing file", (int)ftell(file));
}

long FileOutputStream::tell()
{
    if (!file) throw Exception("file not opened", -1);
    return ftell(file);
}

void FileOutputStream::seekWhence(long pos, int whence)
{
    if (!file) throw Exception("file not opened", -1);
    if (fseek(file, pos, whence) != 0) throw Exception("file seek error", (int)ftell(file));
}

void FileOutputStream::seek(long pos) { seekWhence(pos, SEEK_SET); }
void FileOutputStream::seekEnd(long pos) { seekWhence(pos, SEEK_END); }

bool readWholeFile(const char* path, std::string* out)
{
    FILE* f = fopen(path, "rb");
    if (!f) return false;
    char buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), f)) > 0) out->append(buf, n);
    bool ok = !ferror(f);
    fclose(f);
    return ok;
}
