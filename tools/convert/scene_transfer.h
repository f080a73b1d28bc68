#pragma once

#include <assimp/scene.h>

#include <cstddef>
#include <functional>
#include <memory>

// An imported scene as a stream of bytes and back, so that it can be read in one process and
// converted in another: the nodes with their transforms and metadata, the meshes (positions,
// normals, texture coordinates, colours, faces), every material property as it stands, the
// embedded textures, the scene's metadata, and how many bones, animations, cameras and lights
// there are (by name only). Tangents and animation data stay behind: nothing converts them.
using ByteSink = std::function<bool(const void* data, std::size_t size)>;
using ByteSource = std::function<bool(void* data, std::size_t size)>;

bool writeScene(const aiScene& scene, const ByteSink& sink);
// Null when the bytes end early or do not describe a scene. No array larger than maxArrayBytes
// is allocated: the process that wrote the scene could not have held one.
std::unique_ptr<aiScene> readScene(const ByteSource& source, std::size_t maxArrayBytes);
