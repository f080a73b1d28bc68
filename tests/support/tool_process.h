#pragma once

#include "tests/support/temp_folder.h"

#include <string>
#include <vector>

struct ProcessRun {
    int status = -1; // exit status; -1 when the process did not exit normally
    std::string out;
    std::string err; // when the program could not start: why
};

// Starts the program with exactly these arguments (no shell: they reach it byte for byte),
// standard input empty, standard output and error into files in the capture folder, and waits
// for it.
ProcessRun runProgram(const std::string& program, const std::vector<std::string>& arguments,
                      const TempFolder& capture);
