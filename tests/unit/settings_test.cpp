#include "settings/settings_file.h"

#include "mesh/mesh_scene.h"
#include "platform/atomic_file.h"
#include "render/sensitivity.h"
#include "tests/support/scene_reset.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

using Names = std::vector<std::string>;

// The names in a folder, sorted; a leftover temporary file shows up here.
Names entriesOf(const std::string& folder) {
    Names names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::uint32_t bitsOf(float value) {
    return std::bit_cast<std::uint32_t>(value);
}

void resetSettings() {
    mouseSensitivity = defaultMouseSensitivity;
    zoomSensitivity = defaultZoomSensitivity;
    settingsPath[0] = '\0';
    resetMeshScene();
}

class SettingsFileTest : public ::testing::Test {
  protected:
    void SetUp() override { resetSettings(); }
    void TearDown() override { resetSettings(); }

    void useFolder() { ASSERT_TRUE(buildSettingsPath(folder.path().c_str())); }
    std::string settingsFile() const { return folder.file("Korvalin.ini"); }
    std::string saved() const { return readWholeFile(settingsFile()); }

    bool loadFrom(const std::string& content) {
        folder.write("Korvalin.ini", content);
        useFolder();
        return loadSettings();
    }

    void expectDirectorySetTo(const char* directory) {
        EXPECT_TRUE(meshScene.texturesDirSet);
        EXPECT_STREQ(meshScene.texturesDirectory(), directory);
    }

    TempFolder folder;
};

// --- No file, empty and short files -------------------------------------------------------

TEST_F(SettingsFileTest, NoFileReturnsFalseAndKeepsTheDefaults) {
    useFolder();
    EXPECT_FALSE(loadSettings());
    EXPECT_EQ(mouseSensitivity, 0.1f);
    EXPECT_EQ(zoomSensitivity, 2.0f);
    EXPECT_FALSE(meshScene.texturesDirSet);
    EXPECT_STREQ(meshScene.texturesDirectory(), "");
}

TEST_F(SettingsFileTest, NoFileKeepsValuesSetEarlier) {
    mouseSensitivity = 0.5f;
    zoomSensitivity = 7.0f;
    meshScene.setTexturesDirectory("/kept");
    useFolder();
    EXPECT_FALSE(loadSettings());
    EXPECT_EQ(mouseSensitivity, 0.5f);
    EXPECT_EQ(zoomSensitivity, 7.0f);
    expectDirectorySetTo("/kept");
}

TEST_F(SettingsFileTest, EmptyFileKeepsTheNumbersAndSetsAnEmptyDirectory) {
    EXPECT_TRUE(loadFrom(""));
    EXPECT_EQ(mouseSensitivity, 0.1f);
    EXPECT_EQ(zoomSensitivity, 2.0f);
    expectDirectorySetTo("");
}

TEST_F(SettingsFileTest, TwoLinesGiveBothNumbersAndAnEmptyDirectory) {
    meshScene.setTexturesDirectory("/old");
    EXPECT_TRUE(loadFrom("0.3\n4.5\n"));
    EXPECT_EQ(mouseSensitivity, 0.3f);
    EXPECT_EQ(zoomSensitivity, 4.5f);
    expectDirectorySetTo("");
}

TEST_F(SettingsFileTest, OneLineGivesOnlyTheMouseSensitivity) {
    EXPECT_TRUE(loadFrom("0.7"));
    EXPECT_EQ(mouseSensitivity, 0.7f);
    EXPECT_EQ(zoomSensitivity, 2.0f);
    expectDirectorySetTo("");
}

TEST_F(SettingsFileTest, LastLineWithoutLineEndIsReadWhole) {
    EXPECT_TRUE(loadFrom("0.3\n4.5\n/tex/dir"));
    expectDirectorySetTo("/tex/dir");
    EXPECT_TRUE(loadFrom("0.6\n3.25"));
    EXPECT_EQ(zoomSensitivity, 3.25f);
}

TEST_F(SettingsFileTest, NothingAfterTheThirdLineIsRead) {
    EXPECT_TRUE(loadFrom("0.3\n4.5\n/tex\n/other\n9\n"));
    EXPECT_EQ(mouseSensitivity, 0.3f);
    EXPECT_EQ(zoomSensitivity, 4.5f);
    expectDirectorySetTo("/tex");
}

// --- Line ends ----------------------------------------------------------------------------

TEST_F(SettingsFileTest, WindowsLineEndsReadLikeLinuxOnes) {
    EXPECT_TRUE(loadFrom("0.3\r\n4.5\r\n/tex/dir\r\n"));
    EXPECT_EQ(mouseSensitivity, 0.3f);
    EXPECT_EQ(zoomSensitivity, 4.5f);
    expectDirectorySetTo("/tex/dir");

    resetSettings();
    EXPECT_TRUE(loadFrom("0.3\n4.5\n/tex/dir\n"));
    EXPECT_EQ(mouseSensitivity, 0.3f);
    EXPECT_EQ(zoomSensitivity, 4.5f);
    expectDirectorySetTo("/tex/dir");
}

TEST_F(SettingsFileTest, CarriageReturnNotBeforeALineFeedStaysInTheLine) {
    EXPECT_TRUE(loadFrom("0.3\n4.5\n/te\rx\r\n"));
    expectDirectorySetTo("/te\rx");
}

// --- Long lines ---------------------------------------------------------------------------

std::string patterned(std::size_t length) {
    std::string text = "/";
    while (text.size() < length)
        text += static_cast<char>('a' + text.size() % 26);
    return text;
}

TEST_F(SettingsFileTest, LongThirdLineKeepsItsFirst255Characters) {
    std::string directory = patterned(300);
    EXPECT_TRUE(loadFrom("0.3\n4.5\n" + directory + "\n"));
    EXPECT_EQ(mouseSensitivity, 0.3f);
    EXPECT_EQ(zoomSensitivity, 4.5f);
    expectDirectorySetTo(directory.substr(0, 255).c_str());
}

TEST_F(SettingsFileTest, LinesOf255CharactersAreReadWholeAndTheNextLinesFollow) {
    std::string mouseLine = "0.5" + std::string(252, ' ');
    std::string directory = patterned(255);
    EXPECT_TRUE(loadFrom(mouseLine + "\n3\n" + directory + "\n"));
    EXPECT_EQ(mouseSensitivity, 0.5f);
    EXPECT_EQ(zoomSensitivity, 3.0f);
    expectDirectorySetTo(directory.c_str());

    resetSettings();
    EXPECT_TRUE(loadFrom(mouseLine + "\r\n3\r\n" + directory + "\r\n"));
    EXPECT_EQ(zoomSensitivity, 3.0f);
    expectDirectorySetTo(directory.c_str());
}

TEST_F(SettingsFileTest, LongFirstLineIsCutAndTheLaterLinesReadEmpty) {
    EXPECT_TRUE(loadFrom("0.25" + std::string(296, 'x') + "\n3\n/tex\n"));
    EXPECT_EQ(mouseSensitivity, 0.25f);
    EXPECT_EQ(zoomSensitivity, 2.0f);
    expectDirectorySetTo("");
}

TEST_F(SettingsFileTest, OnlyTheFirst255CharactersOfALongLineAreScanned) {
    EXPECT_TRUE(loadFrom(std::string(255, ' ') + "7\n3\n/tex\n"));
    EXPECT_EQ(mouseSensitivity, 0.1f);
    EXPECT_EQ(zoomSensitivity, 2.0f);
    expectDirectorySetTo("");
}

TEST_F(SettingsFileTest, LongSecondLineEmptiesTheThird) {
    EXPECT_TRUE(loadFrom("0.5\n4.5" + std::string(297, ' ') + "\n/tex\n"));
    EXPECT_EQ(mouseSensitivity, 0.5f);
    EXPECT_EQ(zoomSensitivity, 4.5f);
    expectDirectorySetTo("");
}

// --- Numbers ------------------------------------------------------------------------------

TEST_F(SettingsFileTest, LineWithoutANumberKeepsTheValueAndTheNextLineIsRead) {
    EXPECT_TRUE(loadFrom("abc\n3.5\n/t\n"));
    EXPECT_EQ(mouseSensitivity, 0.1f);
    EXPECT_EQ(zoomSensitivity, 3.5f);
    expectDirectorySetTo("/t");

    EXPECT_TRUE(loadFrom("\n.\n/u\n"));
    EXPECT_EQ(mouseSensitivity, 0.1f);
    EXPECT_EQ(zoomSensitivity, 3.5f);
    expectDirectorySetTo("/u");
}

TEST_F(SettingsFileTest, LeadingBlanksAreSkippedAndTrailingTextIgnored) {
    EXPECT_TRUE(loadFrom("  0.25abc\n\t 7.5 notches\n"));
    EXPECT_EQ(mouseSensitivity, 0.25f);
    EXPECT_EQ(zoomSensitivity, 7.5f);
}

TEST_F(SettingsFileTest, NegativeZeroAndHugeNumbersAreTaken) {
    EXPECT_TRUE(loadFrom("-0.5\n0\n"));
    EXPECT_EQ(mouseSensitivity, -0.5f);
    EXPECT_EQ(zoomSensitivity, 0.0f);
    EXPECT_TRUE(loadFrom("1e30\n-3e38\n"));
    EXPECT_EQ(mouseSensitivity, 1e30f);
    EXPECT_EQ(zoomSensitivity, -3e38f);
}

TEST_F(SettingsFileTest, NonFiniteNumbersLeaveTheValueUnchanged) {
    for (const char* text : {"nan", "NAN", "nan(7)", "inf", "-inf", "infinity", "1e39", "-1e39"}) {
        SCOPED_TRACE(text);
        mouseSensitivity = 0.4f;
        zoomSensitivity = 5.0f;
        EXPECT_TRUE(loadFrom(std::string(text) + "\n" + text + "\n/tex\n"));
        EXPECT_EQ(bitsOf(mouseSensitivity), bitsOf(0.4f));
        EXPECT_EQ(bitsOf(zoomSensitivity), bitsOf(5.0f));
        expectDirectorySetTo("/tex");
    }
    EXPECT_TRUE(loadFrom("inf\n3\n"));
    EXPECT_EQ(mouseSensitivity, 0.4f);
    EXPECT_EQ(zoomSensitivity, 3.0f);
}

// --- Writing ------------------------------------------------------------------------------

TEST_F(SettingsFileTest, DefaultsWithoutADirectoryWriteSixBytes) {
    useFolder();
    EXPECT_TRUE(saveSettings());
    EXPECT_EQ(saved(), "0.1\n2\n");
}

TEST_F(SettingsFileTest, DirectoryIsTheLastLineWithoutALineEnd) {
    meshScene.setTexturesDirectory("/home/u/tex");
    useFolder();
    EXPECT_TRUE(saveSettings());
    EXPECT_EQ(saved(), "0.1\n2\n/home/u/tex");
}

TEST_F(SettingsFileTest, DirectoryNotChosenIsWrittenEmpty) {
    // Text left in the field does not count until a directory was chosen or loaded.
    std::strcpy(meshScene.texturesDir, "/not/chosen");
    useFolder();
    EXPECT_TRUE(saveSettings());
    EXPECT_EQ(saved(), "0.1\n2\n");
}

TEST_F(SettingsFileTest, NumbersAreWrittenInShortGeneralForm) {
    useFolder();
    mouseSensitivity = 0.29f;
    zoomSensitivity = 4.7f;
    EXPECT_TRUE(saveSettings());
    EXPECT_EQ(saved(), "0.29\n4.7\n");
    mouseSensitivity = 1e-05f;
    zoomSensitivity = 123456789.0f;
    EXPECT_TRUE(saveSettings());
    EXPECT_EQ(saved(), "1e-05\n1.23457e+08\n");
    mouseSensitivity = -0.5f;
    zoomSensitivity = 0.0f;
    EXPECT_TRUE(saveSettings());
    EXPECT_EQ(saved(), "-0.5\n0\n");
}

TEST_F(SettingsFileTest, SaveReplacesALongerFileWhole) {
    folder.write("Korvalin.ini", "0.5\n3\n/a/much/longer/old/directory/name\n\n\n");
    useFolder();
    EXPECT_TRUE(saveSettings());
    EXPECT_EQ(saved(), "0.1\n2\n");
    EXPECT_EQ(entriesOf(folder.path()), Names{"Korvalin.ini"});
}

TEST_F(SettingsFileTest, NewFileGetsThePermissionsTheUmaskAllows) {
    useFolder();
    for (mode_t mask : {mode_t{022}, mode_t{077}}) {
        std::filesystem::remove(settingsFile());
        mode_t previous = umask(mask);
        bool written = saveSettings();
        umask(previous);
        ASSERT_TRUE(written);
        struct stat status = {};
        ASSERT_EQ(stat(settingsFile().c_str(), &status), 0);
        EXPECT_EQ(status.st_mode & 0777, 0666 & ~mask);
    }
}

// A saved file is never more readable than the one its values came from, and an existing file
// keeps its mode; a link is replaced by a regular file, its target left as it was.
TEST_F(SettingsFileTest, SavedFileIsNeverMoreReadableThanTheOneReadAndKeepsItsMode) {
    struct Row {
        const char* what;
        mode_t umaskBits;
        mode_t fileMode; // of the file read (a link's target, when linked)
        bool linked;     // Korvalin.ini is a link to that file
        bool goneBySave; // the file read is removed before the save
        mode_t expected;
    };
    for (const Row& row : {
             Row{"a 0600 file", 022, 0600, false, false, 0600},
             Row{"a link to a 0600 file", 022, 0600, true, false, 0600},
             Row{"a 0640 file under umask 077", 077, 0640, false, false, 0640},
             Row{"a 0600 file removed before the save", 022, 0600, false, true, 0600},
             Row{"a 0644 file", 077, 0644, false, false, 0644},
         }) {
        SCOPED_TRACE(row.what);
        TempFolder elsewhere;
        std::string read = row.linked ? elsewhere.write("private.ini", "0.4\n3\n/secret\n")
                                      : folder.write("Korvalin.ini", "0.4\n3\n/secret\n");
        ASSERT_EQ(chmod(read.c_str(), row.fileMode), 0);
        if (row.linked) {
            ASSERT_EQ(symlink(read.c_str(), settingsFile().c_str()), 0);
        }
        useFolder();
        ASSERT_TRUE(loadSettings());
        if (row.goneBySave) std::filesystem::remove(read);
        mode_t previous = umask(row.umaskBits);
        bool written = saveSettings();
        umask(previous);
        ASSERT_TRUE(written);

        struct stat status = {};
        ASSERT_EQ(lstat(settingsFile().c_str(), &status), 0);
        EXPECT_TRUE(S_ISREG(status.st_mode)) << "the link was written through";
        EXPECT_EQ(status.st_mode & 0777, row.expected);
        EXPECT_EQ(saved(), "0.4\n3\n/secret");
        if (row.linked) {
            EXPECT_EQ(readWholeFile(read), "0.4\n3\n/secret\n") << "the link's target changed";
            ASSERT_EQ(stat(read.c_str(), &status), 0);
            EXPECT_EQ(status.st_mode & 0777, row.fileMode);
        }
        std::filesystem::remove(settingsFile());
        resetSettings();
    }
}

// --- Round trips --------------------------------------------------------------------------

TEST_F(SettingsFileTest, WrittenFileReadsBackTheSameAndWritesTheSameBytes) {
    mouseSensitivity = 0.37f;
    zoomSensitivity = 12.5f;
    meshScene.setTexturesDirectory("/data/tex dir");
    useFolder();
    ASSERT_TRUE(saveSettings());
    std::string first = saved();

    mouseSensitivity = 1.0f;
    zoomSensitivity = 1.0f;
    resetMeshScene();
    ASSERT_TRUE(loadSettings());
    EXPECT_EQ(mouseSensitivity, 0.37f);
    EXPECT_EQ(zoomSensitivity, 12.5f);
    expectDirectorySetTo("/data/tex dir");
    ASSERT_TRUE(saveSettings());
    EXPECT_EQ(saved(), first);
}

TEST_F(SettingsFileTest, LongestDirectoryRoundTrips) {
    std::string directory = patterned(255);
    meshScene.setTexturesDirectory(directory.c_str());
    useFolder();
    ASSERT_TRUE(saveSettings());
    resetMeshScene();
    ASSERT_TRUE(loadSettings());
    expectDirectorySetTo(directory.c_str());
}

// Saves both values, spoils them, loads them back and compares the bits.
void expectRoundTrip(float mouse, float zoom) {
    mouseSensitivity = mouse;
    zoomSensitivity = zoom;
    ASSERT_TRUE(saveSettings());
    mouseSensitivity = -1.0f;
    zoomSensitivity = -1.0f;
    ASSERT_TRUE(loadSettings());
    EXPECT_EQ(bitsOf(mouseSensitivity), bitsOf(mouse)) << mouse;
    EXPECT_EQ(bitsOf(zoomSensitivity), bitsOf(zoom)) << zoom;
}

TEST_F(SettingsFileTest, EverySensitivityDialogValueRoundTripsBitForBit) {
    useFolder();
    for (int k = 1; k <= 50; ++k) {
        SCOPED_TRACE(k);
        expectRoundTrip(static_cast<float>(k) / 100.0f, static_cast<float>(k) / 10.0f);
        expectRoundTrip(static_cast<float>(k * 0.01), static_cast<float>(k * 0.1));
    }
}

// --- The settings path --------------------------------------------------------------------

TEST_F(SettingsFileTest, PathIsTheFolderASlashAndTheFileName) {
    EXPECT_TRUE(buildSettingsPath("/home/u/korvalin"));
    EXPECT_STREQ(settingsPath, "/home/u/korvalin/Korvalin.ini");
    EXPECT_TRUE(buildSettingsPath("/home/u/"));
    EXPECT_STREQ(settingsPath, "/home/u//Korvalin.ini");
    EXPECT_TRUE(buildSettingsPath("/"));
    EXPECT_STREQ(settingsPath, "//Korvalin.ini");
}

TEST_F(SettingsFileTest, PathOf255CharactersFitsAndOneMoreDoesNot) {
    // "/Korvalin.ini" adds 13 characters.
    std::string fits = "/" + std::string(241, 'd');
    EXPECT_TRUE(buildSettingsPath(fits.c_str()));
    EXPECT_EQ(std::string(settingsPath), fits + "/Korvalin.ini");
    EXPECT_FALSE(buildSettingsPath((fits + "d").c_str()));
    EXPECT_STREQ(settingsPath, "");
}

TEST_F(SettingsFileTest, DirectoryThatDoesNotFitLeavesNoPathAndTouchesNoFile) {
    folder.write("Korvalin.ini", "0.5\n3\n/old");
    useFolder();
    // The same folder, spelt long enough that its settings path no longer fits.
    std::string longSpelling = folder.path();
    while (longSpelling.size() < 300)
        longSpelling += "/.";
    EXPECT_FALSE(buildSettingsPath(longSpelling.c_str()));
    EXPECT_STREQ(settingsPath, "");

    EXPECT_FALSE(loadSettings());
    EXPECT_EQ(mouseSensitivity, 0.1f);
    EXPECT_EQ(zoomSensitivity, 2.0f);
    EXPECT_FALSE(meshScene.texturesDirSet);
    EXPECT_FALSE(saveSettings());
    EXPECT_EQ(saved(), "0.5\n3\n/old");
    EXPECT_EQ(entriesOf(folder.path()), Names{"Korvalin.ini"});
}

// --- Saves that cannot finish -------------------------------------------------------------

TEST_F(SettingsFileTest, WriteCutShortLeavesTheOldFileWhole) {
    folder.write("Korvalin.ini", "0.5\n3\n/old/tex");
    meshScene.setTexturesDirectory("/new/textures");
    useFolder();
    // Files may grow to 3 bytes only, so the write stops part way, as on a full disk.
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit small = previous;
    small.rlim_cur = 3;
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    bool written = saveSettings();
    setrlimit(RLIMIT_FSIZE, &previous);
    std::signal(SIGXFSZ, previousHandler);

    EXPECT_FALSE(written);
    EXPECT_EQ(saved(), "0.5\n3\n/old/tex");
    EXPECT_EQ(entriesOf(folder.path()), Names{"Korvalin.ini"});
}

TEST_F(SettingsFileTest, NoFileToWriteIntoLeavesTheOldFileWhole) {
    folder.write("Korvalin.ini", "0.5\n3\n/old/tex");
    useFolder();
    // With every descriptor below the limit in use, no file can be opened.
    int lowestFree = open("/dev/null", O_RDONLY);
    ASSERT_GE(lowestFree, 0);
    close(lowestFree);
    rlimit previous{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &previous), 0);
    rlimit none = previous;
    none.rlim_cur = static_cast<rlim_t>(lowestFree);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &none), 0);
    bool written = saveSettings();
    setrlimit(RLIMIT_NOFILE, &previous);

    EXPECT_FALSE(written);
    EXPECT_EQ(saved(), "0.5\n3\n/old/tex");
    EXPECT_EQ(entriesOf(folder.path()), Names{"Korvalin.ini"});
}

