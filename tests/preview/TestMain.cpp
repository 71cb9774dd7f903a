#include <gtest/gtest.h>

#include <QGuiApplication>

#include "SharedPreview.h"

// The GL tests need an application with a window system; listing the tests
// needs neither.
int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) return RUN_ALL_TESTS();
    QGuiApplication application(argc, argv);
    const int result = RUN_ALL_TESTS();
    orvalis::test::ClosePreview();
    return result;
}
