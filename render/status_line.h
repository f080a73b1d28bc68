#pragma once

// Draws text as one line at the bottom of a width × height picture, over what is drawn,
// and leaves the GL state as it found it. Nothing for an empty text.
// Light text on a dark band, in a built-in 8×13 bitmap font with GL 1.1 calls only; bytes
// outside printable ASCII show as '?', and what does not fit the width is cut off.
void drawStatusLine(const char* text, int width, int height);
