#pragma once

// Menu commands, as the menu template sends them.
constexpr unsigned CMD_OPEN = 40000;
constexpr unsigned CMD_TEXTURES_DIR = 40001;
constexpr unsigned CMD_QUIT = 40002;
constexpr unsigned CMD_ABOUT = 40003;
constexpr unsigned CMD_SENSITIVITY = 40004;
