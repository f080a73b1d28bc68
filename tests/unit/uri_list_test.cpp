#include "platform/uri_list.h"

#include <gtest/gtest.h>

#include <string>
#include <unistd.h>
#include <vector>

namespace {

using Files = std::vector<std::string>;

std::string hostName() {
    char name[256] = {};
    gethostname(name, sizeof name - 1);
    return name;
}

TEST(UriListTest, LocalFilesAreDecodedInOrderAndEverythingElseIsLeftOut) {
    struct Case {
        std::string text;
        Files files;
    } cases[] = {
        {"file:///home/ana/cube.msh\r\n", {"/home/ana/cube.msh"}},
        {"file:///a%20b/%C3%A9t%c3%a9.msh", {"/a b/\xC3\xA9t\xC3\xA9.msh"}},
        {"file:///100%25.msh\n", {"/100%.msh"}},
        {"FILE://localhost/x.msh", {"/x.msh"}},
        {"file://" + hostName() + "/y.msh", {"/y.msh"}},
        {"file://elsewhere.example/z.msh", {}},
        {"# from a file manager\r\nfile:///one.msh\r\nfile:///two.msh\r\n",
         {"/one.msh", "/two.msh"}},
        {"http://example.com/a.msh\r\nfile:///b.msh", {"/b.msh"}},
        {"/plain/path with space.msh\n", {"/plain/path with space.msh"}},
        {"relative.msh\nfile:relative.msh\nfile://", {}},
        {"file:///bad%2", {}},
        {"file:///bad%zz.msh", {}},
        {"file:///nul%00.msh", {}},
        {"file:///q.msh?x=1#frag", {"/q.msh"}},
        {"  file:///spaced.msh  \r\n\r\n", {"/spaced.msh"}},
        {"", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(localFilesFromUriList(c.text), c.files);
    }
}

} // namespace
