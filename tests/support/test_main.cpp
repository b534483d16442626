// Shared main of every test program: a headless QApplication, so that
// windows and dialogs can be built without a display.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "platform/files.h"

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    sv::ignoreFileSizeSignal();   // as the programs do
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
