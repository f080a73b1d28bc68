#include "mesh/mesh_reader.h"

#include "mesh/line_reader.h"
#include "mesh/mesh_scene.h"
#include "mesh/number_scan.h"
#include "mesh/texture_loader.h"
#include "mesh/texture_path.h"
#include "platform/path_rules.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <new>
#include <string>
#include <utility>
#include <vector>

namespace {

template <typename Record> std::unique_ptr<Record[]> allocateRecords(int count) {
    // Value-initialised: fields that no line sets read 0.
    return std::unique_ptr<Record[]>(new (std::nothrow) Record[count]());
}

// The fewest bytes a record takes in a real file (LF line ends). Per byte of file, memory is
// then at most 32/9 for groups, 2 for vertices and triangles, 324/34 for materials and 128 for
// texture names. A group carries at least its geometry line, "GEOM 0 0".
constexpr long long minGroupBytes = 9;
// Eight one-digit numbers, "0 0 0 0 0 0 0 0" or "0-0-0-0-0-0-0-0".
constexpr long long minVertexBytes = 16;
// "0 1 2"
constexpr long long minTriangleBytes = 6;
// A one-letter name line and four colour lines of four numbers, "0 0 0 0".
constexpr long long minMaterialBytes = 2 + 4 * 8;
// A one-letter image name.
constexpr long long minTextureBytes = 2;

// What a file's sections give, kept apart from meshScene until the whole file has been read,
// so that a refused file leaves the scene as it was.
struct MeshSections {
    int groupCount = 0;
    int materialCount = 0;
    int textureCount = 0;
    std::unique_ptr<MeshGroup[]> groups;
    std::unique_ptr<MeshMaterial[]> materials;
    std::unique_ptr<TextureName[]> textureNames;
    bool hasGroups = false;
    bool hasMaterials = false;
    bool hasTextures = false;
    std::vector<std::string> imagePaths;
    // Set when the file replaces a shown mesh: its images take the shown mesh's texture names,
    // so that mesh goes once nothing can refuse the file any more.
    bool replacesShownMesh = false;
    bool shownMeshReleased = false;
};

// The images a texture list names, with the GL name each becomes.
struct TextureList {
    std::vector<std::string> imagePaths;
    std::vector<unsigned> names;
};

class MeshFileReader {
  public:
    MeshFileReader(LineReader& lines, MeshSections& into, const char* path, MeshReadResult& outcome)
        : in(lines), sections(into), meshPath(path), result(outcome) {}

    // Each section reader leaves its last line in `line`, where the next keyword test looks.
    bool readGroupSection();
    bool readMaterialSection();
    bool readTextureSection();

    void nextLine() {
        line = in.readLine();
        ++lineNumber;
    }

    const char* line = "";
    // The line in `line`, or the last line taken straight from the text; the magic line is 1.
    long long lineNumber = 1;

  private:
    bool acceptCount(int& count, long long recordBytes);
    bool refuse(MeshReadCheck check);
    // Past the end a read finds no characters and gives an empty line: the file ended within
    // the record whose reading made it. Asked once per record, never per vertex or triangle.
    bool readPastEnd(const char* lastRead) const { return in.atEnd() && *lastRead == '\0'; }
    void noteEarlyEnd(MeshSection section, int count, MeshRecord record, int number,
                      long long recordLine);
    bool readGroup(MeshGroup& group);
    bool readGeometry(MeshGroup& group);
    void takeLine(const char* next);
    void readVertex(MeshVertex& vertex);
    void readTriangle(MeshTriangle& triangle);
    void readMaterialColours(MeshMaterial& material);
    void readTextureEntry(int number, int count, TextureImageFinder& images, TextureList& list);

