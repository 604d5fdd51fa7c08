#include "Platform/Kit/QtRunLoopDriver.h"

#include <QApplication>

#include <gtest/gtest.h>

// One application on the real (virtual) display for the whole program, with Kit's run loop in it.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    // The main run loop (Kit's timers and main-queue blocks) runs inside Qt's event loop.
    Kit::QtRunLoopDriver driver;
    return RUN_ALL_TESTS();
}
