#pragma once

#include <gtest/gtest.h>

#include <sys/types.h>

// A private Xvfb for the tests of one process: started before the first test on a display
// number the server picks itself (-displayfd), so it clashes with no other server, and named
// in DISPLAY; stopped by its own process id after the last test, failed or not. Should the test
// process die without tearing down, the server gets SIGTERM from the kernel (PR_SET_PDEATHSIG).
class PrivateXvfb : public ::testing::Environment {
  public:
    void SetUp() override;
    void TearDown() override;

  private:
    pid_t pid = -1;
};
