#pragma once

#include <cstdio>
#include <set>
#include <string>
#include <vector>

// What a conversion leaves out or cannot keep: one line for each kind, however often it comes
// up. The lines are said on stderr once the conversion has succeeded (a failed one says only
// why it failed).
class Notes {
  public:
    explicit Notes(std::FILE* stream = stderr) : out(stream) {}

    void say(const std::string& line) {
        if (said.insert(line).second) lines.push_back(line);
    }
    void flush() {
        for (const std::string& line : lines)
            std::fprintf(out, "korvalin-convert: %s\n", line.c_str());
        lines.clear();
    }

  private:
    std::FILE* out;
    std::set<std::string> said;
    std::vector<std::string> lines;
};
