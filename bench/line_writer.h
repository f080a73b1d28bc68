#pragma once

#include <cstdio>
#include <memory>
#include <string>

// Buffered text output shared by the mesh writers.

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

// Text is gathered in memory and written in large pieces; a line is never split by a check.
class LineWriter {
  public:
    LineWriter(std::FILE* file, std::size_t longestLine)
        : file_(file), maxLineLength_(longestLine) {
        buffer_.reserve(flushSize + 512);
    }

    std::string& line() { return line_; }

    // Ends the current line; false when it is too long or the file cannot take it.
    bool endLine() {
        if (line_.size() > maxLineLength_) return false;
        buffer_ += line_;
        buffer_ += '\n';
        line_.clear();
        return buffer_.size() < flushSize || flush();
    }

    bool flush() {
        bool ok = std::fwrite(buffer_.data(), 1, buffer_.size(), file_) == buffer_.size();
        buffer_.clear();
        return ok;
    }

  private:
    static constexpr std::size_t flushSize = 1 << 20;
    std::FILE* file_;
    std::size_t maxLineLength_;
    std::string buffer_;
    std::string line_;
};

// Appends value in decimal, without a separator.
void appendInt(std::string& out, long long value);

// Opens path for writing, runs write on a LineWriter over it, flushes and closes; true only when
// every step worked.
template <typename Write>
bool writeTextFile(const char* path, std::size_t longestLine, Write write) {
    File file(std::fopen(path, "wb"));
    if (!file) return false;
    LineWriter writer(file.get(), longestLine);
    const bool ok = write(writer) && writer.flush();
    return std::fclose(file.release()) == 0 && ok;
}
