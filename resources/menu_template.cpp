#include "resources/menu_template.h"

#include "resources/command_ids.h"

namespace {
const MenuTemplateItem viewerMenuItems[] = {
    {"File", "Open...", CMD_OPEN},
    {"File", "Change textures directory", CMD_TEXTURES_DIR},
    {"File", "Quit", CMD_QUIT},
    {"Options", "Sensitivity", CMD_SENSITIVITY},
    {"Help", "About Korvalin", CMD_ABOUT},
};
} // namespace

const MenuTemplate viewerMenu = {100, viewerMenuItems,
                                 sizeof viewerMenuItems / sizeof viewerMenuItems[0]};
