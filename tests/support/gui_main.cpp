// The main of every GUI test program, as QTEST_MAIN writes one: the
// application exists before any test paints.
#include <gtest/gtest.h>

#include <QApplication>

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    // Listing the tests (CTest's discovery at build time) needs no display.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    // Never destroyed, as the copies in each program were: Qt Gui's own exit
    // handlers still use it after main returns, and crash if it is gone.
    new QApplication(argc, argv);
    return RUN_ALL_TESTS();
}
