#pragma once

#include <cstddef>

// Scans one zero-terminated line the way the C library's sscanf does with the equivalent
// pattern, storing exactly the values and returning exactly the count (or EOF) that sscanf
// would. Where C libraries differ ("nan(12)", "0b101"; glibc 2.36 stops both early), the
// values and count are those of the C standard and newer glibc, on every library. Common
// decimal forms take a fast path; most other tokens are handed to sscanf itself.

// Pattern: keyword followed by count times " %i" ("GEOM %i %i"); an empty keyword gives
// "%i %i %i" for count 3. count is 1 to 3.
int scanInts(const char* line, const char* keyword, int* values, int count);

// Pattern: count times "%f" separated by blanks. count is 1 to 8.
int scanFloats(const char* line, float* values, int count);

// For a reader that takes lines straight from its text: the line at text, up to its line feed,
// scanned as scanFloats or scanInts (with no keyword) scan that line handed out alone, when the
// fast path decides every field and nothing follows the last one. Returns the text after the
// line feed, with the count in result; nullptr when the line must be read the usual way, which
// may find fields written.
const char* scanFloatsInText(const char* text, float* values, int count, int& result);
const char* scanIntsInText(const char* text, int* values, int count, int& result);

// Pattern "%s" into a field of fieldSize bytes; a longer word is cut to fit.
int scanWord(const char* line, char* field, std::size_t fieldSize);
