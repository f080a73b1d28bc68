#pragma once

// Reads the current GL framebuffer (width × height, its colour) and writes it as a PNG, top row
// first, through the image library. False when the file cannot be written.
bool saveFramePng(const char* path, int width, int height);