TEST_F(SettingsFileTest, TargetThatCannotBeReplacedStaysAndNoTemporaryFileRemains) {
    // A non-empty folder by the settings name cannot be renamed over.
    std::string kept = folder.write("Korvalin.ini/kept", "old bytes");
    useFolder();
    EXPECT_FALSE(saveSettings());
    EXPECT_EQ(readWholeFile(kept), "old bytes");
    EXPECT_EQ(entriesOf(folder.path()), Names{"Korvalin.ini"});
    EXPECT_EQ(entriesOf(folder.file("Korvalin.ini")), Names{"kept"});
}

// Whether files can be created in the folder even though its permissions forbid it, as they
// can for root.
bool permissionsIgnored(const std::string& folder) {
    std::string probe = folder + "/probe";
    int descriptor = open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (descriptor < 0) return false;
    close(descriptor);
    unlink(probe.c_str());
    return true;
}

TEST_F(SettingsFileTest, UnwritableFolderGivesFalseAndNoFile) {
    std::string settingsFolder = folder.path();
    ASSERT_EQ(chmod(settingsFolder.c_str(), 0500), 0);
    if (permissionsIgnored(settingsFolder)) {
        ASSERT_EQ(chmod(settingsFolder.c_str(), 0700), 0);
        // Permissions are not enforced here; a "folder" that is a regular file is unwritable
        // for everyone.
        settingsFolder = folder.write("plain", "not a folder");
    }
    ASSERT_TRUE(buildSettingsPath(settingsFolder.c_str()));
    Names before = entriesOf(folder.path());
    bool written = saveSettings();
    chmod(folder.path().c_str(), 0700);

    EXPECT_FALSE(written);
    EXPECT_FALSE(std::filesystem::exists(settingsPath));
    EXPECT_EQ(entriesOf(folder.path()), before);
}

