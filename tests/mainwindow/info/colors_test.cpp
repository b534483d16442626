// The colours and options dialog: colour sets, the settings it reads and
// writes, what the main window reloads afterwards, and the associations.
#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QSpinBox>

#include "dialogs/ParamDialog.h"
#include "mainwindow/Colors.h"
#include "platform/settings.h"
#include "tests/mainwindow/info/info_fixture.h"

using namespace sv;
using namespace sv::test;

namespace {

class ColorsTest : public InfoTest {
protected:
    uint32_t p1 = 0x111111, p2 = 0x222222, p4 = 0x444444, p3 = 0x333333;
    std::unique_ptr<TColorsfrm> form() {
        auto f = std::make_unique<TColorsfrm>(nullptr);
        f->loadForm(p1, p2, p4, p3);
        f->FormActivate();
        return f;
    }
    static std::string regValue(const std::string& path) {
        Registry reg(RegistryRoot::ClassesRoot);
        return reg.openKey(path, false) ? reg.readString("") : std::string("<missing>");
    }
};

TEST_F(ColorsTest, SetsFillAllEightPanelsAndCustomKeepsThem) {
    auto f = form();
    EXPECT_EQ(f->Panel1->color(), 0x111111u);
    EXPECT_EQ(f->Panel3->color(), 0x333333u);
    EXPECT_EQ(f->Panel4->color(), 0x444444u);
    ASSERT_EQ(f->cb->count(), 13);
    EXPECT_EQ(f->cb->itemText(5), "Night");
    f->cbChange(5);
    const uint32_t night[] = {0xFFFFFF, 0x400000, 0x0080FF, 0x80FFFF, 0x0080FF, 0xFF0000, 0x800000, 0xFFFFFF};
    TColorPanel* panels[] = {f->Panel1, f->Panel2, f->Panel3, f->Panel4, f->Panel5, f->Panel6, f->Panel7, f->Panel8};
    for (int i = 0; i < 8; ++i) EXPECT_EQ(panels[i]->color(), night[i]) << "panel " << i + 1;
    f->cbChange(0);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(panels[i]->color(), night[i]) << "panel " << i + 1;
    // The last set, so an off-by-one in the table shows.
    f->cbChange(12);
    EXPECT_EQ(f->Panel4->color(), 0x808080u);
    EXPECT_EQ(f->Panel5->color(), 0xC0C0C0u);
}

TEST_F(ColorsTest, WithoutSettingsFileDefaultsShowWithExitAndMetersChecked) {
    auto f = std::make_unique<TColorsfrm>(nullptr);
    f->loadForm(p1, p2, p4, p3);
    f->FormActivate();
    EXPECT_TRUE(f->cb2->isChecked());
    EXPECT_TRUE(f->cb3->isChecked());
    EXPECT_FALSE(f->cb1->isChecked());
    EXPECT_TRUE(f->cb5->isChecked());
    EXPECT_FALSE(f->PreferredZoom->isEnabled());
    EXPECT_EQ(f->UndoLevels->value(), 10);
    EXPECT_EQ(f->rg1->ItemIndex(), 0);
    EXPECT_EQ(f->Panel5->color(), 0x0000FFu);
    EXPECT_EQ(f->Panel8->color(), 0xFFFFFFu);
    f->cb5->setChecked(false);
    f->cb5Click();
    EXPECT_TRUE(f->PreferredZoom->isEnabled());
}

TEST_F(ColorsTest, OkWritesEveryOptionAndAColourDialogChangesAPanel) {
    auto f = form();
    scripted().answers.push_back(std::to_string(0x123456));
    f->panelClick(f->Panel6);
    EXPECT_EQ(f->Panel6->color(), 0x123456u);
    scripted().answers.push_back("");   // cancelled colour dialog
    f->panelClick(f->Panel7);
    EXPECT_EQ(f->Panel7->color(), 0x808080u);
    f->rg1->setItemIndex(2);
    f->UndoLevels->setValue(25);
    f->cb1->setChecked(true);
    f->cb2->setChecked(false);
    f->cb3->setChecked(false);
    f->cb4->setChecked(true);
    f->cb5->setChecked(false);
    f->cb6->setChecked(false);
    f->cb7->setChecked(false);
    f->PreferredZoom->setValue(40);
    f->Button1Click();
    EXPECT_EQ(f->Cancelled, 0);
    IniFile ini(dir.file("dadoruz.ini"));
    EXPECT_EQ(ini.ReadInteger("Colors", "grid", 0), 0x123456);
    EXPECT_EQ(ini.ReadInteger("Colors", "gridfons", 0), 0x808080);
    EXPECT_EQ(ini.ReadInteger("Colors", "PlayCursor", 0), 0x0000FF);
    EXPECT_EQ(ini.ReadInteger("Configuration", "VerticalScale", 0), 3);
    EXPECT_EQ(ini.ReadInteger("Options", "UndoLevels", 0), 25);
    EXPECT_EQ(ini.ReadInteger("Options", "DisableUndo", 0), 1);
    EXPECT_EQ(ini.ReadInteger("Options", "ConfirmExit", 1), 0);
    EXPECT_EQ(ini.ReadInteger("Options", "ViewVumeters", 1), 0);
    EXPECT_EQ(ini.ReadInteger("Options", "PlayFromCursorPosition", 0), 1);
    EXPECT_EQ(ini.ReadInteger("Options", "AutoZoom", 1), 0);
    EXPECT_EQ(ini.ReadInteger("Options", "ViewFullFilePath", 1), 0);
    EXPECT_EQ(ini.ReadInteger("Options", "DoScroll", 1), 0);
    EXPECT_EQ(ini.ReadInteger("Options", "PreferredZoom", 0), 40);

    // Opening again shows what was stored.
    auto g = form();
    EXPECT_EQ(g->rg1->ItemIndex(), 2);
    EXPECT_EQ(g->UndoLevels->value(), 25);
    EXPECT_FALSE(g->cb2->isChecked());
    EXPECT_TRUE(g->PreferredZoom->isEnabled());
    EXPECT_EQ(g->PreferredZoom->value(), 40);
}

TEST_F(ColorsTest, UndoLevelsStartAtOneAndAStoredZeroShowsAsTheOneStepKept) {
    IniFile(dir.file("dadoruz.ini")).WriteInteger("Options", "UndoLevels", 0);
    auto f = form();
    EXPECT_EQ(f->UndoLevels->minimum(), 1);
    EXPECT_EQ(f->UndoLevels->value(), 1);
    f->UndoLevels->setValue(0);
    f->Button1Click();
    EXPECT_EQ(IniFile(dir.file("dadoruz.ini")).ReadInteger("Options", "UndoLevels", -1), 1);
}

// People edit the file by hand: a value other than 0 or 1 shows in the
// dialog as the program acts on it.
TEST_F(ColorsTest, HandEditedYesNoValuesShowAsTheProgramActsOnThem) {
    IniFile ini(dir.file("dadoruz.ini"));
    for (const char* key : {"DisableUndo", "ConfirmExit", "ViewVumeters", "PlayFromCursorPosition"})
        ini.WriteInteger("Options", key, 2);
    start();
    TSoundfrm* w = openWave("song.wav");
    ASSERT_NE(w, nullptr);
    EXPECT_TRUE(w->Undo->disabled());
    EXPECT_EQ(main->undo1->text(), "&Undo DISABLED");
    EXPECT_TRUE(main->VumeterPanel->isHidden());
    EXPECT_EQ(main->PlayFromCursorPosition, 1);
    scripted().answer(mrNo);
    EXPECT_FALSE(main->FormCloseQuery());
    EXPECT_TRUE(scripted().sawMessage("Are you sure you want to exit?"));

    auto f = form();
    EXPECT_TRUE(f->cb1->isChecked());
    EXPECT_TRUE(f->cb2->isChecked());
    EXPECT_FALSE(f->cb3->isChecked());
    EXPECT_TRUE(f->cb4->isChecked());
}

TEST_F(ColorsTest, CancelKeepsColoursButStoresThemAndReloadsCachedSettings) {
    start();
    main->WaveformColor = 0x010203;
    IniFile(dir.file("dadoruz.ini")).WriteInteger("Colors", "grid", 777);
    IniFile(dir.file("dadoruz.ini")).WriteInteger("Options", "UndoLevels", 4);
    onModal<TColorsfrm>([](TColorsfrm& f) {
        f.cbChange(5);
        f.Button2Click();
    });
    trigger("Colors1");
    EXPECT_EQ(main->WaveformColor, 0x010203u);
    IniFile ini(dir.file("dadoruz.ini"));
    EXPECT_EQ(ini.ReadInteger("Colors", "ona", 0), 0x010203);
    EXPECT_EQ(ini.ReadInteger("Colors", "fons", 0), 0xC0C0C0);
    EXPECT_FALSE(ini.ValueExists("Colors", "PlayCursor"));
    EXPECT_EQ(main->GridColor, 777u);
    EXPECT_EQ(main->UndoLevels, 4);
}

TEST_F(ColorsTest, CloseBoxActsAsCancel) {
    uint32_t a = 1, b = 2, c = 4, d = 3;
    TColorsfrm f(nullptr);
    onModal<TColorsfrm>([](TColorsfrm& form) {
        form.cbChange(5);
        form.close();
    });
    f.mostrarform(a, b, c, d);
    EXPECT_EQ(f.Cancelled, 1);
    EXPECT_EQ(a, 1u);
    EXPECT_EQ(c, 4u);
    EXPECT_FALSE(IniFile(dir.file("dadoruz.ini")).ValueExists("Options", "UndoLevels"));
}

TEST_F(ColorsTest, OkAppliesToMainWindowAndRedrawsSoundWindows) {
    start();
    TSoundfrm* w = openWave("song.wav");
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->caption(), dir.file("song.wav"));
    onModal<TColorsfrm>([](TColorsfrm& f) {
        f.cbChange(5);   // Night
        f.cb6->setChecked(false);
        f.rg1->setItemIndex(1);
        f.cb4->setChecked(true);
        f.cb3->setChecked(false);
        f.UndoLevels->setValue(3);
        f.Button1Click();
    });
    trigger("Colors1");
    EXPECT_EQ(main->WaveformColor, 0xFFFFFFu);
    EXPECT_EQ(main->BackgroundColor, 0x400000u);
    EXPECT_EQ(main->CentralLineColor, 0x0080FFu);
    EXPECT_EQ(main->StereoColor, 0x80FFFFu);
    EXPECT_EQ(main->GridColor, 0xFF0000u);
    EXPECT_EQ(main->GridPanelBackColor, 0x800000u);
    EXPECT_EQ(main->VerticalScale, 2);
    EXPECT_EQ(main->PlayFromCursorPosition, 1);
    EXPECT_EQ(main->UndoLevels, 3);
    EXPECT_TRUE(main->VumeterPanel->isHidden());
    EXPECT_TRUE(main->Gauge1->styleSheet().contains("rgb(255,255,255)"));
    EXPECT_EQ(IniFile(dir.file("dadoruz.ini")).ReadInteger("Colors", "liniast", 0), 0x80FFFF);
    // The window read its options again: the caption is the name only.
    EXPECT_EQ(w->caption(), "song.wav");
    EXPECT_EQ(w->PlayCursorColor, 0x0080FFu);
}

