#include "mesh/line_reader.h"

#include "platform/regular_file.h"

#include <cstring>

namespace {
constexpr std::size_t blockSize = 1 << 20;
constexpr std::size_t maxLineLength = 255;
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
