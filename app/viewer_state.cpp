#include "app/viewer_state.h"

WindowHandle mainWindow = nullptr;
DeviceContextHandle deviceContext = nullptr;
GLContextHandle glContext = nullptr;
bool paintEnabled = false;
int clientAreaWidth = 0;
int clientAreaHeight = 0;
std::string startupFolder;