TEST_F(ColorsTest, EditorAssociationSetsAndUnsetsVerbsButKeepsWavKey) {
    auto f = form();
    EXPECT_EQ(f->IssetAE(), 0);
    EXPECT_EQ(f->SpeedButton2->text(), "Set Sonvela as the default audio editor/player");
    f->SpeedButton2Click();
    const std::string program = TColorsfrm::programPath();
    EXPECT_EQ(regValue("wavfile\\shell\\Play audio\\command"), program + " -PLAY \"%1\"");
    EXPECT_EQ(regValue("wavfile\\shell\\open\\command"), program + " \"%1\"");
    EXPECT_EQ(regValue(".wav"), "wavfile");
    EXPECT_EQ(f->SpeedButton2->text(), "Unset Sonvela as the default audio editor/player");
    EXPECT_EQ(defaultApplication("audio/x-wav"), kWavDesktopId);

    scripted().answer(mrNo);
    f->SpeedButton2Click();
    EXPECT_EQ(f->IssetAE(), 1);
    ASSERT_FALSE(scripted().log.empty());
    EXPECT_EQ(scripted().log.back().text, "Are you sure that you want to unset Sonvela as the default Wave Editor?");
    EXPECT_EQ(scripted().log.back().caption, "Sonvela");

    scripted().answer(mrYes);
    f->SpeedButton2Click();
    EXPECT_EQ(regValue("wavfile\\shell\\Play audio"), "<missing>");
    EXPECT_EQ(regValue("wavfile\\shell\\open\\command"), "<missing>");
    EXPECT_NE(regValue("wavfile\\shell\\open"), "<missing>");
    EXPECT_EQ(regValue(".wav"), "wavfile");
    EXPECT_EQ(f->SpeedButton2->text(), "Set Sonvela as the default audio editor/player");
    EXPECT_EQ(defaultApplication("audio/x-wav"), "");
}

