#pragma once

#include <string>

// The one line of text drawn at the bottom of the picture to say what a key did. It stays until
// the next input; nothing else draws or keeps it.
void showStatus(std::string text);
const char* statusText();
// True when there was a text to take away.
bool clearStatus();
