#pragma once

#include "tools/convert/msh_model.h"
#include "tools/convert/notes.h"

#include <assimp/scene.h>

#include <vector>

// The msh material number of each assimp material that a group uses.
class MaterialTable {
  public:
    void use(unsigned index) {
        if (index >= used.size()) used.resize(index + 1, false);
        used[index] = true;
    }
    // Numbers in assimp's order, equal materials once; assimp's stand-in for "no material"
    // stays 0, the viewer's default.
    void number(const aiScene& scene, MshModel& model, Notes& notes);
    int numberOf(unsigned index) const { return index < numbers.size() ? numbers[index] : 0; }

  private:
    std::vector<bool> used;
    std::vector<int> numbers;
};

// The texture coordinate set that the material's diffuse map reads.
unsigned diffuseChannel(const aiMaterial& material);
