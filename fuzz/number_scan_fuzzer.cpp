#include "mesh/number_scan.h"
#include "tests/support/c_library_departures.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

// The number scanning against the C library's sscanf with the literal pattern, on the same
// line: any difference in the count returned or in a stored byte is a finding. The first input
// byte picks the scan (ints with a reader keyword, floats, or a word) and its count or field
// size; the rest, up to a zero byte and at most 255 characters, is the line. On a library that
// departs from the C standard where the scanner follows it (glibc 2.36 stops "nan(12)" after
// "nan" and "0b101" after the "0"), lines holding those shapes are not compared.

namespace {

constexpr std::size_t maxLineLength = 255;
constexpr int maxInts = 3;
constexpr int maxFloats = 8;
constexpr const char* readerKeywords[] = {"",          "GROUPS",  "GEOM",     "MATERIAL",
                                          "MATERIALS", "TEXTURE", "TEXTURES", "LABEL"};
constexpr std::size_t keywordCount = sizeof readerKeywords / sizeof readerKeywords[0];

void printLine(const char* line) {
    std::fputc('"', stderr);
    for (const unsigned char* c = reinterpret_cast<const unsigned char*>(line); *c; ++c) {
        if (*c < 0x20 || *c >= 0x7f || *c == '"' || *c == '\\')
            std::fprintf(stderr, "\\x%02x", *c);
        else
            std::fputc(*c, stderr);
    }
    std::fputs("\"\n", stderr);
}

void printBytes(const char* label, int result, const void* fields, std::size_t size) {
    std::fprintf(stderr, "  %s returned %d, fields", label, result);
    const auto* bytes = static_cast<const unsigned char*>(fields);
    for (std::size_t i = 0; i < size; ++i)
        std::fprintf(stderr, "%s%02x", i % 4 == 0 ? " " : "", bytes[i]);
    std::fputc('\n', stderr);
}

void compare(const char* line, const std::string& pattern, int expectedResult, const void* expected,
             int actualResult, const void* actual, std::size_t size) {
    if (expectedResult == actualResult && std::memcmp(expected, actual, size) == 0) return;
    std::fputs("korvalin fuzz: scanning differs from sscanf on line ", stderr);
    printLine(line);
    std::fprintf(stderr, "  pattern \"%s\"\n", pattern.c_str());
    printBytes("sscanf:", expectedResult, expected, size);
    printBytes("scanner:", actualResult, actual, size);
    __builtin_trap();
}

// Distinct values, NaNs with payloads among them, so a field wrongly written or wrongly left
// alone shows in the bytes.
void preload(void* fields, std::size_t size) {
    static const std::uint32_t words[] = {0x7FC0BEE1u, 0x3F000123u, 0x5EED0002u, 0xFFC0BEE3u,
                                          0x00000004u, 0x7FA00005u, 0xC2000006u, 0x80000007u};
    std::memcpy(fields, words, size);
}

bool holdsIgnoringCase(const char* line, const char* piece) {
    for (; *line != '\0'; ++line) {
        std::size_t i = 0;
        while (piece[i] != '\0' && (line[i] | 0x20) == piece[i])
            ++i;
        if (piece[i] == '\0') return true;
    }
    return false;
}

void compareInts(const char* line, int selector) {
    if (libraryReadsNoBinaryPrefix() && holdsIgnoringCase(line, "0b")) return;
    const int count = 1 + selector % maxInts;
    const char* keyword = readerKeywords[(selector / maxInts) % keywordCount];
    std::string pattern = keyword;
    for (int i = 0; i < count; ++i)
        pattern += (i == 0 && *keyword == '\0') ? "%i" : " %i";
    int expected[maxInts];
    int actual[maxInts];
    preload(expected, sizeof expected);
    preload(actual, sizeof actual);
    int expectedResult =
        std::sscanf(line, pattern.c_str(), &expected[0], &expected[1], &expected[2]);
    int actualResult = scanInts(line, keyword, actual, count);
    compare(line, pattern, expectedResult, expected, actualResult, actual, sizeof actual);
    if (*keyword != '\0') return;
    // The same line straight from a file's text, when it holds no line feed of its own.
    const std::string text = std::string(line) + "\n";
    preload(actual, sizeof actual);
    if (std::strchr(line, '\n') == nullptr &&
        scanIntsInText(text.c_str(), actual, count, actualResult) != nullptr)
        compare(line, pattern, expectedResult, expected, actualResult, actual, sizeof actual);
}

void compareFloats(const char* line, int selector) {
    if (libraryStopsNanBeforePayload() && holdsIgnoringCase(line, "nan(")) return;
    const int count = 1 + selector % maxFloats;
    std::string pattern = "%f";
    for (int i = 1; i < count; ++i)
        pattern += " %f";
    float expected[maxFloats];
    float actual[maxFloats];
    preload(expected, sizeof expected);
    preload(actual, sizeof actual);
    float* e = expected;
    int expectedResult =
        std::sscanf(line, pattern.c_str(), &e[0], &e[1], &e[2], &e[3], &e[4], &e[5], &e[6], &e[7]);
    int actualResult = scanFloats(line, actual, count);
    compare(line, pattern, expectedResult, expected, actualResult, actual, sizeof actual);
    const std::string text = std::string(line) + "\n";
    preload(actual, sizeof actual);
    if (std::strchr(line, '\n') == nullptr &&
        scanFloatsInText(text.c_str(), actual, count, actualResult) != nullptr)
        compare(line, pattern, expectedResult, expected, actualResult, actual, sizeof actual);
}

void compareWord(const char* line, int selector) {
    // Field sizes from 2 (one character) to the reader's 256; a wider buffer shows overruns.
    static constexpr std::size_t fieldSizes[] = {2, 3, 8, 16, 255, 256};
    const std::size_t fieldSize = fieldSizes[selector % (sizeof fieldSizes / sizeof(std::size_t))];
    char expected[320];
    char actual[320];
    std::memset(expected, 0xA5, sizeof expected);
    std::memset(actual, 0xA5, sizeof actual);
    const std::string pattern = "%" + std::to_string(fieldSize - 1) + "s";
    int expectedResult = std::sscanf(line, pattern.c_str(), expected);
    int actualResult = scanWord(line, actual, fieldSize);
    compare(line, pattern, expectedResult, expected, actualResult, actual, sizeof actual);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    char line[maxLineLength + 1];
    std::size_t length = 0;
    for (; length < size - 1 && length < maxLineLength && data[length + 1] != 0; ++length)
        line[length] = static_cast<char>(data[length + 1]);
    line[length] = '\0';
    const int selector = data[0];
    switch (selector % 3) {
    case 0:
        compareInts(line, selector / 3);
        break;
    case 1:
        compareFloats(line, selector / 3);
        break;
    default:
        compareWord(line, selector / 3);
        break;
    }
    return 0;
}
