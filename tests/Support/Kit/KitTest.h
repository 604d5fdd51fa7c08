#pragma once

#include "tests/Support/ManualRunLoopDriver.h"

#include <gtest/gtest.h>
#include <memory>

namespace Kit::Testing {

// A test with Kit: one QApplication for the program, the main run loop on a manual clock (media
// time), the aqua appearance, no key window, and Qt warnings other than the offscreen plugin's
// known notices failing the test.
class KitTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Moves media time on and runs what became due (animation ends, the display link, main-queue blocks).
    void advance(double seconds) { driver_->advance(seconds); }
    Foundation::ManualRunLoopDriver& driver() { return *driver_; }
    double now() { return driver_->clock().now(); }

private:
    std::unique_ptr<Foundation::ManualRunLoopDriver> driver_;
};

// Makes the QApplication when none exists yet.
void ensureApplication();

} // namespace Kit::Testing
