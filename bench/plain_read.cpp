// plain_read: loads a mesh file with the plain fgets + sscanf reader, as a whole process for the
// loader comparison, and prints its counts and checksum.
#include "bench/geometry_checksum.h"
#include "bench/reference_reader.h"

#include <cstdio>

namespace {

GeometryChecksum checksum(const ReferenceScene& scene) {
    GeometryChecksum sums;
    long long firstIndex = 0;
    for (int g = 0; g < scene.groupCount; ++g) {
        const MeshGroup& group = scene.groups[g];
        for (int i = 0; i < group.vertexCount; ++i) {
            const MeshVertex& v = group.vertices[i];
            const float fields[8] = {v.x, v.y, v.z, v.nx, v.ny, v.nz, v.u, v.v};
            sums.addTuples(GeometryChecksum::positionField, 8, fields, 1);
        }
        for (int i = 0; i < group.triangleCount; ++i)
            for (int corner : group.triangles[i].indices)
                sums.corners += firstIndex + corner;
        sums.vertices += group.vertexCount;
        sums.triangles += group.triangleCount;
        firstIndex += group.vertexCount;
    }
    return sums;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: plain_read FILE.msh\n");
        return 2;
    }
    ReferenceScene scene;
    if (!readReference(argv[1], scene)) {
        std::fprintf(stderr, "plain_read: cannot read %s\n", argv[1]);
        return 1;
    }
    checksum(scene).print(argv[1]);
    return 0;
}
