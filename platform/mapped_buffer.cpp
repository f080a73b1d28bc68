#include "platform/mapped_buffer.h"

#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr std::size_t populateUpTo = std::size_t{64} << 20;
constexpr std::size_t smallPage = 4096;
constexpr std::size_t hugePage = std::size_t{2} << 20;
constexpr std::size_t hugePagesFrom = 2 * hugePage;

std::size_t roundUp(std::size_t size, std::size_t unit) {
    return (size + unit - 1) / unit * unit;
}

// Whole pages; the last, partial huge page is taken whole when that wastes at most a sixteenth
// of the buffer, since its small pages would cost a fault each.
std::size_t mappingLength(std::size_t size) {
    const std::size_t pages = roundUp(size, smallPage);
    if (size < hugePagesFrom) return pages;
    const std::size_t hugePages = roundUp(size, hugePage);
    return hugePages - size <= size / 16 ? hugePages : pages;
}

// A mapping of length bytes that starts on a huge-page boundary: a larger one, its ends cut off.
void* mapOnHugePageBoundary(std::size_t length) {
    void* mapped = mmap(nullptr, length + hugePage, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED) return nullptr;
    const auto start = reinterpret_cast<std::uintptr_t>(mapped);
    const std::uintptr_t aligned = roundUp(start, hugePage);
    const std::uintptr_t end = start + length + hugePage;
    if (aligned > start) munmap(mapped, aligned - start);
    if (end > aligned + length)
        munmap(reinterpret_cast<void*>(aligned + length), end - aligned - length);
    preferHugePages(reinterpret_cast<void*>(aligned), length);
    return reinterpret_cast<void*>(aligned);
}

// Beyond populateUpTo the pages come as they are written: a helper that announces a huge image
// and then sends nothing must not have made us hold all of it.
void* mapBuffer(std::size_t size, std::size_t length) {
    if (size < hugePagesFrom) {
        const int populate = size <= populateUpTo ? MAP_POPULATE : 0;
        void* mapped = mmap(nullptr, length, PROT_READ | PROT_WRITE,
                            MAP_PRIVATE | MAP_ANONYMOUS | populate, -1, 0);
        return mapped == MAP_FAILED ? nullptr : mapped;
    }
    void* mapped = mapOnHugePageBoundary(length);
    // Without it (kernels before 5.14) the pages come as they are written, still huge.
    if (mapped && size <= populateUpTo) madvise(mapped, length, MADV_POPULATE_WRITE);
    return mapped;
}
} // namespace

bool MappedBuffer::allocate(std::size_t size) {
    release();
    if (size == 0) return true;
    if (size < mappedFrom) return allocateOnHeap(size);
    // No mapping can hold it; rounding it up to whole pages would wrap around.
    if (size > SIZE_MAX - 2 * hugePage) return false;
    const std::size_t mapping = mappingLength(size);
    void* mapped = mapBuffer(size, mapping);
    if (!mapped) return false;
    bytes = static_cast<unsigned char*>(mapped);
    length = size;
    mappedLength = mapping;
    return true;
}

bool MappedBuffer::mapSealed(int file, std::size_t size) {
    release();
    constexpr int needed = F_SEAL_SHRINK | F_SEAL_WRITE;
    struct stat info = {};
    const int seals = fcntl(file, F_GET_SEALS);
    if (size < mappedFrom || seals < 0 || (seals & needed) != needed || fstat(file, &info) != 0 ||
        !S_ISREG(info.st_mode) || static_cast<unsigned long long>(info.st_size) < size)
        return false;
    // Present at once: the pages are there already, only their mapping is made.
    void* mapped = mmap(nullptr, size, PROT_READ, MAP_SHARED | MAP_POPULATE, file, 0);
    if (mapped == MAP_FAILED) return false;
    bytes = static_cast<unsigned char*>(mapped);
    length = size;
    mappedLength = size;
    return true;
}

void MappedBuffer::release() {
    if (bytes && mappedLength == 0)
        std::free(bytes);
    else if (bytes)
        munmap(bytes, mappedLength);
    bytes = nullptr;
    length = 0;
    mappedLength = 0;
}

void preferHugePages(void* block, std::size_t size) {
    constexpr std::uintptr_t hugePage = std::uintptr_t{2} << 20;
    if (!block || size < 2 * hugePage) return;
    const auto start = reinterpret_cast<std::uintptr_t>(block);
    const std::uintptr_t first = (start + hugePage - 1) & ~(hugePage - 1);
    const std::uintptr_t end = (start + size) & ~(hugePage - 1);
    if (end > first) madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
}

std::size_t physicalMemoryBytes() {
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long pageSize = sysconf(_SC_PAGESIZE);
    return pages > 0 && pageSize > 0 ? static_cast<std::size_t>(pages) * pageSize : 0;
}
