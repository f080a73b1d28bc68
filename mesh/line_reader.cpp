#include "mesh/line_reader.h"

#include "platform/regular_file.h"

#include <bit>
#include <cstdint>
#include <cstring>

namespace {
constexpr std::size_t blockSize = 1 << 20;
constexpr std::size_t maxLineLength = 255;

// Eight bytes at a time: a byte of x ^ pattern is zero where x holds a line feed.
long long countLineFeeds(const char* text, std::size_t length) {
    constexpr std::uint64_t pattern = 0x0a0a0a0a0a0a0a0aULL;
    constexpr std::uint64_t low7 = 0x7f7f7f7f7f7f7f7fULL;
    long long found = 0;
    std::size_t i = 0;
    for (; i + 8 <= length; i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text + i, 8);
        std::uint64_t t = word ^ pattern;
        std::uint64_t nonZero = ((t & low7) + low7) | t;
        found += std::popcount(~(nonZero | low7));
    }
    for (; i < length; ++i)
        found += text[i] == '\n';
    return found;
}
} // namespace

bool LineReader::open(const char* path) {
    close();
    RegularFileFacts facts;
    file = openRegularFile(path, &facts);
    if (!file) return false;
    size = facts.size;
    // One spare byte so the last line of the file can always be zero-terminated in place.
    block.reset(new (std::nothrow) char[blockSize + 1]);
    if (!block) {
        close();
        return false;
    }
    return true;
}

void LineReader::close() {
    if (file) std::fclose(file);
    file = nullptr;
    block.reset();
    begin = end = 0;
    fileDrained = reachedEnd = false;
    size = -1;
}

// Moves the unread rest to the front of the block and reads more after it.
bool LineReader::fill() {
    if (fileDrained || !file) return false;
    std::memmove(block.get(), block.get() + begin, end - begin);
    end -= begin;
    begin = 0;
    std::size_t got = std::fread(block.get() + end, 1, blockSize - end, file);
    end += got;
    if (got == 0) fileDrained = true;
    return got > 0;
}

const char* LineReader::finishLine(std::size_t length, bool endsAtLineFeed) {
    char* line = block.get() + begin;
    begin += length + (endsAtLineFeed ? 1 : 0);
    if (endsAtLineFeed && length > 0 && line[length - 1] == '\r') --length;
    if (length > maxLineLength) length = maxLineLength;
    line[length] = '\0';
    return line;
}

const char* LineReader::readLine() {
    if (!block) {
        reachedEnd = true;
        return "";
    }
    std::size_t searched = 0;
    for (;;) {
        char* start = block.get() + begin;
        const void* lineFeed = std::memchr(start + searched, '\n', end - begin - searched);
        if (lineFeed) return finishLine(static_cast<const char*>(lineFeed) - start, true);
        searched = end - begin;
        if (begin == 0 && end == blockSize) return readOverlongLine();
        if (!fill()) {
            reachedEnd = true;
            return finishLine(end - begin, false);
        }
    }
}

const char* LineReader::unreadText() {
    if (!block) return "";
    if (end - begin <= maxLineLength) fill();
    block[end] = '\0';
    return block.get() + begin;
}

// A line that does not fit the block: keep its first characters, drop the rest.
const char* LineReader::readOverlongLine() {
    std::memcpy(overlongLine, block.get(), maxLineLength);
    overlongLine[maxLineLength] = '\0';
    begin = end = 0;
    for (;;) {
        if (!fill()) {
            reachedEnd = true;
            return overlongLine;
        }
        const void* lineFeed = std::memchr(block.get(), '\n', end);
        if (lineFeed) {
            begin = static_cast<const char*>(lineFeed) - block.get() + 1;
            return overlongLine;
        }
        begin = end = 0;
    }
}

long long LineReader::skipLines(long long count) {
    long long skipped = 0;
    bool inLine = false; // characters of a line whose line feed has not come yet were passed
    while (skipped < count) {
        if (begin == end && !fill()) {
            reachedEnd = true;
            return inLine ? skipped + 1 : skipped;
        }
        const char* start = block.get() + begin;
        std::size_t length = end - begin;
        long long lineFeeds = countLineFeeds(start, length);
        if (skipped + lineFeeds < count) {
            skipped += lineFeeds;
            inLine = start[length - 1] != '\n';
            begin = end;
            continue;
        }
        // The line that completes the count ends in this block.
        for (;;) {
            const char* lineFeed =
                static_cast<const char*>(std::memchr(block.get() + begin, '\n', end - begin));
            begin = static_cast<std::size_t>(lineFeed - block.get()) + 1;
            if (++skipped == count) return skipped;
        }
    }
    return skipped;
}

bool beginsWith(const char* line, const char* keyword) {
    for (; *keyword; ++line, ++keyword) {
        char c = *line;
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (c != *keyword) return false;
    }
    return true;
}
