#pragma once

// The About box: three lines, the last one the version.
constexpr const char* aboutText = "Korvalin\n"
                                  "A viewer for Ismarel mesh files (.msh)\n"
                                  " V1.1";
