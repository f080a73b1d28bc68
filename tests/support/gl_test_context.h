#pragma once

#include "platform/headless/egl_context.h"

#include <gtest/gtest.h>

// Base for tests that need a real GL context (Mesa through EGL, no display).
class GLTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(context.create(width, height)) << "no headless GL context (EGL, Mesa)";
    }
    static constexpr int width = 64;
    static constexpr int height = 64;
    HeadlessGLContext context;
};
