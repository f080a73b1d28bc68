#pragma once

// The "Korvalin keys" box: the viewer's keys, one a line.
constexpr const char* keysText = "Right-button drag, or the arrow keys: turn the model\n"
                                 "Wheel, or + and -: move nearer or farther\n"
                                 "Home or Enter: back to the start-up view\n"
                                 "F: fit the whole model in the window\n"
                                 "L: shading on or off\n"
                                 "F5: read the file again\n"
                                 "Page Down, Page Up: next or previous file of the folder\n"
                                 "F11: full screen on or off\n"
                                 "F12: save the picture in Pictures/Korvalin\n"
                                 "F1 or H: this list";
