// Runs the tests inside a QApplication, headless and silent unless the caller chose otherwise,
// with the views' accessibility of the program.
#include <gtest/gtest.h>

#include "views/ViewAccessibility.h"

#include <QApplication>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
        qputenv("SDL_AUDIODRIVER", "dummy");
    ::testing::InitGoogleTest(&argc, argv);
    // Listing needs no application, nor the X server that some tests run on.
    if (GTEST_FLAG_GET(list_tests))
        return RUN_ALL_TESTS();
    QApplication application(argc, argv);
    installViewAccessibility(); // as the program does, before any widget
    return RUN_ALL_TESTS();
}
