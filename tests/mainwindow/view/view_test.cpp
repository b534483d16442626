#include <gtest/gtest.h>

#include <QApplication>
#include <QDockWidget>
#include <QLabel>
#include <QMouseEvent>
#include <QToolBar>
#include <fstream>

#include "dialogs/ParamDialog.h"
#include "mainwindow/Colors.h"
#include "mainwindow/SonvelaMain.h"
#include "mainwindow/SonvelaMain_view.h"
#include "platform/qt/volume_control.h"
#include "platform/settings.h"
#include "sound/Sound.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/wave_fixtures.h"

using namespace sv;
using namespace sv::test;

namespace {

const char* const kPanels[7] = {"PanelFile", "PanelEdit", "PanelTools", "PanelFilter",
                                "PanelMisc", "PanelView", "PanelHelp"};

class ViewTest : public ::testing::Test {
protected:
    TempExeDir dir;
    std::unique_ptr<TSVMainfrm> main;

    void start() {
        closeMain();
        main = std::make_unique<TSVMainfrm>();
        main->FormActivate();
    }
    void closeMain() {
        if (!main) return;
        for (TSoundfrm* w : main->soundWindows()) {
            w->Modified = false;
            w->closeWindow();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        main.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void TearDown() override { closeMain(); }

    IniFile ini() const { return IniFile(dir.file("dadoruz.ini")); }
    QToolBar* panel(const char* name) const { return toolBarPanel(main.get(), name); }
    bool shown(const char* name) const { return !panel(name)->isHidden(); }
    QWidget* child(const char* name) const { return main->findChild<QWidget*>(name); }
    void dragGrip(const char* bar, QPoint by) {
        QWidget* grip = child((std::string(bar) + "_Grip").c_str());
        ASSERT_TRUE(grip);
        const QPointF from(10, 10);
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(1, 1), from, Qt::LeftButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(grip, &press);
        QMouseEvent move(QEvent::MouseMove, QPointF(1, 1), from + QPointF(by), Qt::NoButton, Qt::LeftButton, {});
        QCoreApplication::sendEvent(grip, &move);
    }
    TSoundfrm* openSound(int frames) {
        const std::string name = dir.file("s.wav");
        writeBytes(name, canonicalWave(22050, 16, 1, testSignal(16, 1, frames)));
        return main->openWave(name, false);
    }
};

TEST_F(ViewTest, WithoutSettingsTheAccessBarShowsTheFileBar) {
    start();
    EXPECT_FALSE(child("Panel_MSO")->isHidden());
    EXPECT_TRUE(main->item("ViewAccessBar1")->isChecked());
    EXPECT_FALSE(main->item("ViewToolBars1")->isChecked());
    EXPECT_TRUE(main->button("viewaccessbar_sb")->isChecked());
    EXPECT_FALSE(main->button("viewtoolbars_sb")->isChecked());
    EXPECT_TRUE(shown("PanelFile"));
    EXPECT_EQ(panel("PanelFile")->pos(), QPoint(11, 2));
    for (int i = 1; i < 7; ++i) EXPECT_FALSE(shown(kPanels[i])) << kPanels[i];
    EXPECT_FALSE(main->item("FileToolBar1")->isVisible());
    EXPECT_FALSE(main->VumeterPanel->isHidden());
    EXPECT_TRUE(main->item("ViewVumeters1")->isChecked());
    EXPECT_TRUE(main->item("ShowImage1")->isChecked());
}

TEST_F(ViewTest, ToolBarModeShowsAllSevenBarsAtTheirDefaultPlaces) {
    start();
    ViewToolBars1Click(main.get());
    const QPoint places[7] = {{11, 2}, {11, 31}, {11, 60}, {11, 89}, {406, 31}, {514, 60}, {427, 2}};
    for (int i = 0; i < 7; ++i) {
        EXPECT_TRUE(shown(kPanels[i])) << kPanels[i];
        EXPECT_EQ(panel(kPanels[i])->pos(), places[i]) << kPanels[i];
    }
    for (const char* n : {"FileToolBar1", "EditToolBar1", "ToolsToolBar1", "FilterToolBar1", "MiscToolBar1",
                          "ViewToolBar1", "HelpToolBar1"}) {
        EXPECT_TRUE(main->item(n)->isChecked()) << n;
        EXPECT_TRUE(main->item(n)->isVisible()) << n;
    }
    EXPECT_TRUE(child("Panel_MSO")->isHidden());
    EXPECT_TRUE(main->button("viewtoolbars_sb")->isChecked());
    EXPECT_EQ(ini().ReadInteger("Options", "ViewAccessBar", -1), 0);

    // The next start keeps the mode.
    start();
    EXPECT_TRUE(main->item("ViewToolBars1")->isChecked());
    EXPECT_TRUE(shown("PanelHelp"));
    EXPECT_TRUE(child("Panel_MSO")->isHidden());
}

TEST_F(ViewTest, AMovedBarComesBackWhereItWasAfterTheAccessBar) {
    start();
    ViewToolBars1Click(main.get());
    dragGrip("PanelEdit", {100, 40});
    EXPECT_EQ(panel("PanelEdit")->pos(), QPoint(111, 71));

    ViewAccessBar1Click(main.get());
    EXPECT_EQ(ini().ReadInteger("Options", "ViewAccessBar", -1), 1);
    EXPECT_EQ(ini().ReadInteger("Options", "PanelEdit_Left", -1), 111);
    EXPECT_EQ(ini().ReadInteger("Options", "PanelEdit_Top", -1), 71);
    // A page shows its bar at the access bar's place; bars cannot be
    // dragged there.
    accessBarPageClick(main.get(), 1);
    EXPECT_EQ(panel("PanelEdit")->pos(), QPoint(11, 2));
    dragGrip("PanelEdit", {50, 50});
    EXPECT_EQ(panel("PanelEdit")->pos(), QPoint(11, 2));

    // Closing in this mode stores the tool-bar places, not the page's.
    main->FormClose();
    EXPECT_EQ(ini().ReadInteger("Options", "PanelEdit_Left", -1), 111);
    EXPECT_EQ(ini().ReadInteger("Options", "PanelEdit_Top", -1), 71);

    start();
    ViewToolBars1Click(main.get());
    EXPECT_EQ(panel("PanelEdit")->pos(), QPoint(111, 71));
    EXPECT_EQ(panel("PanelFile")->pos(), QPoint(11, 2));
}

TEST_F(ViewTest, PlacesAndCountsFromADamagedSettingsFileAreBroughtIntoRange) {
    {
        std::ofstream out(dir.file("dadoruz.ini"));
        out << "[Options]\nViewAccessBar=0\nPanelEdit_Top=2147483647\nPanelMisc_Left=2147483647\n"
               "PanelFile_Left=-2147483648\nPanelHelp_Top=-5\nUndoLevels=2147483647\n"
               "[Configuration]\nVerticalScale=-2147483648\n";
    }
    start();
    // Each bar keeps its grip on the screen.
    const QPoint farthest = farthestToolBarPlace(main.get());
    EXPECT_EQ(panel("PanelEdit")->pos(), QPoint(11, farthest.y()));
    EXPECT_EQ(panel("PanelMisc")->pos(), QPoint(farthest.x(), 31));
    EXPECT_EQ(panel("PanelFile")->pos(), QPoint(0, 2));
    EXPECT_EQ(panel("PanelHelp")->pos(), QPoint(427, 0));
    EXPECT_LE(child("ControlBar1")->height(), farthest.y() + 40);
    EXPECT_EQ(main->VerticalScale, 1);
    EXPECT_EQ(main->UndoLevels, UndoStore::kMostLevels);
    TColorsfrm colors(nullptr);
    colors.loadForm(0, 0, 0, 0);
    EXPECT_EQ(colors.rg1->ItemIndex(), 0);
    // What is stored again is the place the bar took.
    main->FormClose();
    EXPECT_EQ(ini().ReadInteger("Options", "PanelEdit_Top", -1), farthest.y());
}

TEST_F(ViewTest, PageButtonsShowOneBarWithItsTitle) {
    start();
    auto* title = main->findChild<QLabel*>("PanelTitolar_Caption");
    ASSERT_TRUE(title);
    main->findChild<QToolButton*>("MSO_Misc_SB")->click();
    EXPECT_EQ(title->text(), "Misc.");
    EXPECT_TRUE(shown("PanelMisc"));
    EXPECT_EQ(panel("PanelMisc")->pos(), QPoint(11, 2));
    for (const char* n : {"PanelFile", "PanelEdit", "PanelTools", "PanelFilter", "PanelView", "PanelHelp"})
        EXPECT_FALSE(shown(n)) << n;
    main->findChild<QToolButton*>("MSO_Help_SB")->click();
    EXPECT_EQ(title->text(), "Help");
    EXPECT_FALSE(shown("PanelMisc"));
    EXPECT_TRUE(shown("PanelHelp"));

    // The close button of the title leaves the access bar for good.
    main->findChild<QToolButton*>("CloseAccessBar")->click();
    EXPECT_TRUE(child("Panel_MSO")->isHidden());
    EXPECT_TRUE(shown("PanelView"));
    EXPECT_EQ(ini().ReadInteger("Options", "ViewAccessBar", -1), 0);
}

TEST_F(ViewTest, AToolBarItemHidesItsBarAndIsRemembered) {
    start();
    ViewToolBars1Click(main.get());
    main->item("FilterToolBar1")->trigger();
    EXPECT_FALSE(shown("PanelFilter"));
    EXPECT_FALSE(main->item("FilterToolBar1")->isChecked());
    EXPECT_EQ(ini().ReadInteger("Options", "ViewPanelFilter", -1), 0);
    toolBarItemClick(main.get(), 3);
    EXPECT_TRUE(shown("PanelFilter"));
    toolBarItemClick(main.get(), 3);

    start();
    EXPECT_FALSE(shown("PanelFilter"));
    EXPECT_FALSE(main->item("FilterToolBar1")->isChecked());
    EXPECT_TRUE(shown("PanelTools"));
}

TEST_F(ViewTest, MetersGridAndPictureFollowTheirItemsAndButtons) {
    start();
    main->button("Vumeters_SB")->click();
    EXPECT_TRUE(main->VumeterPanel->isHidden());
    EXPECT_FALSE(main->item("ViewVumeters1")->isChecked());
    EXPECT_FALSE(main->button("Vumeters_SB")->isChecked());
    EXPECT_EQ(ini().ReadInteger("Options", "ViewVumeters", -1), 0);
    main->item("ViewVumeters1")->trigger();
    EXPECT_FALSE(main->VumeterPanel->isHidden());
    EXPECT_TRUE(main->button("Vumeters_SB")->isChecked());
    EXPECT_EQ(ini().ReadInteger("Options", "ViewVumeters", -1), 1);

    main->button("Grid_SB")->click();
    EXPECT_TRUE(main->ViewGrid1->isChecked());
    EXPECT_TRUE(main->button("Grid_SB")->isChecked());
    main->ViewGrid1->trigger();
    EXPECT_FALSE(main->ViewGrid1->isChecked());
    EXPECT_FALSE(main->button("Grid_SB")->isChecked());

    main->item("ShowImage1")->trigger();
    EXPECT_TRUE(main->Panel3->isHidden());
    EXPECT_EQ(ini().ReadInteger("Options", "ViewImage", -1), 0);
    start();
    EXPECT_TRUE(main->Panel3->isHidden());
    EXPECT_FALSE(main->item("ShowImage1")->isChecked());
    HideShowImage1Click(main.get());
    EXPECT_FALSE(main->Panel3->isHidden());
    EXPECT_TRUE(main->item("ShowImage1")->isChecked());
    // The picture's own menu has the same switch.
    QAction* popup = main->item("HideShowImage1");
    ASSERT_TRUE(popup);
    EXPECT_TRUE(popup->isChecked());
    popup->trigger();
    EXPECT_TRUE(main->Panel3->isHidden());
    EXPECT_FALSE(main->item("ShowImage1")->isChecked());
    EXPECT_EQ(ini().ReadInteger("Options", "ViewImage", -1), 0);
}

TEST_F(ViewTest, TheViewMenuReadsTheSettingsAsItOpens) {
    start();
    ini().WriteInteger("Options", "ViewVumeters", 0);
    ini().WriteInteger("Options", "ViewAccessBar", 0);
    View1Click(main.get());
    EXPECT_FALSE(main->item("ViewVumeters1")->isChecked());
    EXPECT_TRUE(main->item("ViewToolBars1")->isChecked());
    EXPECT_FALSE(main->item("ViewAccessBar1")->isChecked());
    EXPECT_TRUE(main->item("HelpToolBar1")->isVisible());
}

TEST_F(ViewTest, TheAccessBarIsNeverNarrowerThan80Pixels) {
    start();
    QWidget* body = child("Panel_MSO_Body");
    ASSERT_TRUE(body);
    body->resize(60, 400);
    Panel_MSOResize(main.get());
    // 80 pixels, or the room "Miscellaneous" needs in the font it shows in.
    auto* misc = qobject_cast<QLabel*>(child("MSO_Misc_Lab"));
    ASSERT_TRUE(misc);
    const int least = std::max(80, misc->sizeHint().width() + 8);
    EXPECT_EQ(body->width(), least);
    EXPECT_EQ(child("MSO_File_SB")->x(), least / 2 - 21);
    // Every label is centred across the bar.
    EXPECT_EQ(misc->geometry(), QRect(0, misc->y(), least, misc->height()));
    EXPECT_TRUE(misc->alignment() & Qt::AlignHCenter);
    EXPECT_EQ(child("CloseAccessBar")->x(), least - 14 - 2);
    body->resize(120, 400);
    Panel_MSOResize(main.get());
    EXPECT_EQ(child("MSO_Tools_SB")->x(), 60 - 21);
    EXPECT_EQ(child("MSO_Tools_LAb")->width(), 120);
    EXPECT_EQ(child("PanelTitolar")->width(), 120);

    QWidget* meters = child("VumeterBody");
    meters->resize(27, 200);
    VumeterPanelResize(main.get());
    EXPECT_EQ(child("LabelVumeter")->y(), 184);
    EXPECT_EQ(main->Gauge1->height(), 182);
    EXPECT_EQ(main->Gauge2->height(), 182);
}

TEST_F(ViewTest, EveryBarHoldsItsButtonsAndTheyReachTheirCommands) {
    start();
    const std::pair<const char*, const char*> where[] = {
        {"SpeedButton7", "PanelFile"},   {"Exit_SB", "PanelFile"},       {"SpeedButton5", "PanelEdit"},
        {"SpeedButton21", "PanelTools"}, {"SpeedButton9", "PanelFilter"}, {"SpeedButton27", "PanelFilter"},
        {"Loop_SB", "PanelMisc"},        {"SpeedButton10", "PanelMisc"},  {"SpeedButton47", "PanelMisc"},
        {"speedzoom", "PanelView"},      {"Grid_SB", "PanelView"},        {"Volume_SB", "PanelView"},
        {"About_SB", "PanelHelp"}};
    for (const auto& [b, bar] : where) {
        ASSERT_TRUE(main->button(b)) << b;
        EXPECT_EQ(main->button(b)->parentWidget(), panel(bar)) << b;
    }
    // Buttons that no rule names are usable whenever their command is.
    EXPECT_TRUE(main->button("Exit_SB")->isEnabled());
    EXPECT_TRUE(main->button("viewtoolbars_sb")->isEnabled());
    EXPECT_TRUE(main->button("Loop_SB")->isEnabled());
    EXPECT_FALSE(main->button("SpeedButton21")->isEnabled());   // no sound yet
    main->button("viewtoolbars_sb")->click();
    EXPECT_TRUE(main->item("ViewToolBars1")->isChecked());
    EXPECT_TRUE(shown("PanelHelp"));
    main->button("viewaccessbar_sb")->click();
    EXPECT_TRUE(main->item("ViewAccessBar1")->isChecked());
    EXPECT_FALSE(shown("PanelHelp"));

    setProgramStarter([](const VolumeControlCommand&) { return false; });
    ASSERT_TRUE(main->button("Volume_SB")->isEnabled());
    main->button("Volume_SB")->click();
    setProgramStarter(nullptr);
    EXPECT_TRUE(scripted().sawMessage("Volume control not found."));
}

TEST_F(ViewTest, TheMiscellaneousMenuNeedsASelectionForTheHistogram) {
    start();
    Misce1Click(main.get());
    EXPECT_FALSE(main->item("CurrentSampleValue1")->isEnabled());
    EXPECT_TRUE(main->item("Loop1")->isEnabled());
    TSoundfrm* w = openSound(1000);
    ASSERT_TRUE(w);
    main->Edit3->setText("0");
    Misce1Click(main.get());
    EXPECT_FALSE(main->item("Histogram1")->isEnabled());
    EXPECT_TRUE(main->item("CurrentSampleValue1")->isEnabled());
    main->Edit3->setText("10");
    Misce1Click(main.get());
    EXPECT_EQ(main->item("Histogram1")->isEnabled(), main->hasHandler("Histogram1"));
}

} // namespace
