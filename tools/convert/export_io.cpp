#include "tools/convert/export_io.h"

#include <assimp/IOStream.hpp>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {

// One open file: a temporary of OutputFiles when written, a plain file when read.
class FileStream : public Assimp::IOStream {
  public:
    FileStream(std::FILE* stream, OutputFiles* owner) : file(stream), files(owner) {}
    ~FileStream() override {
        if (files)
            files->close(file);
        else
            std::fclose(file);
    }

    size_t Read(void* buffer, size_t size, size_t count) override {
        return std::fread(buffer, size, count, file);
    }
    size_t Write(const void* buffer, size_t size, size_t count) override {
        size_t written = std::fwrite(buffer, size, count, file);
        if (written != count && files) files->failed(file, errno);
        return written;
    }
    aiReturn Seek(size_t offset, aiOrigin origin) override {
        int whence = origin == aiOrigin_SET   ? SEEK_SET
                     : origin == aiOrigin_CUR ? SEEK_CUR
                                              : SEEK_END;
        return fseeko(file, static_cast<off_t>(offset), whence) == 0 ? aiReturn_SUCCESS
                                                                     : aiReturn_FAILURE;
    }
    size_t Tell() const override { return static_cast<size_t>(ftello(file)); }
    size_t FileSize() const override {
        off_t here = ftello(file);
        fseeko(file, 0, SEEK_END);
        off_t size = ftello(file);
        fseeko(file, here, SEEK_SET);
        return static_cast<size_t>(size);
    }
    void Flush() override { std::fflush(file); }

  private:
    std::FILE* file;
    OutputFiles* files;
};

bool writes(const char* mode) {
    return std::strchr(mode, 'w') || std::strchr(mode, 'a') || std::strchr(mode, '+');
}

} // namespace

bool ExportFileSystem::Exists(const char* path) const {
    return files.holds(path) || access(path, F_OK) == 0;
}

Assimp::IOStream* ExportFileSystem::Open(const char* path, const char* mode) {
    if (writes(mode)) {
        std::FILE* file = files.open(path);
        return file ? new FileStream(file, &files) : nullptr;
    }
    std::FILE* file = std::fopen(path, "rb");
    return file ? new FileStream(file, nullptr) : nullptr;
}

void ExportFileSystem::Close(Assimp::IOStream* stream) {
    delete stream;
}
