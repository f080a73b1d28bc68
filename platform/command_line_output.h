#pragma once

// Help, version and usage text, shown each system's way: on Linux the terminal's output or error
// stream; on Windows, where a GUI program has no console of its own, the console of the command
// prompt it was started from, or a message box.
void showCommandLineText(const char* text, bool isError);
