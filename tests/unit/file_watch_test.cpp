// The watch on real folders: inotify queues an event before the call that caused it returns, so
// each step's changes are all there to read when the step is done.
#include "platform/file_watch.h"
#include "tests/support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>

namespace {

namespace fs = std::filesystem;

TEST(FileWatchTest, ReportsWritesRenamesAndNewFilesOfTheListedFilesOnly) {
    TempFolder temp;
    temp.write("model.msh", "old");
    temp.write("other.msh", "");
    fs::create_directory(temp.file("textures"));
    FileWatch watch;
    ASSERT_TRUE(watch.watch({temp.file("model.msh"), temp.file("textures/skin.png")}));
    ASSERT_GE(watch.fd(), 0);

    struct Step {
        const char* what;
        std::function<void()> act;
        bool reported;
    } steps[] = {
        {"another file written", [&] { temp.write("other.msh", "x"); }, false},
        {"written in place", [&] { temp.write("model.msh", "new"); }, true},
        {"a new file written beside", [&] { temp.write("model.msh.part", "newer"); }, false},
        {"renamed over it",
         [&] { fs::rename(temp.file("model.msh.part"), temp.file("model.msh")); }, true},
        {"touched", [&] { utimensat(AT_FDCWD, temp.file("model.msh").c_str(), nullptr, 0); }, true},
        {"an image created", [&] { temp.write("textures/skin.png", "png"); }, true},
        {"another file removed", [&] { fs::remove(temp.file("other.msh")); }, false},
        {"nothing", [] {}, false},
        {"renamed away", [&] { fs::rename(temp.file("model.msh"), temp.file("old.msh")); }, false},
        {"renamed back", [&] { fs::rename(temp.file("old.msh"), temp.file("model.msh")); }, true},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.act();
        EXPECT_EQ(watch.readChanges(), step.reported);
    }
}

TEST(FileWatchTest, ANewListReplacesTheOldAndAnEmptyOneStops) {
    TempFolder temp;
    temp.write("a.msh", "");
    temp.write("b/b.msh", "");
    FileWatch watch;
    ASSERT_TRUE(watch.watch({temp.file("a.msh")}));
    temp.write("a.msh", "pending when the list changes");
    ASSERT_TRUE(watch.watch({temp.file("b/b.msh")}));
    EXPECT_FALSE(watch.readChanges());
    temp.write("a.msh", "x");
    EXPECT_FALSE(watch.readChanges());
    temp.write("b/b.msh", "x");
    EXPECT_TRUE(watch.readChanges());

    EXPECT_FALSE(watch.watch({}));
    EXPECT_EQ(watch.fd(), -1);
    EXPECT_FALSE(watch.readChanges());
    EXPECT_FALSE(watch.watch({temp.file("missing/a.msh"), temp.file("b/"), ""}));
    EXPECT_EQ(watch.fd(), -1);
    // One folder that can be watched is enough.
    EXPECT_TRUE(watch.watch({temp.file("missing/a.msh"), temp.file("a.msh")}));
}

// A listed link is watched where it leads too; a bare name is in the current folder.
TEST(FileWatchTest, FollowsLinksAndNamesInTheCurrentFolder) {
    TempFolder temp;
    temp.write("real/target.msh", "");
    fs::create_symlink(temp.file("real/target.msh"), temp.file("link.msh"));
    FileWatch watch;
    ASSERT_TRUE(watch.watch({temp.file("link.msh")}));
    temp.write("real/target.msh", "x");
    EXPECT_TRUE(watch.readChanges());

    fs::path saved = fs::current_path();
    fs::current_path(temp.path());
    bool watching = watch.watch({"here.msh"});
    fs::current_path(saved);
    ASSERT_TRUE(watching);
    temp.write("here.msh", "x");
    EXPECT_TRUE(watch.readChanges());
}

} // namespace
