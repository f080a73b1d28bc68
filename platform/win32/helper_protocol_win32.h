#pragma once

// What the program and its helper process agree on (helper_process_win32.cpp,
// helper_serving_win32.cpp).
#include <cstddef>
#include <cstdint>

// What precedes each request's message on the request pipe.
struct RequestHeader {
    std::uint64_t file;         // the helper's own handle of the file
    std::uint64_t sharedMemory; // the helper's handle of the memory both keep mapped
    std::uint32_t sharedBytes;
    std::uint32_t messageSize;
};

constexpr std::size_t maxMessageSize = 4096;

// Memory that stays mapped on both sides for the helper's answers below a megabyte: its pages,
// once touched, cost nothing more. A larger answer is a section of its own (MappedBuffer).
constexpr std::uint32_t keptSharedBytes = 1 << 20;
