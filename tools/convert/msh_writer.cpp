#include "tools/convert/msh_writer.h"

#include "tools/convert/names.h"

#include <charconv>
#include <cstring>
#include <memory>
#include <string_view>
#include <system_error>

namespace {

// Lines gather in a large block that goes to the file whole. Every line starts with
// makeRoom(), which leaves room for far more than the longest line (a few hundred bytes).
class TextBlock {
  public:
    explicit TextBlock(std::FILE* stream) : out(stream), block(new char[capacity + slack]) {}

    bool flush() {
        if (used > 0 && std::fwrite(block.get(), 1, used, out) != used) ok = false;
        used = 0;
        return ok;
    }
    void makeRoom() {
        if (used > capacity) flush();
    }
    // Names are at most 255 characters; anything longer is cut to what a line can hold.
    void text(const char* s, std::size_t length) {
        makeRoom();
        if (length > longestLine) length = longestLine;
        std::memcpy(block.get() + used, s, length);
        used += length;
    }
    void text(const std::string& s) { text(s.data(), s.size()); }
    void text(const char* s) { text(s, std::strlen(s)); }
    void text(std::string_view s) { text(s.data(), s.size()); }
    void character(char c) { block[used++] = c; }
    // The shortest text that reads back as exactly this float.
    template <typename Number> void number(Number value) {
        auto result = std::to_chars(block.get() + used, block.get() + capacity + slack, value);
        if (result.ec == std::errc()) used = static_cast<std::size_t>(result.ptr - block.get());
    }
    void numbers(const float* values, int count) {
        for (int i = 0; i < count; ++i) {
            if (i > 0) character(' ');
            number(values[i]);
        }
        character('\n');
    }
    bool good() const { return ok; }

  private:
    static constexpr std::size_t capacity = 1 << 20;
    static constexpr std::size_t longestLine = 255;
    static constexpr std::size_t slack = 4096;
    std::FILE* out;
    std::unique_ptr<char[]> block;
    std::size_t used = 0;
    bool ok = true;
};

void writeGroupHeader(TextBlock& text, const MshGroup& group) {
    text.text(labelLineStart);
    text.text(group.label);
    text.text("\nMATERIAL ");
    text.number(static_cast<long long>(group.material));
    text.character('\n');
    if (group.texture > 0) {
        text.text("TEXTURE ");
        text.number(static_cast<long long>(group.texture));
        text.character('\n');
    }
    text.text("GEOM ");
    text.number(static_cast<long long>(group.vertices.size()));
    text.character(' ');
    text.number(static_cast<long long>(group.triangles.size()));
    text.character('\n');
}

void writeMaterials(TextBlock& text, const std::vector<MeshMaterial>& materials) {
    text.text("MATERIALS ");
    text.number(static_cast<long long>(materials.size()));
    text.character('\n');
    for (const MeshMaterial& material : materials) {
        text.text(material.name);
        text.character('\n');
    }
    for (const MeshMaterial& material : materials) {
        text.text(materialLineStart);
        text.text(material.name);
        text.character('\n');
        text.makeRoom();
        text.numbers(material.diffuse, 4);
        text.numbers(material.ambient, 4);
        const float specular[5] = {material.specular[0], material.specular[1], material.specular[2],
                                   material.specular[3], material.power};
        text.numbers(specular, 5);
        text.numbers(material.emissive, 4);
    }
}

// Heard at each hundredth of the lines, and at the end.
class LineProgress {
  public:
    LineProgress(const MshModel& model, const std::function<void(double)>& listener)
        : onProgress(listener) {
        for (const MshGroup& group : model.groups)
            totalLines += static_cast<long long>(group.vertices.size() + group.triangles.size());
        reportEvery = totalLines / 100 + 1;
    }
    void lineDone() {
        if (++linesDone < nextReport) return;
        nextReport = linesDone + reportEvery;
        if (onProgress) onProgress(static_cast<double>(linesDone) / totalLines);
    }
    void finish() {
        if (onProgress) onProgress(1.0);
    }

  private:
    const std::function<void(double)>& onProgress;
    long long totalLines = 1;
    long long reportEvery = 1;
    long long linesDone = 0;
    long long nextReport = 0;
};

void writeGeometry(TextBlock& text, const MshGroup& group, LineProgress& progress) {
    for (const MeshVertex& vertex : group.vertices) {
        text.makeRoom();
        static_assert(sizeof(MeshVertex) == 8 * sizeof(float));
        float values[8];
        std::memcpy(values, &vertex, sizeof values);
        text.numbers(values, 8);
        progress.lineDone();
    }
    for (const MeshTriangle& triangle : group.triangles) {
        text.makeRoom();
        for (int k = 0; k < 3; ++k) {
            if (k > 0) text.character(' ');
            text.number(static_cast<long long>(triangle.indices[k]));
        }
        text.character('\n');
        progress.lineDone();
    }
}

void writeTextures(TextBlock& text, const std::vector<std::string>& textures) {
    text.text("TEXTURES ");
    text.number(static_cast<long long>(textures.size()));
    text.character('\n');
    for (const std::string& name : textures) {
        text.text(name);
        text.character('\n');
    }
}

} // namespace

bool writeMsh(std::FILE* out, const MshModel& model,
              const std::function<void(double)>& onProgress) {
    LineProgress progress(model, onProgress);
    TextBlock text(out);
    text.text("MSHX1\nGROUPS ");
    text.number(static_cast<long long>(model.groups.size()));
    text.character('\n');
    for (const MshGroup& group : model.groups) {
        writeGroupHeader(text, group);
        writeGeometry(text, group, progress);
        if (!text.good()) return false;
    }
    writeMaterials(text, model.materials);
    writeTextures(text, model.textures);
    bool written = text.flush();
    progress.finish();
    return written;
}
