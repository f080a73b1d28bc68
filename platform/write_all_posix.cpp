#include "platform/write_all.h"

#include <cerrno>
#include <unistd.h>

bool writeAll(int descriptor, const void* data, std::size_t size) {
    auto* bytes = static_cast<const unsigned char*>(data);
    while (size > 0) {
        const ssize_t written = write(descriptor, bytes, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        bytes += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}
