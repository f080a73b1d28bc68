#include "tools/early_end.h"

#include "mesh/line_reader.h"
#include "mesh/mesh_scene.h"
#include "mesh/number_scan.h"

namespace {

std::string ofCount(const char* what, long long number, long long count) {
    return std::string(what) + " " + std::to_string(number) + " of " + std::to_string(count);
}

// Reads only what decides how many lines each record takes; every record line is skipped.
class SectionWalk {
  public:
    explicit SectionWalk(LineReader& in) : in(in) {}
    std::string run();

  private:
    // False when this read came after the last line of the file.
    bool next() {
        bool endedBefore = in.atEnd();
        line = in.readLine();
        return !endedBefore && !(in.atEnd() && *line == '\0');
    }
    bool skip(int lines, const char* what, std::string& shortAt);
    bool groups(std::string& shortAt);
    bool group(std::string& shortAt);
    bool materials(std::string& shortAt);
    bool textures(std::string& shortAt);

    LineReader& in;
    const char* line = "";
    int groupCount = 0;
    int materialCount = 0;
    int textureCount = 0;
};

int countOn(const char* line, const char* keyword, int previous) {
    scanInts(line, keyword, &previous, 1);
    return previous < 0 ? 0 : previous;
}

// The last line is read, not skipped: the reader's next keyword test looks at it.
bool SectionWalk::skip(int lines, const char* what, std::string& shortAt) {
    if (lines <= 0) return true;
    long long passed = in.atEnd() ? 0 : in.skipLines(lines - 1);
    if (passed == lines - 1 && next()) return true;
    shortAt = ofCount(what, passed + 1, lines);
    return false;
}

bool SectionWalk::groups(std::string& shortAt) {
    groupCount = countOn(line, "GROUPS", groupCount);
    for (int i = 1; i <= groupCount; ++i) {
        std::string inGroup;
        if (!group(inGroup)) {
            shortAt = ofCount("group", i, groupCount) + inGroup;
            return false;
        }
    }
    return true;
}

bool SectionWalk::group(std::string& shortAt) {
    if (!next()) return false;
    for (const char* optional :
         {"LABEL", "MATERIAL ", "TEXTURE", "TEXWRAP", "NONORMAL", "STATIC", "FLAG"})
        if (beginsWith(line, optional) && !next()) return false;
    if (!beginsWith(line, "GEOM")) return true;
    int counts[2] = {0, 0};
    scanInts(line, "GEOM", counts, 2);
    std::string record;
    bool complete = skip(counts[0] < 0 ? 0 : counts[0], "vertex", record) &&
                    skip(counts[1] < 0 ? 0 : counts[1], "triangle", record);
    if (!complete) shortAt = ", " + record;
    return complete;
}

bool SectionWalk::materials(std::string& shortAt) {
    materialCount = countOn(line, "MATERIALS", materialCount);
    if (!skip(materialCount, "material name", shortAt)) return false;
    for (int i = 1; i <= materialCount; ++i) {
        bool complete = next() && (!beginsWith(line, "MATERIAL ") || next());
        for (int colour = 1; complete && colour < 4; ++colour)
            complete = next();
        if (!complete) {
            shortAt = ofCount("material", i, materialCount);
            return false;
        }
    }
    return true;
}

bool SectionWalk::textures(std::string& shortAt) {
    textureCount = countOn(line, "TEXTURES", textureCount);
    return skip(textureCount, "entry", shortAt);
}

std::string SectionWalk::run() {
    std::string shortAt;
    next();
    while (!in.atEnd()) {
        next();
        if (beginsWith(line, "GROUPS") && !groups(shortAt))
            return "GROUPS " + std::to_string(groupCount) + " ran short at " + shortAt;
        if (beginsWith(line, "MATERIALS") && !materials(shortAt))
            return "MATERIALS " + std::to_string(materialCount) + " ran short at " + shortAt;
        if (beginsWith(line, "TEXTURES")) {
            if (textures(shortAt)) return "";
            return "TEXTURES " + std::to_string(textureCount) + " ran short at " + shortAt;
        }
    }
    return "";
}

bool isZero(const float* values, int count) {
    for (int i = 0; i < count; ++i)
        if (values[i] != 0.0f) return false;
    return true;
}

// Records read after the end keep the zeros they started with, and reading stops at the end,
// so a file that ended early leaves the last record of some section untouched. Most files do
// not, and their second look is saved.
bool mayHaveEndedEarly() {
    if (meshScene.groupCount > 0) {
        const MeshGroup& last = meshScene.groups[meshScene.groupCount - 1];
        if (last.triangleCount > 0) {
            const int* corners = last.triangles[last.triangleCount - 1].indices;
            if (corners[0] == 0 && corners[1] == 0 && corners[2] == 0) return true;
        } else if (last.vertexCount > 0) {
            if (isZero(&last.vertices[last.vertexCount - 1].x, 8)) return true;
        } else {
            return true;
        }
    }
    if (meshScene.materialCount > 0 &&
        isZero(meshScene.materials[meshScene.materialCount - 1].emissive, 4))
        return true;
    return meshScene.textureCount > 0 &&
           meshScene.textureNames[meshScene.textureCount - 1][0] == '\0';
}

} // namespace

std::string findEarlyEnd(const char* path) {
    if (!mayHaveEndedEarly()) return "";
    LineReader in;
    if (!in.open(path)) return "";
    return SectionWalk(in).run();
}
