// tinyobj_load: loads a Wavefront OBJ file with tinyobjloader (single-threaded, triangulating),
// as a whole process for the loader comparison, and prints its counts and checksum.
#include "bench/geometry_checksum.h"

#include <tiny_obj_loader.h>

#include <cstdio>

namespace {

GeometryChecksum checksum(const tinyobj::attrib_t& attrib,
                          const std::vector<tinyobj::shape_t>& shapes) {
    GeometryChecksum sums;
    sums.vertices = attrib.vertices.size() / 3;
    sums.addTuples(GeometryChecksum::positionField, 3, attrib.vertices.data(), sums.vertices);
    sums.addTuples(GeometryChecksum::normalField, 3, attrib.normals.data(),
                   attrib.normals.size() / 3);
    sums.addTuples(GeometryChecksum::texcoordField, 2, attrib.texcoords.data(),
                   attrib.texcoords.size() / 2);
    for (const tinyobj::shape_t& shape : shapes) {
        sums.triangles += shape.mesh.num_face_vertices.size();
        for (const tinyobj::index_t& index : shape.mesh.indices)
            sums.corners += index.vertex_index;
    }
    return sums;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tinyobj_load FILE.obj\n");
        return 2;
    }
    tinyobj::ObjReaderConfig config;
    config.triangulate = true;
    config.vertex_color = false; // the files have none; the default would fill them in
    tinyobj::ObjReader reader;
    if (!reader.ParseFromFile(argv[1], config)) {
        std::fprintf(stderr, "tinyobj_load: cannot read %s: %s\n", argv[1], reader.Error().c_str());
        return 1;
    }
    checksum(reader.GetAttrib(), reader.GetShapes()).print(argv[1]);
    return 0;
}
