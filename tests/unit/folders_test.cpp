#include "platform/folders.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

TEST(FoldersTest, FilesInFolderNamesRegularFilesAndLinksToThem) {
    TempFolder temp;
    temp.write("a.msh", "MSHX1");
    temp.write("b.txt", "");
    temp.write(".hidden.msh", "MSHX1");
    temp.write("sub/inner.msh", "MSHX1");
    fs::create_symlink("a.msh", temp.file("link-to-a.msh"));
    fs::create_symlink("sub", temp.file("link-to-sub"));
    fs::create_symlink("missing.msh", temp.file("dangling.msh"));
    ASSERT_EQ(mkfifo(temp.file("pipe.msh").c_str(), 0600), 0);

    std::vector<std::string> names{"left over"};
    ASSERT_TRUE(filesInFolder(temp.path().c_str(), names));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".hidden.msh", "a.msh", "b.txt", "link-to-a.msh"}));

    EXPECT_TRUE(filesInFolder(temp.file("link-to-sub").c_str(), names));
    EXPECT_EQ(names, std::vector<std::string>{"inner.msh"});
    EXPECT_FALSE(filesInFolder(temp.file("missing").c_str(), names));
    EXPECT_FALSE(filesInFolder(temp.file("a.msh").c_str(), names));
}

// The folder takes the permissions every new folder gets: all that the umask leaves.
TEST(FoldersTest, MakeFolderLeavesAFolderThereOrSaysWhyNot) {
    TempFolder temp;
    temp.write("file", "");
    temp.write("existing/x", "");
    fs::create_symlink("existing", temp.file("link-to-folder"));
    struct Case {
        const char* name;
        bool made;
    } cases[] = {
        {"new", true},   {"existing", true},       {"link-to-folder", true},
        {"file", false}, {"missing/child", false}, {"file/child", false},
    };
    mode_t saved = umask(027);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = temp.file(c.name);
        EXPECT_EQ(makeFolder(path.c_str()), c.made);
        EXPECT_EQ(fs::is_directory(path), c.made);
    }
    umask(saved);
    struct stat made = {};
    ASSERT_EQ(stat(temp.file("new").c_str(), &made), 0);
    EXPECT_EQ(made.st_mode & 0777, 0750u);
    EXPECT_TRUE(fs::is_regular_file(temp.file("file")));
}

} // namespace
