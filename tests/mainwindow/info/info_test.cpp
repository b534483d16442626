// The device and file information windows, the about box, help and the web
// links.
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QToolButton>

#include "dialogs/ParamDialog.h"
#include "mainwindow/About.h"
#include "mainwindow/DeviceInfo.h"
#include "mainwindow/FileInfo.h"
#include "platform/paths.h"
#include "platform/settings.h"
#include "tests/mainwindow/info/info_fixture.h"

using namespace sv;
using namespace sv::test;

namespace {

using DeviceInfoTest = InfoTest;

TEST_F(DeviceInfoTest, ListsMapperAndDeviceOfEachDirection) {
    TDeviceInfofrm f(nullptr);
    ASSERT_EQ(f.ListBox1->count(), 4);
    ASSERT_EQ(f.Entries.size(), 4u);
    const std::pair<int, int> kindNumber[] = {{0, -1}, {0, 0}, {1, -1}, {1, 0}};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(f.Entries[i]->kind, kindNumber[i].first) << i;
        EXPECT_EQ(f.Entries[i]->number, kindNumber[i].second) << i;
        EXPECT_EQ(f.ListBox1->item(int(i))->text().toStdString(), f.Entries[i]->caps.name);
    }
    EXPECT_EQ(f.l1->text(), "Default Input Device = " + f.ListBox1->item(0)->text());
    EXPECT_EQ(f.l2->text(), "Default Output Device = " + f.ListBox1->item(2)->text());
    EXPECT_TRUE(f.Label5->text().startsWith("Total space on disc c: -> "));
    EXPECT_TRUE(f.Label6->text().endsWith(" MB"));
    EXPECT_FALSE(f.Button2->isEnabled());
    EXPECT_EQ(TDeviceInfofrm::diskSpaceText(2'999'999), " 2 MB");
}

TEST_F(DeviceInfoTest, ChoosingDevicesAndOkStoresThem) {
    IniFile(dir.file("dadoruz.ini")).WriteInteger("Configuration", "DefaultOutput", 0);
    TDeviceInfofrm f(nullptr);
    EXPECT_EQ(f.l2->text(), "Default Output Device = " + f.ListBox1->item(3)->text());
    f.ListBox1->setCurrentRow(2);
    EXPECT_TRUE(f.Button2->isEnabled());
    EXPECT_EQ(f.RadioGroup1->ItemIndex(), 1);
    EXPECT_EQ(f.Button2->text(), "&Set as default Output Device");
    EXPECT_EQ(f.Edit3->text().toStdString(), std::to_string(f.Entries[2]->caps.driverVersion));
    EXPECT_EQ(f.CheckBox3->isChecked(), (f.Entries[2]->caps.formats & 0x100) != 0);
    EXPECT_EQ(f.CheckBox7->isChecked(), (f.Entries[2]->caps.formats & 0x2) != 0);
    f.Button2Click();
    EXPECT_EQ(DefaultOutputDevice, -1);
    EXPECT_EQ(f.l2->text(), "Default Output Device = " + f.ListBox1->item(2)->text());
    f.ListBox1->setCurrentRow(1);
    EXPECT_EQ(f.RadioGroup1->ItemIndex(), 0);
    EXPECT_EQ(f.Button2->text(), "&Set as default Input Device");
    f.Button2Click();
    EXPECT_EQ(DefaultInputDevice, 0);
    f.Button1Click();
    IniFile ini(dir.file("dadoruz.ini"));
    EXPECT_EQ(ini.ReadInteger("Configuration", "DefaultInput", 9), 0);
    EXPECT_EQ(ini.ReadInteger("Configuration", "DefaultOutput", 9), -1);
}

TEST_F(DeviceInfoTest, CancelWritesNothing) {
    TDeviceInfofrm f(nullptr);
    f.ListBox1->setCurrentRow(3);
    f.Button2Click();
    f.Button3Click();
    EXPECT_EQ(f.result(), mrCancel);
    EXPECT_FALSE(fileExists(dir.file("dadoruz.ini")));
}

TEST_F(InfoTest, FileInformationShowsTheActiveSound) {
    start();
    ASSERT_NE(openWave("tone.wav", 16, 2, 4000), nullptr);
    main->File2->popup(QPoint(0, 0));   // the menu's enabling runs as it opens
    main->File2->hide();
    bool shown = false;
    onModal<TFileInfofrm>([&](TFileInfofrm& f) {
        shown = true;
        EXPECT_EQ(f.windowTitle(), "File information");
        EXPECT_EQ(f.Panel1->text(), "16 Bits");
        EXPECT_EQ(f.Panel2->text(), "22050 Hz");
        EXPECT_EQ(f.Panel3->text(), "4000 Samples");
        EXPECT_EQ(f.Panel4->text(), QString::number(44 + 4000 * 4) + " Bytes");
        EXPECT_EQ(f.Panel5->text(), "Stereo");
        EXPECT_EQ(f.Panel6->text(), "tone.wav");
        EXPECT_EQ(f.Panel6->toolTip().toStdString(), dir.file("tone.wav"));
        f.Button1Click();
    });
    trigger("Informacionarchivo1");
    EXPECT_TRUE(shown);
}