    LineReader& in;
    MeshSections& sections;
    const char* meshPath;
    MeshReadResult& result;
    long long bytesClaimed = 0;
};

bool MeshFileReader::refuse(MeshReadCheck check) {
    result.check = check;
    result.line = lineNumber;
    result.earlyEnd = {};
    return false;
}

void MeshFileReader::noteEarlyEnd(MeshSection section, int count, MeshRecord record, int number,
                                  long long recordLine) {
    if (result.endedEarly()) return;
    result.earlyEnd = {section, count, record, number, recordLine};
}

// Counts below 0 read as 0. Each declared record is charged the fewest bytes it takes in a real
// file, and all counts together may not charge more than the file holds, so no file claims
// more memory than one of its size could need. A kilobyte of slack lets a small file that was
// cut short still load what it has.
bool MeshFileReader::acceptCount(int& count, long long recordBytes) {
    constexpr long long cutShortSlack = 1024;
    if (count < 0) count = 0;
    bytesClaimed += count * recordBytes;
    if (in.fileSize() < 0) return true;
    if (bytesClaimed <= in.fileSize() + cutShortSlack) return true;
    return refuse(MeshReadCheck::countBeyondFileSize);
}

bool MeshFileReader::readGroupSection() {
    int count = sections.groupCount;
    scanInts(line, "GROUPS", &count, 1);
    if (!acceptCount(count, minGroupBytes)) return false;
    auto groups = allocateRecords<MeshGroup>(count);
    if (!groups && count > 0) return refuse(MeshReadCheck::outOfMemory);
    for (int i = 0; i < count; ++i)
        groups[i].material = -1;
    sections.groups = std::move(groups);
    sections.groupCount = count;
    sections.hasGroups = true;
    for (int i = 0; i < count; ++i) {
        const long long groupLine = lineNumber + 1;
        if (!readGroup(sections.groups[i])) return false;
        if (readPastEnd(line))
            noteEarlyEnd(MeshSection::groups, count, MeshRecord::group, i + 1, groupLine);
    }
    return true;
}

// Header lines are recognised only in this order; a line that fails one test goes to the next.
bool MeshFileReader::readGroup(MeshGroup& group) {
    nextLine();
    if (beginsWith(line, "LABEL")) nextLine();
    if (beginsWith(line, "MATERIAL ")) {
        scanInts(line, "MATERIAL", &group.material, 1);
        nextLine();
    }
    if (beginsWith(line, "TEXTURE")) {
        scanInts(line, "TEXTURE", &group.texture, 1);
        nextLine();
    }
    for (const char* ignored : {"TEXWRAP", "NONORMAL", "STATIC", "FLAG"})
        if (beginsWith(line, ignored)) nextLine();
    // Without a geometry line the line is dropped and the group keeps zero counts.
    if (!beginsWith(line, "GEOM")) return true;
    return readGeometry(group);
}

bool MeshFileReader::readGeometry(MeshGroup& group) {
    int counts[2] = {0, 0};
    scanInts(line, "GEOM", counts, 2);
    if (!acceptCount(counts[0], minVertexBytes) || !acceptCount(counts[1], minTriangleBytes))
        return false;
    if (!group.vertices.allocate(counts[0]) || !group.triangles.allocate(counts[1]))
        return refuse(MeshReadCheck::outOfMemory);
    group.vertexCount = counts[0];
    group.triangleCount = counts[1];
    for (int i = 0; i < group.vertexCount; ++i)
        readVertex(group.vertices[i]);
    for (int i = 0; i < group.triangleCount; ++i)
        readTriangle(group.triangles[i]);
    return true;
}

// A line taken straight from the text is all numbers, so it can end no section: the keyword
// tests after the last record see an empty line instead.
void MeshFileReader::takeLine(const char* next) {
    in.takeText(next);
    line = "";
    ++lineNumber;
}

void MeshFileReader::readVertex(MeshVertex& vertex) {
    static_assert(sizeof(MeshVertex) == 8 * sizeof(float));
    // Fields a short line leaves unset are 0.
    float values[8] = {};
    int stored = 0;
    if (const char* next = scanFloatsInText(in.unreadText(), values, 8, stored)) {
        takeLine(next);
    } else {
        std::fill(std::begin(values), std::end(values), 0.0f);
        nextLine();
        scanFloats(line, values, 8);
    }
    std::memcpy(&vertex, values, sizeof values);
}

void MeshFileReader::readTriangle(MeshTriangle& triangle) {
    // Corners a short line leaves unset are 0.
    MeshTriangle corners{};
    int stored = 0;
    if (const char* next = scanIntsInText(in.unreadText(), corners.indices, 3, stored)) {
        takeLine(next);
    } else {
        corners = MeshTriangle{};
        nextLine();
        scanInts(line, "", corners.indices, 3);
    }
    triangle = corners;
}

bool MeshFileReader::readMaterialSection() {
    int count = sections.materialCount;
    scanInts(line, "MATERIALS", &count, 1);
    if (!acceptCount(count, minMaterialBytes)) return false;
    auto materials = allocateRecords<MeshMaterial>(count);
    if (!materials && count > 0) return refuse(MeshReadCheck::outOfMemory);
    sections.materials = std::move(materials);
    sections.materialCount = count;
    sections.hasMaterials = true;
    for (int i = 0; i < count; ++i) {
        nextLine();
        scanWord(line, sections.materials[i].name, sizeof sections.materials[i].name);
        if (readPastEnd(line))
            noteEarlyEnd(MeshSection::materials, count, MeshRecord::materialName, i + 1,
                         lineNumber);
    }
    for (int i = 0; i < count; ++i) {
        const long long materialLine = lineNumber + 1;
        readMaterialColours(sections.materials[i]);
        if (readPastEnd(line))
            noteEarlyEnd(MeshSection::materials, count, MeshRecord::material, i + 1, materialLine);
    }
    return true;
}

void MeshFileReader::readMaterialColours(MeshMaterial& material) {
    nextLine();
    if (beginsWith(line, "MATERIAL ")) nextLine();
    scanFloats(line, material.diffuse, 4);
    nextLine();
    scanFloats(line, material.ambient, 4);
    float specularAndPower[5];
    std::memcpy(specularAndPower, material.specular, sizeof material.specular);
    specularAndPower[4] = material.power;
    nextLine();
    scanFloats(line, specularAndPower, 5);
    std::memcpy(material.specular, specularAndPower, sizeof material.specular);
    material.power = specularAndPower[4];
    nextLine();
    scanFloats(line, material.emissive, 4);
}

bool MeshFileReader::readTextureSection() {
    int count = sections.textureCount;
    scanInts(line, "TEXTURES", &count, 1);
    // The count is checked before the folder is asked for, so a refused file asks nothing.
    if (!acceptCount(count, minTextureBytes)) return false;
    auto names = allocateRecords<TextureName>(count);
    if (!names && count > 0) return refuse(MeshReadCheck::outOfMemory);
    if (!meshScene.texturesDirSet) meshScene.chooseTexturesDirectory();
    sections.textureNames = std::move(names);
    sections.textureCount = count;
    sections.hasTextures = true;
    TextureImageFinder images(meshScene.texturesDir, meshPath);
    TextureList list;
    for (int number = 1; number <= count; ++number)
        readTextureEntry(number, count, images, list);
    if (sections.replacesShownMesh) {
        meshScene.releaseMesh();
        sections.shownMeshReleased = true;
    }
    if (count > 0) loadTextures(list.imagePaths, list.names);
    sections.imagePaths = std::move(list.imagePaths);
    return true;
}

// Entry k becomes GL texture name k; an entry whose image paths do not fit is skipped.
void MeshFileReader::readTextureEntry(int number, int count, TextureImageFinder& images,
                                      TextureList& list) {
    char* name = sections.textureNames[number - 1];
    const char* entryLine = in.readLine();
    ++lineNumber;
    if (readPastEnd(entryLine))
        noteEarlyEnd(MeshSection::textures, count, MeshRecord::textureEntry, number, lineNumber);
    scanWord(entryLine, name, sizeof(TextureName));
    for (char* c = name; *c; ++c)
        *c = nativeNameCharacter(*c);
    char imagePath[textFieldSize];
    if (!images.find(name, imagePath, sizeof imagePath)) return;
    list.imagePaths.emplace_back(imagePath);
    list.names.push_back(static_cast<unsigned>(number));
}

std::vector<std::string> imagesOfLastMesh;

void commitSections(MeshSections& sections) {
    imagesOfLastMesh = std::move(sections.imagePaths);
    if (sections.hasGroups) {
        meshScene.groups = std::move(sections.groups);
        meshScene.groupCount = sections.groupCount;
    }
    if (sections.hasMaterials) {
        meshScene.materials = std::move(sections.materials);
        meshScene.materialCount = sections.materialCount;
    }
    if (sections.hasTextures) {
        meshScene.textureNames = std::move(sections.textureNames);
        meshScene.textureCount = sections.textureCount;
    }
}

bool readSections(LineReader& in, MeshSections& sections, const char* meshPath,
                  MeshReadResult& result) {
    MeshFileReader reader(in, sections, meshPath, result);
    while (!in.atEnd()) {
        reader.nextLine();
        if (beginsWith(reader.line, "GROUPS") && !reader.readGroupSection()) return false;
        if (beginsWith(reader.line, "MATERIALS") && !reader.readMaterialSection()) return false;
        if (beginsWith(reader.line, "TEXTURES")) return reader.readTextureSection();
    }
    return true;
}

// Asked only once the file was refused, to say why; reading never waits on the answer.
bool openFailed(const char* path, MeshReadResult& result) {
    const int openError = errno;
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    const bool otherKind =
        !error && std::filesystem::exists(status) && !std::filesystem::is_regular_file(status);
    result.check = otherKind ? MeshReadCheck::notRegularFile : MeshReadCheck::cannotOpen;
    result.systemError = otherKind ? 0 : openError;
    return false;
}

// Opens the file and checks its magic line.
bool openMeshFile(LineReader& in, const char* path, MeshReadResult& result) {
    result = MeshReadResult{};
    errno = 0;
    if (!in.open(path)) return openFailed(path, result);
    if (std::strcmp(in.readLine(), "MSHX1") != 0) {
        result.check = MeshReadCheck::notMagicLine;
        result.line = 1;
        return false;
    }
    return true;
}

} // namespace

bool loadMesh(const char* path) {
    MeshReadResult result;
    return loadMesh(path, result);
}

bool loadMesh(const char* path, MeshReadResult& result) {
    LineReader in;
    if (!openMeshFile(in, path, result)) return false;
    // Counts that a file does not declare keep the scene's values.
    MeshSections sections;
    sections.groupCount = meshScene.groupCount;
    sections.materialCount = meshScene.materialCount;
    sections.textureCount = meshScene.textureCount;
    if (!readSections(in, sections, path, result)) return false;
    commitSections(sections);
    return true;
}

bool replaceMesh(const char* path) {
    LineReader in;
    MeshReadResult result;
    if (!openMeshFile(in, path, result)) return false;
    // Counts start at 0, as they would after releaseMesh.
    MeshSections sections;
    sections.replacesShownMesh = true;
    if (!readSections(in, sections, path, result)) return false;
    if (!sections.shownMeshReleased) meshScene.releaseMesh();
    commitSections(sections);
    return true;
}

const std::vector<std::string>& meshImagePaths() {
    return imagesOfLastMesh;
}
