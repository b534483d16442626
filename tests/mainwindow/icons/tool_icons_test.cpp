#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QImage>
#include <QToolBar>
#include <QToolButton>

#include "mainwindow/SonvelaMain.h"
#include "mainwindow/SonvelaMain_view.h"
#include "mainwindow/tool_icons.h"
#include "tests/support/scripted_prompts.h"

using namespace sv;
using namespace sv::test;

namespace {

const char* const kPanels[7] = {"PanelFile", "PanelEdit", "PanelTools", "PanelFilter",
                                "PanelMisc", "PanelView", "PanelHelp"};

QImage pictureOf(const QIcon& icon) { return icon.pixmap(QSize(22, 16)).toImage(); }

// Whether the picture has anything drawn on it, not just a clear square.
bool hasInk(const QImage& img) {
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (qAlpha(img.pixel(x, y)) > 0) return true;
    return false;
}

TEST(ToolIcons, KnownButtonsGetADrawnPicture) {
    for (const char* name : {"SpeedButton8", "SpeedButton7", "SpeedButton6", "SaveAs_SB", "SpeedButton12",
                             "CloseActive_SB", "CloseAll_SB", "Print_SB", "FileInfo_SB", "DeviceInfo_SB", "Exit_SB",
                             "SpeedButton5", "SpeedButton1", "SpeedButton3", "SpeedButton4", "PasteAsNew_SB",
                             "SpeedButton35", "Trim_SB", "SpeedButton33", "SpeedButton13", "SpeedButton18",
                             "SelectAll_SB", "SelectNone_SB", "ZoomIn_SB", "ZoomOut_SB", "speedzoom",
                             "SpeedButton21", "SpeedButton29", "SpeedButton22", "SpeedButton23", "SpeedButton20",
                             "Invert_SB", "SpeedButton32", "SpeedButton19", "SpeedButton15", "SpeedButton10",
                             "Loop_SB", "Contents_SB", "SpeedButton30", "SpeedButton25", "SpeedButton26",
                             "SpeedButton9"}) {
        const QIcon icon = toolIcon(name);
        ASSERT_FALSE(icon.isNull()) << name;
        EXPECT_TRUE(hasInk(pictureOf(icon))) << name;
    }
}

TEST(ToolIcons, DifferentCommandsLookDifferent) {
    EXPECT_NE(pictureOf(toolIcon("SpeedButton22")), pictureOf(toolIcon("SpeedButton23")));  // fade in / out
    EXPECT_NE(pictureOf(toolIcon("ZoomIn_SB")), pictureOf(toolIcon("ZoomOut_SB")));
    EXPECT_NE(pictureOf(toolIcon("SpeedButton30")), pictureOf(toolIcon("SpeedButton26")));  // low / high pass
}

// How much ink a picture puts on the bar: the sum of its darkness over
// its opacity.
double ink(const QImage& picture) {
    const QImage img = picture.convertToFormat(QImage::Format_ARGB32);
    double sum = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            sum += qAlpha(c) / 255.0 * (255 - qGray(c)) / 255.0 + qAlpha(c) / 255.0 * 0.25;
        }
    return sum;
}

TEST(ToolIcons, DisabledPicturesLookDisabled) {
    // Copy and Select None are grey already: greying alone changes nothing.
    for (const char* name : {"SpeedButton1", "SelectNone_SB", "SpeedButton5", "SpeedButton16"}) {
        const QIcon icon = toolIcon(name);
        const QImage on = icon.pixmap(QSize(22, 16), QIcon::Normal).toImage();
        const QImage off = icon.pixmap(QSize(22, 16), QIcon::Disabled).toImage();
        EXPECT_LT(ink(off), ink(on) * 0.6) << name;
    }
}

TEST(ToolIcons, UnknownButtonHasNoPictureOfItsOwn) { EXPECT_TRUE(toolIcon("NoSuchButton").isNull()); }

TEST(ToolIcons, EveryToolButtonOfTheMainWindowShowsAPicture) {
    TempExeDir dir;
    auto main = std::make_unique<TSVMainfrm>();
    main->FormActivate();
    int seen = 0;
    for (const char* panel : kPanels) {
        QToolBar* bar = toolBarPanel(main.get(), panel);
        ASSERT_TRUE(bar) << panel;
        for (QToolButton* b : bar->findChildren<QToolButton*>(QString(), Qt::FindDirectChildrenOnly)) {
            if (b->objectName().isEmpty()) continue;
            ++seen;
            EXPECT_FALSE(b->icon().isNull()) << b->objectName().toStdString();
            EXPECT_TRUE(hasInk(pictureOf(b->icon()))) << b->objectName().toStdString();
        }
    }
    EXPECT_GT(seen, 50);
    main.reset();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

} // namespace
