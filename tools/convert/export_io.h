#pragma once

#include "tools/convert/output_files.h"

#include <assimp/IOSystem.hpp>

// The file system an assimp exporter writes through: every file it opens for writing (OUT, an
// MTL library, a glTF buffer) goes to a temporary file of `files`, under the very name the
// exporter asked for, so what it writes into one file about the others stays right. Reading
// is passed on to the plain file system.
class ExportFileSystem : public Assimp::IOSystem {
  public:
    explicit ExportFileSystem(OutputFiles& outputFiles) : files(outputFiles) {}

    bool Exists(const char* path) const override;
    char getOsSeparator() const override { return '/'; }
    Assimp::IOStream* Open(const char* path, const char* mode = "rb") override;
    void Close(Assimp::IOStream* stream) override;

  private:
    OutputFiles& files;
};
