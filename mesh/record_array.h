#pragma once

#include "platform/mapped_buffer.h"

#include <cstddef>
#include <cstdint>

// A group's vertices or triangles, left unset until the reader writes each record whole. A large
// array is memory of its own, present at once and in huge pages (see MappedBuffer): a page fault
// per 4 KiB would cost more than reading the lines that fill it. Move-only.
template <typename Record> class RecordArray {
  public:
    // Room for count records, unset; false (and empty) when that much memory cannot be had.
    bool allocate(std::size_t count) {
        if (count > SIZE_MAX / sizeof(Record)) {
            memory = MappedBuffer();
            return false;
        }
        return memory.allocate(count * sizeof(Record));
    }
    Record* get() const { return reinterpret_cast<Record*>(memory.data()); }
    Record& operator[](std::size_t index) const { return get()[index]; }
    explicit operator bool() const { return !memory.empty(); }

  private:
    MappedBuffer memory;
};
