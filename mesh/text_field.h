#pragma once

#include <cstddef>

// 255 characters and the terminating zero: every path, name and line buffer.
constexpr std::size_t textFieldSize = 256;
