#include "platform/mapped_buffer.h"

#include "platform/win32/windows_api.h"

#include <cstdlib>

// Large buffers are committed pages of their own, which the system zero-fills as they are
// first written.
bool MappedBuffer::allocate(std::size_t size) {
    release();
    if (size == 0) return true;
    void* memory = size < mappedFrom
                       ? std::malloc(size)
                       : VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
    if (!memory) return false;
    bytes = static_cast<unsigned char*>(memory);
    length = size;
    return true;
}

void MappedBuffer::release() {
    if (bytes && length < mappedFrom)
        std::free(bytes);
    else if (bytes)
        VirtualFree(bytes, 0, MEM_RELEASE);
    bytes = nullptr;
    length = 0;
}
