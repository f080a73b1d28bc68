#include "app/viewer_state.h"

WindowHandle mainWindow = nullptr;
DeviceContextHandle deviceContext = nullptr;
GLContextHandle glContext = nullptr;
bool paintEnabled = false;
std::string startupFolder;
