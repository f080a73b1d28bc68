#include "bench/line_writer.h"

#include <charconv>

void appendInt(std::string& out, long long value) {
    char text[24];
    auto result = std::to_chars(text, text + sizeof text, value);
    out.append(text, result.ptr);
}