TEST_F(ColorsTest, CdPlayerAssociationSetsAndUnsets) {
    // Another player handles audio CDs before.
    ASSERT_TRUE(setDefaultApplication(kCdContentType, "other-cd.desktop"));
    auto f = form();
    EXPECT_EQ(f->SpeedButton1->text(), "Set Sonvela as the default CD player");
    f->SpeedButton1Click();
    EXPECT_EQ(regValue("AudioCD\\shell\\play\\command"), TColorsfrm::programPath() + " -CD \"%1\"");
    EXPECT_EQ(f->SpeedButton1->text(), "Unset Sonvela as the default CD player");
    EXPECT_EQ(defaultApplication(kCdContentType), kCdDesktopId);
    const std::vector<uint8_t> bytes = readBytes(applicationsFolder() + kCdDesktopId);
    const std::string entry(bytes.begin(), bytes.end());
    EXPECT_NE(entry.find("Exec=" + desktopExecArgument(TColorsfrm::programPath()) + " -CD\n"), std::string::npos)
        << entry;
    EXPECT_NE(entry.find("MimeType=x-content/audio-cdda;\n"), std::string::npos) << entry;
    // A fresh dialog reads the state again.
    auto g = form();
    EXPECT_EQ(g->SpeedButton1->text(), "Unset Sonvela as the default CD player");
    scripted().answer(mrYes);
    g->SpeedButton1Click();
    EXPECT_EQ(scripted().log.back().text, "Are you sure that you want to unset Sonvela as the default CD Player?");
    EXPECT_EQ(regValue("AudioCD\\shell\\play\\command"), "<missing>");
    EXPECT_NE(regValue("AudioCD\\shell\\play"), "<missing>");
    EXPECT_EQ(g->IssetCD(), 0);
    EXPECT_EQ(g->SpeedButton1->text(), "Set Sonvela as the default CD player");
    // The player of before has the discs again, and setting once more
    // remembers it again.
    EXPECT_EQ(defaultApplication(kCdContentType), "other-cd.desktop");
    g->SpeedButton1Click();
    EXPECT_EQ(defaultApplication(kCdContentType), kCdDesktopId);
    scripted().answer(mrYes);
    g->SpeedButton1Click();
    EXPECT_EQ(defaultApplication(kCdContentType), "other-cd.desktop");
}

TEST_F(ColorsTest, UnwritableRegistryIsSilent) {
    // A file where the registry's folder should be: nothing can be written.
    writeBytes(dir.file("blocked"), {1});
    setRegistryFolder(dir.file("blocked/sub/"));
    auto f = form();
    f->SpeedButton1Click();
    f->SpeedButton2Click();
    EXPECT_TRUE(scripted().messages().empty());
    EXPECT_EQ(f->SpeedButton1->text(), "Set Sonvela as the default CD player");
}

} // namespace
