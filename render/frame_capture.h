#pragma once

// Reads the current GL framebuffer (width × height, its colour) and writes it as a PNG, top row
// first, through the image library. False when the file cannot be written, or when it is there
// and overwrite is false.
bool saveFramePng(const char* path, int width, int height, bool overwrite = true);

// False when no image library is there to write files (the Windows program without DevIL.dll).
bool canWritePng();

// The same picture with an alpha channel taken from the depth buffer: a pixel that the frame
// drew on (its depth below the clear value 1) is opaque and has the colour drawn, every other
// pixel is transparent black. The image library writes it as a PNG whatever the name's
// extension, over a file that is there.
bool saveCoveragePng(const char* path, int width, int height);

// How many pixels the frame drew on (their depth below the clear value 1).
long long coveredPixels(int width, int height);
