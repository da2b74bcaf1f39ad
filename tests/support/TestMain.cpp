// Runs the tests headless and silent unless the caller chose otherwise, the widget suites as the
// program runs its windows.
#include <gtest/gtest.h>

#ifdef KASSOLIN_TEST_WIDGETS
#include "views/ViewAccessibility.h"

#include <QApplication>
#else
#include <QCoreApplication>
#endif

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
#ifdef KASSOLIN_TEST_WIDGETS
    QApplication application(argc, argv);
    installViewAccessibility(); // as the program does, before any widget
#else
    QCoreApplication application(argc, argv);
#endif
    return RUN_ALL_TESTS();
}
