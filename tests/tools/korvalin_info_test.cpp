// korvalin-info run as users run it: a separate process on files written by the test, its
// standard output, standard error and exit status captured.
#include "tests/support/devil_image.h"
#include "tests/support/temp_folder.h"
#include "tests/support/tool_process.h"
#include "tests/support/worked_example.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

namespace {

// Runs the tool; one that does not start or does not exit normally fails the test.
ProcessRun runInfo(const std::vector<std::string>& arguments) {
    TempFolder capture;
    ProcessRun run = runProgram(KORVALIN_INFO_PATH, arguments, capture);
    if (run.status < 0)
        ADD_FAILURE() << KORVALIN_INFO_PATH << " did not run to a normal exit. " << run.err;
    return run;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> linesContaining(const std::string& text, const std::string& part) {
    std::vector<std::string> found;
    for (const std::string& line : linesOf(text))
        if (line.find(part) != std::string::npos) found.push_back(line);
    return found;
}

// The line split into words at blanks and the punctuation around numbers: "texture 3 out of
// range (textures: 2)" has the words "texture", "3", ..., "textures", "2".
bool lineHasWords(const std::string& line, std::initializer_list<std::string> wanted) {
    std::vector<std::string> words;
    std::string word;
    for (char c : line + " ") {
        if (c == ' ' || c == ':' || c == '(' || c == ')' || c == ',' || c == '"') {
            if (!word.empty()) words.push_back(word);
            word.clear();
        } else {
            word += c;
        }
    }
    for (const std::string& w : wanted)
        if (std::find(words.begin(), words.end(), w) == words.end()) return false;
    return true;
}

// Exactly one non-empty line ending in a newline.
void expectOneLine(const std::string& text) {
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n') << text;
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1) << text;
    EXPECT_GT(text.size(), 1u);
}

// Checks that a text is one JSON value (RFC 8259, UTF-8) and keeps every string it holds,
// decoded; an escape for a code point below 256 gives that one byte.
class JsonChecker {
  public:
    explicit JsonChecker(const std::string& json) : text(json) {}

    bool valid() {
        position = 0;
        strings.clear();
        skipSpace();
        if (!value()) return false;
        skipSpace();
        return position == text.size();
    }
    std::vector<std::string> strings;

  private:
    bool at(char c) const { return position < text.size() && text[position] == c; }
    bool isDigit() const {
        return position < text.size() && text[position] >= '0' && text[position] <= '9';
    }
    void skipSpace() {
        while (at(' ') || at('\t') || at('\n') || at('\r'))
            ++position;
    }
    bool value() {
        if (at('{')) return container('}', true);
        if (at('[')) return container(']', false);
        if (at('"')) return string();
        if (at('t')) return literal("true");
        if (at('f')) return literal("false");
        if (at('n')) return literal("null");
        return number();
    }
    bool container(char close, bool isObject) {
        ++position;
        skipSpace();
        if (at(close)) {
            ++position;
            return true;
        }
        for (;;) {
            skipSpace();
            if (isObject) {
                if (!at('"') || !string()) return false;
                skipSpace();
                if (!at(':')) return false;
                ++position;
                skipSpace();
            }
            if (!value()) return false;
            skipSpace();
            if (at(',')) {
                ++position;
                continue;
            }
            if (!at(close)) return false;
            ++position;
            return true;
        }
    }
    bool literal(const char* word) {
        std::size_t length = std::strlen(word);
        if (text.compare(position, length, word) != 0) return false;
        position += length;
        return true;
    }
    bool digits() {
        if (!isDigit()) return false;
        while (isDigit())
            ++position;
        return true;
    }
    bool number() {
        if (at('-')) ++position;
        if (at('0'))
            ++position;
        else if (!digits())
            return false;
        if (at('.')) {
            ++position;
            if (!digits()) return false;
        }
        if (at('e') || at('E')) {
            ++position;
            if (at('+') || at('-')) ++position;
            if (!digits()) return false;
        }
        return true;
    }
    // Length of the UTF-8 sequence starting here, 0 when it is not one.
    std::size_t utf8Length() const {
        unsigned char lead = static_cast<unsigned char>(text[position]);
        std::size_t length = lead >= 0xc2 && lead <= 0xdf   ? 2
                             : lead >= 0xe0 && lead <= 0xef ? 3
                             : lead >= 0xf0 && lead <= 0xf4 ? 4
                                                            : 0;
        if (length == 0 || position + length > text.size()) return 0;
        for (std::size_t i = 1; i < length; ++i)
            if ((static_cast<unsigned char>(text[position + i]) & 0xc0) != 0x80) return 0;
        return length;
    }
    bool string() {
        ++position;
        std::string decoded;
        while (position < text.size()) {
            unsigned char c = static_cast<unsigned char>(text[position]);
            if (c == '"') {
                ++position;
                strings.push_back(decoded);
                return true;
            }
            if (c < 0x20) return false;
            if (c >= 0x80) {
                std::size_t length = utf8Length();
                if (length == 0) return false;
                decoded.append(text, position, length);
                position += length;
                continue;
            }
            ++position;
            if (c != '\\') {
                decoded += static_cast<char>(c);
                continue;
            }
            if (position >= text.size()) return false;
            char escape = text[position++];
            const char* simple = "\"\\/bfnrt";
            const char* meaning = "\"\\/\b\f\n\r\t";
            if (const char* found = std::strchr(simple, escape); found && escape != '\0') {
                decoded += meaning[found - simple];
                continue;
            }
            if (escape != 'u' || position + 4 > text.size()) return false;
            unsigned codePoint = 0;
            for (int i = 0; i < 4; ++i) {
                char h = text[position++];
                unsigned digit = h >= '0' && h <= '9'   ? h - '0'
                                 : h >= 'a' && h <= 'f' ? h - 'a' + 10
                                 : h >= 'A' && h <= 'F' ? h - 'A' + 10
                                                        : 16;
                if (digit == 16) return false;
                codePoint = codePoint * 16 + digit;
            }
            decoded += codePoint < 256 ? static_cast<char>(codePoint) : '?';
        }
        return false;
    }

