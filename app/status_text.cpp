#include "app/status_text.h"

#include <utility>

namespace {
std::string currentStatus;
}

void showStatus(std::string text) {
    currentStatus = std::move(text);
}

const char* statusText() {
    return currentStatus.c_str();
}

bool clearStatus() {
    bool hadText = !currentStatus.empty();
    currentStatus.clear();
    return hadText;
}
