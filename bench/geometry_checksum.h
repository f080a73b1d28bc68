#pragma once

#include <bit>
#include <cstdint>
#include <cstdio>

// Sums that do not depend on how a loader lays its values out, so that loaders can be compared:
// equal sums mean, short of a coincidence, the same 32-bit values (every bit of each counts) in
// the same fields, and the same corners.
struct GeometryChecksum {
    // A vertex's fields: position 0-2, normal 3-5, texture coordinates 6-7.
    static constexpr int positionField = 0, normalField = 3, texcoordField = 6;

    long long vertices = 0;
    long long triangles = 0;
    std::uint64_t valueBits = 0; // bit patterns times their field number plus 1, modulo 2^64
    long long corners = 0;       // sum of the 0-based corner indices, counted across groups

    // count tuples of width consecutive fields, the first of them firstField.
    void addTuples(int firstField, int width, const float* values, std::size_t count) {
        for (std::size_t i = 0; i < count * width; ++i)
            valueBits += std::uint64_t(std::bit_cast<std::uint32_t>(values[i])) *
                         (firstField + i % width + 1);
    }

    // "NAME: V vertices, T triangles, values X, corners C" on one line.
    void print(const char* name) const {
        std::printf("%s: %lld vertices, %lld triangles, values %016llx, corners %lld\n", name,
                    vertices, triangles, static_cast<unsigned long long>(valueBits), corners);
    }
};
