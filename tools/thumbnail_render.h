#pragma once

// Thumbnail mode's work, done in the worker process that runGuarded starts: reads the mesh with
// the textures folder set to the mesh's own folder, frames the whole model in a fixed
// three-quarter view on a size × size picture and writes it as a PNG with a transparent
// background to outputPath. Refuses what is not a regular file of at most 256 MiB, and a mesh
// with nothing to draw. Returns the exit status: 0 when written, 1 (with a message on the
// standard error stream) when not.
int renderThumbnail(const char* meshPath, int size, const char* outputPath);
