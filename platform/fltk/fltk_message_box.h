#pragma once

class Fl_Window;

// A modal box with an icon for the MB_ICON* flag, the text and an "OK" button. The main
// window keeps receiving its events (paints) while the box is up. Returns IDOK.
int showMessageBox(Fl_Window* owner, const char* text, const char* caption, unsigned flags);