TEST_F(SettingsFileTest, MissingFolderGivesFalseAndCreatesNothing) {
    ASSERT_TRUE(buildSettingsPath(folder.file("missing").c_str()));
    EXPECT_FALSE(saveSettings());
    EXPECT_TRUE(entriesOf(folder.path()).empty());
}

// --- The atomic replacement on its own ----------------------------------------------------

TEST(AtomicFile, WritesEveryByteOfLargeBinaryData) {
    TempFolder folder;
    std::string data(3 * 1024 * 1024 + 7, '\0');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 131 % 251);
    std::string path = folder.write("data.bin", "old");
    ASSERT_TRUE(replaceFileContents(path.c_str(), data.data(), data.size()));
    EXPECT_EQ(readWholeFile(path), data);
    EXPECT_EQ(entriesOf(folder.path()), Names{"data.bin"});
}

TEST(AtomicFile, NoBytesGiveAnEmptyFile) {
    TempFolder folder;
    std::string path = folder.write("data.bin", "old");
    ASSERT_TRUE(replaceFileContents(path.c_str(), "", 0));
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(readWholeFile(path), "");
}

TEST(AtomicFile, RepeatedReplacementsLeaveOnlyTheTarget) {
    TempFolder folder;
    std::string path = folder.file("data.txt");
    for (std::string text : {"one", "two two", "3"}) {
        ASSERT_TRUE(replaceFileContents(path.c_str(), text.data(), text.size()));
        EXPECT_EQ(readWholeFile(path), text);
    }
    EXPECT_EQ(entriesOf(folder.path()), Names{"data.txt"});
}

} // namespace