    const std::string& text;
    std::size_t position = 0;
};

// Worked out by hand from the file: the window group has no TEXTURE line (texture 0), the
// hull's specular line has no power (0). As 32-bit floats printed with 9 digits, 0.2 reads
// 0.200000003, 0.6 reads 0.600000024, 0.7 reads 0.699999988 and 0.4 reads 0.400000006.
const char* const workedExampleJson =
    "{\"groups\":["
    "{\"vertexCount\":3,\"triangleCount\":1,\"material\":1,\"texture\":1,"
    "\"vertices\":[[0,0,0,0,1,0,0,0],[1,0,0,0,1,0,1,0],[0,0,1,0,1,0,0,1]],"
    "\"triangles\":[[0,1,2]]},"
    "{\"vertexCount\":4,\"triangleCount\":2,\"material\":2,\"texture\":0,"
    "\"vertices\":[[0,1,0,0,0,1,0,0],[1,1,0,0,0,1,0,0],[1,1,1,0,0,1,0,0],[0,1,1,0,0,1,0,0]],"
    "\"triangles\":[[0,1,2],[0,2,3]]}],"
    "\"materials\":["
    "{\"name\":\"hull\",\"diffuse\":[1,1,1,1],"
    "\"ambient\":[0.200000003,0.200000003,0.200000003,1],\"specular\":[0,0,0,1],\"power\":0,"
    "\"emissive\":[0,0,0,1]},"
    "{\"name\":\"glass\",\"diffuse\":[0.5,0.600000024,0.699999988,0.400000006],"
    "\"ambient\":[0.5,0.600000024,0.699999988,0.400000006],\"specular\":[1,1,1,1],"
    "\"power\":20,\"emissive\":[0,0,0,1]}],"
    "\"textures\":[\"hull.dds\"]}\n";

// Writes a small opaque image with DevIL (the format follows the file name's extension).
void writeImage(const std::string& path) {
    ImagePixels image{4, 4, IL_RGBA, {}};
    for (unsigned i = 0; i < 4 * 4 * 4; ++i)
        image.bytes.push_back(static_cast<unsigned char>(i % 4 == 3 ? 255 : i * 5));
    ASSERT_TRUE(writeImageFile(path, image)) << path;
    // The tool has to be able to read it back: check with the same library.
    ASSERT_TRUE(readImageFile(path).loaded) << path;
}

class KorvalinInfoTest : public ::testing::Test {
  protected:
    TempFolder folder;
};

TEST_F(KorvalinInfoTest, WorkedExamplePrintsExactlyTheExpectedJson) {
    // Blanks, quotes and shell syntax in the path: they must reach the tool unchanged.
    std::string path =
        folder.write("it's a \"mesh\" $(x) `y`; z/worked example.msh", workedExampleMesh);
    ProcessRun run = runInfo({"--json", path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, workedExampleJson);
    JsonChecker json(run.out);
    EXPECT_TRUE(json.valid());

    // Options may follow the file; a textures folder does not change what is printed.
    writeImage(folder.file("textures/hull.dds"));
    run = runInfo({path, "--textures", folder.file("textures"), "--json"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, workedExampleJson);
}

TEST_F(KorvalinInfoTest, JsonFloatsHaveNineDigitsAndNonFiniteValuesAreNull) {
    std::string path = folder.write("floats.msh", "MSHX1\n"
                                                  "GROUPS 1\n"
                                                  "GEOM 2 1\n"
                                                  "0.1 -2.5 1e-3 nan inf -inf 3.14159274 16777217\n"
                                                  "1e20 -0 0.333333343 -1.17549435e-38 1e-45 "
                                                  "340282346638528859811704183484516925440 -nan 2\n"
                                                  "0 1 1\n"
                                                  "MATERIALS 1\n"
                                                  "m\n"
                                                  "MATERIAL m\n"
                                                  "nan 0.5 inf 1\n"
                                                  "0.1 0.2 0.3 0.4\n"
                                                  "1 1 1 1 inf\n"
                                                  "0 0 0 0\n");
    // By hand: 0.1 is stored as 0.100000001490116..., 1e-3 as 0.00100000004749745...,
    // 16777217 has no float and becomes 16777216, 1e20 is stored as 100000002004087734272,
    // 1e-45 becomes the smallest denormal 1.40129846e-45, the long number is the largest
    // float 3.40282347e+38, 0.3 is 0.300000011920929...; a group without MATERIAL line
    // keeps -1.
    const char* expected =
        "{\"groups\":[{\"vertexCount\":2,\"triangleCount\":1,\"material\":-1,\"texture\":0,"
        "\"vertices\":[[0.100000001,-2.5,0.00100000005,null,null,null,3.14159274,16777216],"
        "[1.00000002e+20,-0,0.333333343,-1.17549435e-38,1.40129846e-45,3.40282347e+38,null,2]],"
        "\"triangles\":[[0,1,1]]}],"
        "\"materials\":[{\"name\":\"m\",\"diffuse\":[null,0.5,null,1],"
        "\"ambient\":[0.100000001,0.200000003,0.300000012,0.400000006],"
        "\"specular\":[1,1,1,1],\"power\":null,\"emissive\":[0,0,0,0]}],"
        "\"textures\":[]}\n";
    ProcessRun run = runInfo({"--json", path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, expected);
    JsonChecker json(run.out);
    EXPECT_TRUE(json.valid()) << run.out;
}

TEST_F(KorvalinInfoTest, NamesWithQuotesBackslashesAndControlBytesStayValidJson) {
    const std::string quoted = "q\"b\\s\x01"
                               "e\x1f";
    const std::string high = "\x7f\xe9t";
    const std::string texture = "t\"x\x02.png";
    std::string path = folder.write("names.msh", "MSHX1\n"
                                                 "MATERIALS 2\n" +
                                                     quoted + " more words\n" + high +
                                                     "\n"
                                                     "1 1 1 1\n1 1 1 1\n1 1 1 1 5\n0 0 0 1\n"
                                                     "1 1 1 1\n1 1 1 1\n1 1 1 1 5\n0 0 0 1\n"
                                                     "TEXTURES 1\n" +
                                                     texture + "\n");
    ProcessRun run = runInfo({"--json", path});
    ASSERT_EQ(run.status, 0) << run.err;
    JsonChecker json(run.out);
    ASSERT_TRUE(json.valid()) << run.out;
    // Names are the first word of their line, byte for byte.
    EXPECT_NE(std::find(json.strings.begin(), json.strings.end(), quoted), json.strings.end())
        << run.out;
    EXPECT_NE(std::find(json.strings.begin(), json.strings.end(), texture), json.strings.end())
        << run.out;
    EXPECT_EQ(run.out.find("more"), std::string::npos);
}

// The one line says, in the reader's words, which check refused the file and on which line.
TEST_F(KorvalinInfoTest, FilesThatDoNotLoadExitOneWithOneLineOnStderr) {
    struct Row {
        std::string path;
        std::string said; // after "korvalin-info: " and the path
    };
    const std::vector<Row> rows = {
        {folder.file("missing.msh"), ": cannot open: "},
        {folder.path(), ": not a regular file"},
        {folder.write("other-magic.msh", "MSHX2\nGROUPS 0\n"), ":1: not a mesh file"},
        {folder.write("lower-case.msh", "mshx1\nGROUPS 0\n"), ":1: not a mesh file"},
        {folder.write("trailing-blank.msh", "MSHX1 \nGROUPS 0\n"), ":1: not a mesh file"},
        {folder.write("empty.msh", ""), ":1: not a mesh file"},
        {folder.write("huge-count.msh", "MSHX1\nGROUPS 999999\n"),
         ":2: the count declares more records than the file could hold"},
        {folder.write("huge-geometry.msh", "MSHX1\nGROUPS 1\nLABEL a\nGEOM 99999 1\n"),
         ":4: the count declares more records than the file could hold"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        for (bool json : {false, true}) {
            ProcessRun run = json ? runInfo({"--json", row.path}) : runInfo({row.path});
            EXPECT_EQ(run.status, 1);
            EXPECT_EQ(run.out, "");
            expectOneLine(run.err);
            EXPECT_EQ(run.err.rfind("korvalin-info: " + row.path + row.said, 0), 0u) << run.err;
        }
    }
}

TEST_F(KorvalinInfoTest, BadUsageExitsTwo) {
    std::string mesh = folder.write("a.msh", workedExampleMesh);
    std::string other = folder.write("b.msh", workedExampleMesh);
    std::vector<std::vector<std::string>> usages = {
        {},
        {"--json"},
        {"--bogus", mesh},
        {mesh, "-x"},
        {mesh, other},
        {"--json", mesh, other},
        {"--textures"},
        {mesh, "--textures"},
        {"--json", mesh, "--textures"},
    };
    for (const std::vector<std::string>& usage : usages) {
        std::string shown;
        for (const std::string& word : usage)
            shown += " [" + word + "]";
        SCOPED_TRACE("arguments:" + shown);
        ProcessRun run = runInfo(usage);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out.find("groups"), std::string::npos) << "a mesh was printed";
    }
}

// Group 1: material 3 of 2 (out), texture 2 of 4 (in), corner 4 of 4 vertices (out).
// Group 2: material 2 (in), texture 3 of 4 (in; out with 2 entries), corner -1 (out).
// Group 3: material 0 and texture 0 (in: the defaults).
const char* const numbersMesh = "MSHX1\n"
                                "GROUPS 3\n"
                                "LABEL a\n"
                                "MATERIAL 3\n"
                                "TEXTURE 2\n"
                                "GEOM 4 2\n"
                                "0 0 0 0 0 1 0 0\n"
                                "1 0 0 0 0 1 1 0\n"
                                "1 1 0 0 0 1 1 1\n"
                                "0 1 0 0 0 1 0 1\n"
                                "0 1 3\n"
                                "1 2 4\n"
                                "LABEL b\n"
                                "MATERIAL 2\n"
                                "TEXTURE 3\n"
                                "GEOM 3 1\n"
                                "0 0 0 0 0 1 0 0\n"
                                "1 0 0 0 0 1 1 0\n"
                                "0 1 0 0 0 1 0 1\n"
                                "2 0 -1\n"
                                "LABEL c\n"
                                "MATERIAL 0\n"
                                "TEXTURE 0\n"
                                "GEOM 3 1\n"
                                "0 0 0 0 0 1 0 0\n"
                                "1 0 0 0 0 1 1 0\n"
                                "0 1 0 0 0 1 0 1\n"
                                "0 1 2\n"
                                "MATERIALS 2\n"
                                "m1\n"
                                "m2\n"
                                "1 1 1 1\n1 1 1 1\n0 0 0 1\n0 0 0 1\n"
                                "1 1 1 1\n1 1 1 1\n0 0 0 1\n0 0 0 1\n"
                                "TEXTURES 4\n"
                                "present.png\n"
                                "absent.png\n"
                                "Present.PNG\n"
                                "BROKEN.PNG\n";

TEST_F(KorvalinInfoTest, SummaryNamesImagesThatDidNotLoadAndNumbersOutOfRange) {
    std::string textures = folder.file("images");
    writeImage(textures + "/present.png");
    folder.write("images/broken.png", "no image in here");
    std::string path = folder.write("numbers.msh", numbersMesh);

    ProcessRun run = runInfo({"--textures", textures, path});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::string> missing = linesContaining(run.out, "did not load");
    ASSERT_EQ(missing.size(), 2u) << run.out;
    EXPECT_NE(missing[0].find(textures + "/absent.png"), std::string::npos) << run.out;
    // Named by the file that was tried: the one whose name differs only in letter case.
    EXPECT_NE(missing[1].find(textures + "/broken.png"), std::string::npos) << run.out;

    // With texture 3 of 4 in range, the findings are exactly the three numbers out of range.
    std::vector<std::string> outOfRange = linesContaining(run.out, "out of range");
    EXPECT_EQ(outOfRange.size(), 3u) << run.out;
    auto reported = [&](std::initializer_list<std::string> words) {
        for (const std::string& line : outOfRange)
            if (lineHasWords(line, words)) return true;
        return false;
    };
    EXPECT_TRUE(reported({"material", "3"})) << run.out;
    EXPECT_TRUE(reported({"4"})) << run.out;
    EXPECT_TRUE(reported({"-1"})) << run.out;
    EXPECT_FALSE(reported({"texture", "3"})) << "texture 3 of 4 is in range\n" << run.out;

    // One texture entry fewer: group 2's texture 3 is now above the count.
    std::string twoTextures = numbersMesh;
    twoTextures.replace(twoTextures.find("TEXTURES 4"), 10, "TEXTURES 2");
    twoTextures.erase(twoTextures.find("Present.PNG\n"));
    path = folder.write("two-textures.msh", twoTextures);
    run = runInfo({"--textures", textures, path});
    ASSERT_EQ(run.status, 0) << run.err;
    outOfRange = linesContaining(run.out, "out of range");
    EXPECT_EQ(outOfRange.size(), 4u) << run.out;
    EXPECT_TRUE(reported({"texture", "3"})) << run.out;
}

// Images that crash, abort or loop the image library in process: the tool survives them, names
// each one that did not load, and loads the good image between and after them.
TEST_F(KorvalinInfoTest, HostileImagesAreNamedAndTheImagesAroundThemStillLoad) {
    const std::string hostile = KORVALIN_SAMPLES_DIR "/../tests/data/hostile-images";
    std::string path = folder.write("hostile.msh", "MSHX1\nTEXTURES 5\n"
                                                   "segfault-dds.dds\n"
                                                   "../../../samples/crate.png\n"
                                                   "hang-png.png\n"
                                                   "abort-gif.gif\n"
                                                   "../../../samples/stripes.tga\n");
    ProcessRun run = runInfo({"--textures", hostile, path});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::string> missing = linesContaining(run.out, "did not load");
    EXPECT_EQ(linesContaining(run.out, "texture 1 did not load").size(), 1u) << run.out;
    EXPECT_EQ(linesContaining(run.out, "texture 3 did not load").size(), 1u) << run.out;
    // The GIF may decode to some picture: its corruption shows only in the helper's heap.
    for (const std::string& line : missing) {
        EXPECT_EQ(line.find("crate.png"), std::string::npos) << run.out;
        EXPECT_EQ(line.find("stripes.tga"), std::string::npos) << run.out;
    }
}

TEST_F(KorvalinInfoTest, WithoutATexturesFolderImagePathsStartAtTheRoot) {
    std::string textures = folder.file("images");
    writeImage(textures + "/present.png");
    std::string path = folder.write("numbers.msh", numbersMesh);

    ProcessRun run = runInfo({path});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::string> missing = linesContaining(run.out, "did not load");
    ASSERT_EQ(missing.size(), 4u) << run.out;
    EXPECT_TRUE(lineHasWords(missing[0], {"/present.png"})) << run.out;
    EXPECT_TRUE(lineHasWords(missing[1], {"/absent.png"})) << run.out;
    EXPECT_TRUE(lineHasWords(missing[2], {"/Present.PNG"})) << run.out;
    EXPECT_TRUE(lineHasWords(missing[3], {"/BROKEN.PNG"})) << run.out;
    EXPECT_EQ(run.out.find(textures), std::string::npos) << run.out;
}

TEST_F(KorvalinInfoTest, ACompleteFileReportsNothingMissing) {
    std::string textures = folder.file("textures");
    writeImage(textures + "/hull.dds");
    std::string path = folder.write("worked.msh", workedExampleMesh);

    ProcessRun run = runInfo({"--textures", textures, path});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::string> lines = linesOf(run.out);
    for (const char* count :
         {"groups: 2", "vertices: 7", "triangles: 3", "materials: 2", "textures: 1"})
        EXPECT_NE(std::find(lines.begin(), lines.end(), count), lines.end()) << count << "\n"
                                                                             << run.out;
    EXPECT_EQ(linesContaining(run.out, "did not load").size(), 0u) << run.out;
    EXPECT_EQ(linesContaining(run.out, "out of range").size(), 0u) << run.out;
    EXPECT_EQ(linesContaining(run.out, "not checked").size(), 0u) << run.out;

    // The same file without its image: now the entry is named.
    std::filesystem::remove(textures + "/hull.dds");
    run = runInfo({"--textures", textures, path});
    ASSERT_EQ(run.status, 0) << run.err;
    std::vector<std::string> missing = linesContaining(run.out, "did not load");
    ASSERT_EQ(missing.size(), 1u) << run.out;
    EXPECT_NE(missing[0].find(textures + "/hull.dds"), std::string::npos) << run.out;
}

TEST_F(KorvalinInfoTest, TheSampleHullLoads) {
    std::string sample = std::string(KORVALIN_SAMPLES_DIR) + "/hull.msh";
    if (!std::filesystem::exists(sample)) GTEST_SKIP() << sample << " is not there yet";
    ProcessRun run = runInfo({"--json", sample});
    EXPECT_EQ(run.status, 0) << run.err;
    JsonChecker json(run.out);
    EXPECT_TRUE(json.valid());
    EXPECT_EQ(run.out.rfind("{\"groups\":[{", 0), 0u) << "no groups in the sample";
}

} // namespace

namespace {

// A file that ends before its declared counts are used up still loads, and the summary says
// in one line which section ran short, in which record and on which line that record begins;
// a file that holds what it declares says nothing.
TEST_F(KorvalinInfoTest, SaysWhichSectionRanShortWhenAFileEndsEarly) {
    struct Row {
        const char* what;
        std::string mesh;
        std::string shortAt; // empty: the file is whole
    };
    const std::string material = "1 1 1 1\n0.2 0.2 0.2 1\n0 0 0 1\n0 0 0 1\n";
    for (const Row& row : std::vector<Row>{
             {"GROUPS with nothing after it", "MSHX1\nGROUPS 5\n",
              "GROUPS 5 ran short at group 1 of 5, line 3"},
             {"a group cut in its vertices", "MSHX1\nGROUPS 2\nGEOM 4 2\n1 1 1 1 1 1 1 1\n2 2",
              "GROUPS 2 ran short at group 1 of 2, line 3"},
             {"a group without its triangle", "MSHX1\nGROUPS 1\nGEOM 1 1\n0 0 0 0 0 0 0 0\n",
              "GROUPS 1 ran short at group 1 of 1, line 3"},
             {"a material without its colours", "MSHX1\nMATERIALS 2\na\nb\n" + material,
              "MATERIALS 2 ran short at material 2 of 2, line 9"},
             {"a texture list one entry short", "MSHX1\nTEXTURES 3\na.png\nb.png\n",
              "TEXTURES 3 ran short at entry 3 of 3, line 5"},
             {"a triangle line that opens the texture list",
              "MSHX1\nGROUPS 1\nGEOM 0 1\nTEXTURES 2\na.png\n",
              "TEXTURES 2 ran short at entry 2 of 2, line 6"},
             {"the worked example", workedExampleMesh, ""},
             {"a whole file of zeros",
              "MSHX1\nGROUPS 1\nGEOM 1 1\n0 0 0 0 0 0 0 0\n0 0 0\n"
              "MATERIALS 1\na\n0 0 0 0\n0 0 0 0\n0 0 0 0\n0 0 0 0\n",
              ""},
             {"a last entry without a line end", "MSHX1\nTEXTURES 2\na.png\nb.png", ""},
         }) {
        SCOPED_TRACE(row.what);
        std::string path = folder.write("short.msh", row.mesh);
        ProcessRun run = runInfo({path});
        EXPECT_EQ(run.status, 0) << run.err;
        std::vector<std::string> said = linesContaining(run.out, "ends early");
        if (row.shortAt.empty()) {
            EXPECT_TRUE(said.empty()) << run.out;
            continue;
        }
        ASSERT_EQ(said.size(), 1u) << run.out;
        EXPECT_EQ(said[0], "file ends early: " + row.shortAt);
        // The JSON on standard output stays one object alone; the note goes to stderr.
        run = runInfo({"--json", path});
        EXPECT_TRUE(JsonChecker(run.out).valid()) << run.out;
        EXPECT_EQ(run.err, "korvalin-info: " + path + " ends early: " + row.shortAt + "\n");
    }
}

} // namespace
