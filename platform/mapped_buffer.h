#pragma once

#include <cstddef>
#include <cstdlib>
#include <utility>

// The machine's physical memory in bytes; 0 when it cannot be known.
std::size_t physicalMemoryBytes();

// Asks that the pages of a large heap block come in huge pages as they are first written: 512
// times fewer page faults, and a fault costs far more than filling its page, most of all in a
// virtual machine whose host keeps page tables of its own. Only a hint, which changes no byte;
// blocks under 4 MiB, and systems without it, are left as they are.
void preferHugePages(void* block, std::size_t size);

// Memory left unwritten until used. From a megabyte up it is a mapping of its own, made present
// in one call (up to 64 MiB): a large image's pixels or a mesh's vertices then cost one system
// call instead of a page fault and a zero-fill for every page, which is most of the time spent
// receiving them. From 4 MiB up the mapping starts on a huge-page boundary and asks for huge
// pages. Move-only.
class MappedBuffer {
  public:
    MappedBuffer() = default;
    MappedBuffer(MappedBuffer&& other) noexcept
        : bytes(std::exchange(other.bytes, nullptr)), length(std::exchange(other.length, 0)),
          mappedLength(std::exchange(other.mappedLength, 0)),
          sharedSection(std::exchange(other.sharedSection, nullptr)) {}
    MappedBuffer& operator=(MappedBuffer&& other) noexcept {
        if (this != &other) {
            release();
            bytes = std::exchange(other.bytes, nullptr);
            length = std::exchange(other.length, 0);
            mappedLength = std::exchange(other.mappedLength, 0);
            sharedSection = std::exchange(other.sharedSection, nullptr);
        }
        return *this;
    }
    MappedBuffer(const MappedBuffer&) = delete;
    MappedBuffer& operator=(const MappedBuffer&) = delete;
    ~MappedBuffer() { release(); }

    // Replaces the buffer with one of size bytes; false (and empty) when that much memory
    // cannot be had.
    bool allocate(std::size_t size);
    // Linux: the buffer becomes a read-only view of a memory file that another process filled
    // and sealed against shrinking and writing, so that its bytes can neither vanish nor change
    // while they are read. False (and empty) for anything else or less than size bytes; size
    // must be a megabyte or more. The file can be closed afterwards.
    bool mapSealed(int file, std::size_t size);
    unsigned char* data() const { return bytes; }
    std::size_t size() const { return length; }
    bool empty() const { return length == 0; }
#ifdef _WIN32
    // Windows: a buffer of a megabyte or more is a view of a section of its own, which another
    // process can map (a helper's answer); null for a smaller one.
    void* section() const;
    // Windows: the buffer becomes a read-only view of the first size bytes of section, a handle
    // it then owns. False (and empty, the handle closed) when the section is smaller.
    bool adoptSection(void* section, std::size_t size);
#endif

  private:
    static constexpr std::size_t mappedFrom = std::size_t{1} << 20;

    // Buffers below mappedFrom come from the heap, whose pages are mostly there already.
    bool allocateOnHeap(std::size_t size) {
        bytes = static_cast<unsigned char*>(std::malloc(size));
        length = bytes ? size : 0;
        return bytes != nullptr;
    }

    // Each system's own file frees what allocate took.
    void release();

    unsigned char* bytes = nullptr;
    std::size_t length = 0;
    std::size_t mappedLength = 0;  // of the mapping behind bytes; 0 for heap memory
    void* sharedSection = nullptr; // Windows: the section behind the mapping
};
