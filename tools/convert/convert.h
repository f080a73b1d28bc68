#pragma once

#include "tools/convert/convert_options.h"
#include "tools/convert/notes.h"
#include "tools/convert/progress.h"

#include <string>

// The two conversions. Each writes OUT (and what comes with it) whole or not at all; false
// with `error` (one line, the importer's, exporter's or reader's own words where there are
// some) when OUT was not written.
bool convertIntoMsh(const ConvertOptions& options, Progress& progress, Notes& notes,
                    std::string& error);
bool convertFromMsh(const ConvertOptions& options, Progress& progress, Notes& notes,
                    std::string& error);
