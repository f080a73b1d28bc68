// The Windows program's resource script holds the same menu and Sensitivity dialog as the
// templates the Linux program builds them from, so the two cannot drift apart.
#include "resources/dialog_template.h"
#include "resources/menu_template.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string resourcesDir = KORVALIN_SOURCE_DIR "/resources/";

// One statement of the script: its words, numbers and quoted texts, commas dropped.
using Statement = std::vector<std::string>;

Statement tokens(const std::string& line) {
    Statement words;
    std::size_t i = 0;
    while (i < line.size()) {
        char c = line[i];
        if (c == '/' && i + 1 < line.size() && line[i + 1] == '/') break;
        if (std::isspace(static_cast<unsigned char>(c)) || c == ',') {
            ++i;
        } else if (c == '"') {
            std::size_t end = line.find('"', i + 1);
            words.push_back(line.substr(i, end - i + 1));
            i = end == std::string::npos ? line.size() : end + 1;
        } else {
            std::size_t end = line.find_first_of(" \t,\"", i);
            if (end == std::string::npos) end = line.size();
            words.push_back(line.substr(i, end - i));
            i = end;
        }
    }
    return words;
}

std::vector<Statement> script() {
    std::ifstream in(resourcesDir + "korvalin.rc");
    std::vector<Statement> statements;
    for (std::string line; std::getline(in, line);)
        if (Statement words = tokens(line); !words.empty()) statements.push_back(words);
    return statements;
}

// The statements inside the block that begins with "id kind", nested blocks included.
std::vector<Statement> block(const std::vector<Statement>& all, int id, const std::string& kind) {
    std::vector<Statement> body;
    int depth = 0;
    bool inside = false;
    for (const Statement& statement : all) {
        if (!inside) {
            inside =
                statement.size() >= 2 && statement[0] == std::to_string(id) && statement[1] == kind;
            if (inside) body.push_back(statement);
            continue;
        }
        if (statement[0] == "BEGIN") ++depth;
        if (statement[0] == "END" && --depth == 0) break;
        body.push_back(statement);
    }
    return body;
}

std::string text(const std::string& quoted) {
    return quoted.size() >= 2 ? quoted.substr(1, quoted.size() - 2)
                              : "(not a text: " + quoted + ")";
}

long number(const std::string& word) {
    return std::strtol(word.c_str(), nullptr, 0);
}

struct MenuItem {
    std::string popup, text;
    long commandId;
    bool operator==(const MenuItem&) const = default;
};

TEST(ResourceScriptTest, TheMenuIsTheMenuTemplate) {
    std::vector<MenuItem> expected;
    for (int i = 0; i < viewerMenu.itemCount; ++i) {
        const MenuTemplateItem& item = viewerMenu.items[i];
        expected.push_back({item.popup, item.text, static_cast<long>(item.commandId)});
    }
    std::vector<Statement> menu = block(script(), viewerMenu.resourceId, "MENU");
    ASSERT_FALSE(menu.empty()) << "no MENU " << viewerMenu.resourceId;
    std::vector<MenuItem> found;
    std::string popup;
    for (const Statement& statement : menu) {
        if (statement[0] == "POPUP") popup = text(statement.at(1));
        if (statement[0] == "MENUITEM")
            found.push_back({popup, text(statement.at(1)), number(statement.at(2))});
    }
    EXPECT_EQ(found, expected);
}

struct Control {
    long id;
    std::string className, text;
    long x, y, width, height;
    unsigned long style;
    bool operator==(const Control&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Control& c) {
    return out << c.id << " " << c.className << " \"" << c.text << "\" " << c.x << "," << c.y << " "
               << c.width << "x" << c.height << " 0x" << std::hex << c.style << std::dec;
}

// Button statements store the predefined Button class with the button kind in the low bits of
// their style; CONTROL names its class.
Control control(const Statement& s) {
    if (s.at(0) == "CONTROL")
        return {number(s.at(2)), text(s.at(3)),
                text(s.at(1)),   number(s.at(5)),
                number(s.at(6)), number(s.at(7)),
                number(s.at(8)), std::strtoul(s.at(4).c_str(), nullptr, 0)};
    Control button{number(s.at(2)), "Button",
                   text(s.at(1)),   number(s.at(3)),
                   number(s.at(4)), number(s.at(5)),
                   number(s.at(6)), std::strtoul(s.at(7).c_str(), nullptr, 0)};
    const unsigned long kind = s[0] == "DEFPUSHBUTTON" ? 1 : s[0] == "GROUPBOX" ? 7 : 0;
    EXPECT_TRUE(s[0] == "PUSHBUTTON" || kind != 0) << s[0];
    EXPECT_EQ(button.style & 0xF, kind) << s[0] << " with style " << s.at(7);
    return button;
}

TEST(ResourceScriptTest, TheSensitivityDialogIsTheDialogTemplate) {
    const DialogTemplate& expected = sensitivityDialog;
    std::vector<Statement> dialog = block(script(), expected.resourceId, "DIALOG");
    ASSERT_GE(dialog.size(), 4u) << "no DIALOG " << expected.resourceId;
    const Statement& head = dialog[0];
    ASSERT_EQ(head.size(), 6u);
    EXPECT_EQ(number(head[2]), expected.x);
    EXPECT_EQ(number(head[3]), expected.y);
    EXPECT_EQ(number(head[4]), expected.width);
    EXPECT_EQ(number(head[5]), expected.height);
    std::vector<Control> controls;
    for (const Statement& statement : dialog) {
        const std::string& keyword = statement[0];
        if (keyword == "STYLE")
            EXPECT_EQ(std::strtoul(statement.at(1).c_str(), nullptr, 0), expected.style);
        else if (keyword == "CAPTION")
            EXPECT_EQ(text(statement.at(1)), expected.caption);
        else if (keyword == "FONT") {
            EXPECT_EQ(number(statement.at(1)), expected.fontPoints);
            EXPECT_EQ(text(statement.at(2)), expected.fontName);
        } else if (keyword != "BEGIN" && &statement != &head)
            controls.push_back(control(statement));
    }
    std::vector<Control> templateControls;
    for (int i = 0; i < expected.controlCount; ++i) {
        const DialogControlTemplate& c = expected.controls[i];
        templateControls.push_back(
            {static_cast<long>(c.id), c.className, c.text, c.x, c.y, c.width, c.height, c.style});
    }
    EXPECT_EQ(controls, templateControls);
}

// The icon named in the script is the committed one, with the sizes Windows shows.
TEST(ResourceScriptTest, TheIconHoldsSixteenToTwoHundredFiftySixPixels) {
    bool named = false;
    for (const Statement& statement : script())
        named = named || (statement.size() == 3 && statement[1] == "ICON" &&
                          text(statement[2]) == "icons/korvalin.ico");
    EXPECT_TRUE(named);
    std::ifstream in(resourcesDir + "icons/korvalin.ico", std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    const std::string icon = bytes.str();
    ASSERT_GE(icon.size(), 6u + 4 * 16);
    EXPECT_EQ(icon.substr(0, 4), std::string("\0\0\1\0", 4));
    ASSERT_EQ(static_cast<unsigned char>(icon[4]), 4);
    std::vector<int> sides;
    // A directory entry's first byte is the width; 0 stands for 256.
    for (int entry = 0; entry < 4; ++entry) {
        int side = static_cast<unsigned char>(icon[6 + 16 * entry]);
        sides.push_back(side == 0 ? 256 : side);
    }
    EXPECT_EQ(sides, (std::vector<int>{16, 32, 48, 256}));
}

} // namespace
