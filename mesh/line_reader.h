#pragma once

#include "mesh/text_field.h"

#include <cstddef>
#include <cstdio>
#include <memory>

// Reads a text file one line at a time, as a 256-byte line buffer in text mode would see it:
// a line ends at LF, a CR right before the LF is not part of it, and a line keeps at most its
// first 255 characters (the rest of an over-long line is skipped). Lines come back
// zero-terminated, valid until the next read. The file is read in large blocks, never whole.
class LineReader {
  public:
    LineReader() = default;
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;
    ~LineReader() { close(); }

    // Only a regular file opens: a device, a pipe or a folder is refused at once.
    bool open(const char* path);
    void close();

    // The next line; an empty line once no characters are left.
    const char* readLine();
    // Passes over up to count lines as readLine would read them, without handing them out;
    // returns how many lines there were before the end of the file.
    long long skipLines(long long count);
    // For a reader that takes common lines straight from the text: the unread text from the
    // next line on, holding at least its next 256 characters or the rest of the file, and ended
    // by a zero byte (where the text in hand ends, not a line). takeText(next) passes over the
    // lines before next; reading carries on from there.
    const char* unreadText();
    void takeText(const char* next) { begin = static_cast<std::size_t>(next - block.get()); }
    // A read has reached the end of the file.
    bool atEnd() const { return reachedEnd; }
    // Size of the file in bytes, or -1 while none is open.
    long long fileSize() const { return size; }

  private:
    bool fill();
    const char* finishLine(std::size_t length, bool endsAtLineFeed);
    const char* readOverlongLine();

    std::FILE* file = nullptr;
    std::unique_ptr<char[]> block;
    std::size_t begin = 0;
    std::size_t end = 0;
    bool fileDrained = false;
    bool reachedEnd = false;
    long long size = -1;
    char overlongLine[textFieldSize] = {};
};

// True when the line's first characters equal the keyword (upper case), ignoring the case of
// ASCII letters: how section and header keywords are recognised.
bool beginsWith(const char* line, const char* keyword);
