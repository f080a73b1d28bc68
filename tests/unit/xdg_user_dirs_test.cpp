#include "platform/xdg_user_dirs.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

TEST(XdgUserDirsTest, TheFolderALineNamesAsXdgUserDirsReadsIt) {
    const std::string home = "/home/ana";
    struct Case {
        const char* content;
        std::string folder;
    } cases[] = {
        {"XDG_PICTURES_DIR=\"$HOME/Pictures\"\n", "/home/ana/Pictures"},
        {"XDG_PICTURES_DIR=\"/srv/photos\"", "/srv/photos"},
        {"  XDG_PICTURES_DIR =\t\"$HOME/Bilder\"  # set by hand\n", "/home/ana/Bilder"},
        {"XDG_PICTURES_DIR=\"$HOME/My \\\"best\\\" shots\\\\\"", "/home/ana/My \"best\" shots\\"},
        {"XDG_PICTURES_DIR=\"$HOME/Pictures", "/home/ana/Pictures"},
        {"XDG_PICTURES_DIR=\"$HOME/\"", "/home/ana/"},
        {"XDG_PICTURES_DIR=\"$HOME\"", "/home/ana/"},
        {"# XDG_PICTURES_DIR=\"$HOME/Old\"\n", ""},
        {"XDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_MUSIC_DIR=\"$HOME/Music\"\n", ""},
        {"XDG_PICTURES_DIRS=\"$HOME/Wrong\"", ""},
        {"XDG_PICTURES_DIR=\"Pictures\"", ""},
        {"XDG_PICTURES_DIR=\"$HOMEWORK/Pictures\"", ""},
        {"XDG_PICTURES_DIR=$HOME/Pictures", ""},
        {"XDG_PICTURES_DIR", ""},
        {"", ""},
        {"XDG_PICTURES_DIR=\"$HOME/First\"\nXDG_PICTURES_DIR=\"$HOME/Second\"\n",
         "/home/ana/Second"},
        {"XDG_PICTURES_DIR=\"$HOME/Kept\"\nXDG_PICTURES_DIR=\"relative\"\n", "/home/ana/Kept"},
        {"XDG_DOWNLOAD_DIR=\"$HOME/Downloads\"\r\nXDG_PICTURES_DIR=\"/p\"\r\n", "/p"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.content);
        EXPECT_EQ(userDirFromFile(c.content, "XDG_PICTURES_DIR", home), c.folder);
    }
    EXPECT_EQ(userDirFromFile("XDG_PICTURES_DIR=\"$HOME/Pictures\"", "XDG_PICTURES_DIR", ""), "");
}

// A home folder with its configuration folder, and the folders named in the environment.
TEST(XdgUserDirsTest, ThePicturesFolderIsTheNamedFolderThatExistsAndIsNotHome) {
    TempFolder temp;
    const std::string home = temp.path() + "/home";
    std::filesystem::create_directories(home + "/Pictures");
    std::filesystem::create_directories(temp.path() + "/elsewhere/Photos");
    const std::string photos = temp.path() + "/elsewhere/Photos";
    const std::string otherConfig = temp.path() + "/config";
    const std::string photosLine = "XDG_PICTURES_DIR=\"" + photos + "\"\n";
    const std::string homeItself = home + "/.";
    struct Case {
        const char* what;
        const char* userDirs;    // in home/.config, or none
        const char* otherConfig; // in otherConfig, or none
        const char* configHome;
        const char* picturesDir;
        std::string folder; // empty: none
    } cases[] = {
        {"in home", "XDG_PICTURES_DIR=\"$HOME/Pictures\"\n", nullptr, nullptr, nullptr,
         home + "/Pictures"},
        {"absolute", photosLine.c_str(), nullptr, nullptr, nullptr, photos},
        {"not there", "XDG_PICTURES_DIR=\"$HOME/Bilder\"\n", nullptr, nullptr, nullptr, ""},
        {"home itself", "XDG_PICTURES_DIR=\"$HOME/\"\n", nullptr, nullptr, nullptr, ""},
        {"no line", "XDG_MUSIC_DIR=\"$HOME/Pictures\"\n", nullptr, nullptr, nullptr, ""},
        {"no file", nullptr, nullptr, nullptr, nullptr, ""},
        {"XDG_CONFIG_HOME", "XDG_PICTURES_DIR=\"$HOME/Nowhere\"\n",
         "XDG_PICTURES_DIR=\"$HOME/Pictures\"\n", otherConfig.c_str(), nullptr, home + "/Pictures"},
        {"relative XDG_CONFIG_HOME", "XDG_PICTURES_DIR=\"$HOME/Pictures\"\n", nullptr, "config",
         nullptr, home + "/Pictures"},
        {"empty XDG_CONFIG_HOME", "XDG_PICTURES_DIR=\"$HOME/Pictures\"\n", nullptr, "", nullptr,
         home + "/Pictures"},
        {"XDG_PICTURES_DIR wins", "XDG_PICTURES_DIR=\"$HOME/Pictures\"\n", nullptr, nullptr,
         photos.c_str(), photos},
        {"XDG_PICTURES_DIR not there", "XDG_PICTURES_DIR=\"$HOME/Pictures\"\n", nullptr, nullptr,
         "/nonexistent/Pictures", ""},
        {"XDG_PICTURES_DIR empty", "XDG_PICTURES_DIR=\"$HOME/Pictures\"\n", nullptr, nullptr, "",
         home + "/Pictures"},
        {"XDG_PICTURES_DIR home", nullptr, nullptr, nullptr, homeItself.c_str(), ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove_all(home + "/.config");
        std::filesystem::remove_all(otherConfig);
        if (c.userDirs) temp.write("home/.config/user-dirs.dirs", c.userDirs);
        if (c.otherConfig) temp.write("config/user-dirs.dirs", c.otherConfig);
        std::string folder = "unchanged";
        bool found = picturesFolder({home.c_str(), c.configHome, c.picturesDir}, folder);
        EXPECT_EQ(found, !c.folder.empty());
        EXPECT_EQ(folder, found ? c.folder : "unchanged");
    }
}

} // namespace
