#include "platform/command_line_output.h"

#include <cstdio>

void showCommandLineText(const char* text, bool isError) {
    std::fputs(text, isError ? stderr : stdout);
}
