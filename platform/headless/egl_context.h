#pragma once

// A GL context without a display: Mesa's surfaceless EGL platform with a pbuffer of the given
// size (RGBA 8 bits a channel, 24-bit depth). Made current by create(), released by the
// destructor.
class HeadlessGLContext {
  public:
    HeadlessGLContext() = default;
    HeadlessGLContext(const HeadlessGLContext&) = delete;
    HeadlessGLContext& operator=(const HeadlessGLContext&) = delete;
    ~HeadlessGLContext();

    bool create(int width, int height);
    void destroy();
    bool isCurrent() const { return context != nullptr; }

  private:
    void* display = nullptr;
    void* surface = nullptr;
    void* context = nullptr;
};
