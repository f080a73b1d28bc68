#include "mesh/mesh_read_result.h"

const char* meshReadWords(MeshReadCheck check) {
    switch (check) {
    case MeshReadCheck::loaded:
        return "loaded";
    case MeshReadCheck::cannotOpen:
        return "cannot open";
    case MeshReadCheck::notRegularFile:
        return "not a regular file (a folder, a device or a pipe)";
    case MeshReadCheck::notMagicLine:
        return "not a mesh file: the first line is not MSHX1";
    case MeshReadCheck::countBeyondFileSize:
        return "the count declares more records than the file could hold";
    case MeshReadCheck::outOfMemory:
        return "not enough memory for the records it declares";
    }
    return "";
}

const char* meshSectionKeyword(MeshSection section) {
    switch (section) {
    case MeshSection::none:
        return "";
    case MeshSection::groups:
        return "GROUPS";
    case MeshSection::materials:
        return "MATERIALS";
    case MeshSection::textures:
        return "TEXTURES";
    }
    return "";
}

const char* meshRecordWords(MeshRecord record) {
    switch (record) {
    case MeshRecord::none:
        return "";
    case MeshRecord::group:
        return "group";
    case MeshRecord::materialName:
        return "material name";
    case MeshRecord::material:
        return "material";
    case MeshRecord::textureEntry:
        return "entry";
    }
    return "";
}
