// Shared main of every test program: a headless QApplication, so that
// windows and dialogs can be built without a display, and the user's
// freedesktop folders pointed at a folder of the run's own, so that no test
// ever writes a menu entry, an icon or a default application into the home
// of whoever runs it.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/files.h"

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    sv::ignoreFileSizeSignal();   // as the programs do
    std::string tmpl = (std::filesystem::temp_directory_path() / "sonvela-tests-XXXXXX").string();
    const std::string home = ::mkdtemp(tmpl.data()) ? tmpl : std::string("/tmp");
    ::setenv("XDG_DATA_HOME", (home + "/share").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    const int rc = RUN_ALL_TESTS();
    std::error_code ec;
    if (home != "/tmp") std::filesystem::remove_all(home, ec);
    return rc;
}