TEST_F(InfoTest, HelpAboutAndLinksGoThroughTheOpener) {
    start();
    // Help without its file says so (the help window has its own tests).
    trigger("Contents1");
    EXPECT_TRUE(scripted().sawMessage("Cannot open the help file " + dir.file("sonvela.hlp") + "."));
    EXPECT_TRUE(opened.empty());

    trigger("sendemailtoauthor1");
    trigger("VisitSonvelawebsite1");
    EXPECT_EQ(opened[0], kMakerMail);
    EXPECT_EQ(opened[0].rfind("mailto:", 0), 0u);
    EXPECT_EQ(opened[1], kMakerHomePage);
    QMenu* other = main->Help1->findChild<QMenu*>("OtherPrograms1");
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(other->actions().size(), 3);
    trigger("OtherProgram2");
    EXPECT_EQ(opened[2], otherProgramLinks()[1].url);
    // The first of them has its button on the Help bar too.
    QToolButton* button = main->button("OtherProgram_SB");
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->parentWidget()->objectName(), "PanelHelp");
    EXPECT_TRUE(button->isEnabled());
    button->click();
    ASSERT_EQ(opened.size(), 4u);
    EXPECT_EQ(opened[3], otherProgramLinks()[0].url);
    opened.pop_back();

    onModal<TAboutBoxfrm>([](TAboutBoxfrm& f) {
        EXPECT_EQ(f.windowTitle(), "About...");
        f.Label1Click();
        f.Label3Click();
        f.OKButtonClick();
    });
    trigger("About1");
    ASSERT_EQ(opened.size(), 5u);
    EXPECT_EQ(opened[3], kMakerMail);
    EXPECT_EQ(opened[4], kMakerHomePage);
}

TEST_F(InfoTest, HelpItemsWaitWhileBusy) {
    start();
    setActivity(Activity::Busy);
    main->Help1->popup(QPoint(0, 0));
    EXPECT_FALSE(main->item("Contents1")->isEnabled());
    EXPECT_FALSE(main->item("About1")->isEnabled());
    main->Help1->hide();
    setActivity(Activity::Idle);
    main->Help1->popup(QPoint(0, 0));
    EXPECT_TRUE(main->item("Contents1")->isEnabled());
    EXPECT_TRUE(main->item("About1")->isEnabled());
    main->Help1->hide();
    // Installing again adds nothing.
    const auto count = main->Help1->actions().size();
    installInfoCommands(main.get());
    EXPECT_EQ(main->Help1->actions().size(), count);
}

TEST_F(InfoTest, WebsitesSwitchTablesAndVisitTheSelectedSite) {
    TWebsitesfrm f(nullptr);
    EXPECT_EQ(f.windowTitle(), "Websites");
    EXPECT_EQ(f.ListBox1->count(), 16);
    EXPECT_EQ(f.ListBox1->currentRow(), -1);
    EXPECT_EQ(f.comments->text().toStdString(), f.audioSites[0].comment);
    f.SpeedButton1Click();   // nothing selected: nothing opens
    EXPECT_TRUE(opened.empty());

    f.RadioGroup1->setItemIndex(1);
    f.RadioGroup1Click();
    ASSERT_EQ(f.ListBox1->count(), 7);
    EXPECT_EQ(f.ListBox1->currentRow(), 0);
    EXPECT_EQ(f.ListBox1->item(0)->text().toStdString(), f.generalSites[0].name);
    EXPECT_EQ(f.comments->text().toStdString(), f.generalSites[0].comment);

    // Stars follow the rating: 3 shows the third only, 5 all three.
    for (size_t i = 0; i < f.generalSites.size(); ++i) {
        f.ListBox1->setCurrentRow(int(i));
        const int r = f.generalSites[i].rating;
        EXPECT_GE(r, 3);
        EXPECT_LE(r, 5);
        EXPECT_EQ(!f.Image4->isHidden(), r > 3) << i;
        EXPECT_EQ(!f.Image5->isHidden(), r > 4) << i;
        EXPECT_FALSE(f.Image3->isHidden());
    }
    f.ListBox1->setCurrentRow(6);
    f.SpeedButton1Click();
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], f.generalSites[6].url);
}

} // namespace
