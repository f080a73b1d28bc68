#include "platform/mapped_buffer.h"

#include "platform/win32/windows_api.h"

#include <algorithm>
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
    mappedLength = size < mappedFrom ? 0 : size;
    return true;
}

void MappedBuffer::release() {
    if (bytes && mappedLength == 0)
        std::free(bytes);
    else if (bytes)
        VirtualFree(bytes, 0, MEM_RELEASE);
    bytes = nullptr;
    length = 0;
    mappedLength = 0;
}

std::size_t physicalMemoryBytes() {
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status)) return 0;
    // A 32-bit program counts only what its address space can hold.
    return static_cast<std::size_t>(
        std::min<unsigned long long>(status.ullTotalPhys, status.ullTotalVirtual));
}

// Large pages need a privilege that users do not hold.
void preferHugePages(void*, std::size_t) {}
