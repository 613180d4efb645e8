#include <QCoreApplication>

#include <gtest/gtest.h>

// D-Bus and timers need an application object; this main replaces gtest_main's.
int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
