#pragma once
// What the game prints to standard output while one of these is live: made to
// start capturing, asked once for the text, which ends the capture (as its end
// does, the text then dropped).
#include <gtest/gtest.h>

#include <cstdio>
#include <iostream>
#include <string>

class StdoutCapture {
  public:
    StdoutCapture() { testing::internal::CaptureStdout(); }
    ~StdoutCapture() {
        if (capturing) {
            text();
        }
    }
    StdoutCapture(const StdoutCapture&) = delete;
    StdoutCapture& operator=(const StdoutCapture&) = delete;

    // Everything printed since the capture began, both C and C++ streams flushed first.
    std::string text() {
        std::cout.flush();
        std::fflush(stdout);
        capturing = false;
        return testing::internal::GetCapturedStdout();
    }

  private:
    bool capturing = true;
};
