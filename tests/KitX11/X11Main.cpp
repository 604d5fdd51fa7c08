#include <QApplication>

#include <gtest/gtest.h>

// One application on the real (virtual) display for the whole program.
int main(int argc, char** argv)
{
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    return RUN_ALL_TESTS();
}
