#include "platform/mapped_buffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

namespace {

constexpr std::size_t MiB = std::size_t{1} << 20;

unsigned char pattern(std::size_t at) {
    return static_cast<unsigned char>(at * 2654435761u >> 24);
}

// Every kind of buffer: heap, small pages, huge pages with a whole or a small-page tail, and
// one beyond what is made present at once. Every page and the last byte must hold what was
// written there.
TEST(MappedBufferTest, EverySizeHoldsItsBytesAndLargeOnesStartOnAHugePage) {
    const std::size_t sizes[] = {1,       4095,    MiB - 1,     MiB,     3 * MiB + 5,
                                 4 * MiB, 6000000, 5 * MiB + 1, 8000000, 64 * MiB + 1};
    for (std::size_t size : sizes) {
        MappedBuffer buffer;
        ASSERT_TRUE(buffer.allocate(size)) << size;
        ASSERT_EQ(buffer.size(), size);
        unsigned char* bytes = buffer.data();
        for (std::size_t at = 0; at < size; at += 4096)
            bytes[at] = pattern(at);
        bytes[size - 1] = 0xA5;
        for (std::size_t at = 0; at + 1 < size; at += 4096) {
            ASSERT_EQ(bytes[at], pattern(at)) << "size " << size << " at " << at;
        }
        EXPECT_EQ(bytes[size - 1], 0xA5) << size;
        if (size >= 4 * MiB) {
            EXPECT_EQ(reinterpret_cast<std::uintptr_t>(bytes) % (2 * MiB), 0u) << size;
        }
    }
}

// A size no mapping can hold is refused, not rounded round to a small mapping.
TEST(MappedBufferTest, SizesNoMappingCanHoldAreRefused) {
    for (const std::size_t size : {SIZE_MAX, SIZE_MAX - 100, SIZE_MAX - 3 * MiB}) {
        MappedBuffer buffer;
        EXPECT_FALSE(buffer.allocate(size)) << size;
        EXPECT_TRUE(buffer.empty()) << size;
    }
}

TEST(MappedBufferTest, MovedBuffersKeepTheirBytes) {
    MappedBuffer mapped;
    ASSERT_TRUE(mapped.allocate(6000000));
    mapped.data()[5999999] = 7;
    MappedBuffer taken = std::move(mapped);
    EXPECT_TRUE(mapped.empty());
    EXPECT_EQ(taken.data()[5999999], 7);

    MappedBuffer heap;
    ASSERT_TRUE(heap.allocate(100));
    heap = std::move(taken);
    EXPECT_EQ(heap.size(), 6000000u);
    EXPECT_EQ(heap.data()[5999999], 7);
    heap = MappedBuffer();
    EXPECT_TRUE(heap.empty());
}

} // namespace
