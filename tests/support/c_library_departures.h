#pragma once

#include <cstdio>

// glibc 2.36's %f stops "nan(12)" after "nan", where the C standard (and newer glibc) reads the
// parenthesised payload with it; its %i stops "0b101" after the "0", where the standard reads a
// binary number. The scanner reads both as the standard does on every library; comparisons with
// the machine's sscanf leave such lines out where the library departs.

inline bool libraryStopsNanBeforePayload() {
    static const bool stops = [] {
        float value = 0.0f;
        int end = 0;
        return std::sscanf("nan(1)", "%f%n", &value, &end) != 1 || end != 6;
    }();
    return stops;
}

inline bool libraryReadsNoBinaryPrefix() {
    static const bool readsNone = [] {
        int value = 0;
        return std::sscanf("0b1", "%i", &value) != 1 || value != 1;
    }();
    return readsNone;
}
