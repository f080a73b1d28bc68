#include "platform/mapped_buffer.h"

#include "platform/win32/windows_api.h"

#include <algorithm>
#include <cstdlib>

// Large buffers are views of sections of their own, which the system zero-fills as they are
// first written, and which a helper process can hand over without a copy.
bool MappedBuffer::allocate(std::size_t size) {
    release();
    if (size == 0) return true;
    if (size < mappedFrom) return allocateOnHeap(size);
    const unsigned long long size64 = size;
    HANDLE section =
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                           static_cast<DWORD>(size64 >> 32), static_cast<DWORD>(size64), nullptr);
    void* view = section ? MapViewOfFile(section, FILE_MAP_WRITE, 0, 0, size) : nullptr;
    if (!view) {
        if (section) CloseHandle(section);
        return false;
    }
    bytes = static_cast<unsigned char*>(view);
    length = mappedLength = size;
    sharedSection = section;
    return true;
}

// A view larger than its section is refused, so a short section cannot be read past its end.
void* MappedBuffer::section() const {
    return sharedSection;
}

bool MappedBuffer::adoptSection(void* section, std::size_t size) {
    release();
    void* view = size > 0 ? MapViewOfFile(section, FILE_MAP_READ, 0, 0, size) : nullptr;
    if (!view) {
        CloseHandle(section);
        return false;
    }
    bytes = static_cast<unsigned char*>(view);
    length = mappedLength = size;
    sharedSection = section;
    return true;
}

void MappedBuffer::release() {
    if (bytes && mappedLength == 0)
        std::free(bytes);
    else if (bytes)
        UnmapViewOfFile(bytes);
    if (sharedSection) CloseHandle(sharedSection);
    bytes = nullptr;
    length = 0;
    mappedLength = 0;
    sharedSection = nullptr;
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
