#include "platform/mapped_buffer.h"
#include "platform/regular_file.h"

bool readRegularFile(const char* path, MappedBuffer& bytes) {
    RegularFileFacts facts;
    bytes = MappedBuffer();
    std::FILE* file = openRegularFile(path, &facts);
    if (!file) return false;
    const bool read = facts.size > 0 && bytes.allocate(static_cast<std::size_t>(facts.size)) &&
                      std::fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
    std::fclose(file);
    if (!read) bytes = MappedBuffer();
    return read;
}
