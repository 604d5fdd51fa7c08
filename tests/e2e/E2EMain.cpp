#include <QApplication>

#include <gtest/gtest.h>

// A Qt application on the test's display, for its screenshots of the root window.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
