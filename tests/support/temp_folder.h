#pragma once

#include <string>
#include <string_view>

// A fresh folder under the system's temporary folder, removed with everything in it when the
// object goes, also when the test fails.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return folder; }
    // Writes bytes to a file in the folder and returns its full path.
    std::string write(const std::string& name, std::string_view content) const;
    std::string file(const std::string& name) const { return folder + "/" + name; }

  private:
    std::string folder;
};

// Reads a whole file; empty when it cannot be read.
std::string readWholeFile(const std::string& path);
