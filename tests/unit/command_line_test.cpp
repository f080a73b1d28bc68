#include "app/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Case {
    std::vector<std::string> arguments; // after the program's name
    CommandLineAction action;
    const char* meshPath;
    const char* texturesDir;
    bool shaded = false;
    bool watch = false;
};

const std::string longFolder(256, 'd');

const Case cases[] = {
    {{}, CommandLineAction::Run, nullptr, nullptr},
    {{"cube.msh"}, CommandLineAction::Run, "cube.msh", nullptr},
    {{"--textures", "tex", "cube.msh"}, CommandLineAction::Run, "cube.msh", "tex"},
    {{"cube.msh", "--textures", "tex"}, CommandLineAction::Run, "cube.msh", "tex"},
    {{"--textures", "tex"}, CommandLineAction::Run, nullptr, "tex"},
    {{"-"}, CommandLineAction::Run, "-", nullptr},
    {{"--", "--help"}, CommandLineAction::Run, "--help", nullptr},
    {{"--help"}, CommandLineAction::ShowHelp, nullptr, nullptr},
    {{"--version"}, CommandLineAction::ShowVersion, nullptr, nullptr},
    {{"--help", "cube.msh"}, CommandLineAction::BadUsage, nullptr, nullptr},
    {{"a.msh", "b.msh"}, CommandLineAction::BadUsage, nullptr, nullptr},
    {{"--textures"}, CommandLineAction::BadUsage, nullptr, nullptr},
    {{"--textures", "a", "--textures", "b"}, CommandLineAction::BadUsage, nullptr, nullptr},
    {{"--texture", "tex", "cube.msh"}, CommandLineAction::BadUsage, nullptr, nullptr},
    {{"-x"}, CommandLineAction::BadUsage, nullptr, nullptr},
    {{"--textures", longFolder, "cube.msh"}, CommandLineAction::BadUsage, nullptr, nullptr},
    {{"--shaded", "cube.msh"}, CommandLineAction::Run, "cube.msh", nullptr, true, false},
    {{"cube.msh", "--watch"}, CommandLineAction::Run, "cube.msh", nullptr, false, true},
    {{"--watch", "--textures", "t", "--shaded"}, CommandLineAction::Run, nullptr, "t", true, true},
    {{"--", "--shaded"}, CommandLineAction::Run, "--shaded", nullptr},
    {{"--shade", "cube.msh"}, CommandLineAction::BadUsage, nullptr, nullptr},
    {{"--shaded"}, CommandLineAction::Run, nullptr, nullptr, true},
};

TEST(CommandLineTest, EachArgumentListGivesItsAction) {
    for (const Case& c : cases) {
        std::vector<std::string> owned = c.arguments;
        owned.insert(owned.begin(), "korvalin");
        std::vector<char*> argv;
        for (std::string& argument : owned)
            argv.push_back(argument.data());
        std::string shown;
        for (const std::string& argument : c.arguments)
            shown += " [" + argument.substr(0, 20) + "]";
        SCOPED_TRACE("korvalin" + shown);

        CommandLine parsed = parseCommandLine(static_cast<int>(argv.size()), argv.data());

        EXPECT_EQ(parsed.action, c.action);
        if (c.action != CommandLineAction::Run) continue;
        EXPECT_STREQ(parsed.meshPath, c.meshPath);
        EXPECT_STREQ(parsed.texturesDir, c.texturesDir);
        EXPECT_EQ(parsed.shaded, c.shaded);
        EXPECT_EQ(parsed.watch, c.watch);
    }
}

} // namespace
