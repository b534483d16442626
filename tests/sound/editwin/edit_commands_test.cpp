#include "tests/sound/editwin/editwin_fixture.h"

#include <QCheckBox>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <cerrno>

#include "dialogs/MixWeights.h"
#include "platform/activity.h"
#include "platform/settings.h"
#include "sound/engine/clipboard_file.h"

using namespace sv;
using namespace sv::test;

namespace {

// ---- Cut, copy, paste and undo through the windows ----

TEST_F(EditWindowTest, CutThenPasteIntoAnotherWindowAndUndoBoth) {
    TSoundfrm* a = open("a.wav", 16, 2, 1000);
    const auto original = bytesOf(a);
    select(a, 100, 200);
    ASSERT_TRUE(choose("Cut1"));
    EXPECT_EQ(a->FrameCount(), 800);
    EXPECT_TRUE(a->Modified);
    EXPECT_EQ(a->SelectionStart, 100);
    EXPECT_EQ(a->SelectionLength, 0);
    EXPECT_EQ(main->Edit3->text(), "0");
    EXPECT_EQ(main->SoundLength, 800);
    EXPECT_EQ(a->StatusPanels[1]->text(), "800 Samples");
    EXPECT_EQ(a->StatusPanels[0]->text(), QString::number(44 + 800 * 4) + " Bytes");
    EXPECT_EQ(undoCaption(), "&Undo Cut");
    EXPECT_TRUE(main->undo1->isEnabled());
    EXPECT_EQ(fileSizeOf(dir.file("wavecopy.tmp")), 18 + 200 * 4);

    TSoundfrm* b = open("b.wav", 16, 2, 500);
    const auto bOriginal = bytesOf(b);
    select(b, 50, 0);
    ASSERT_TRUE(choose("Paste1"));
    ASSERT_EQ(b->FrameCount(), 700);
    EXPECT_EQ(0, std::memcmp(b->Sound.frame(50), original.data() + 100 * 4, 200 * 4));
    EXPECT_EQ(0, std::memcmp(b->Sound.frame(250), bOriginal.data() + 50 * 4, 450 * 4));
    EXPECT_EQ(b->SelectionStart, 50);
    EXPECT_EQ(b->SelectionLength, 200);
    EXPECT_EQ(undoCaption(), "&Undo Paste");

    ASSERT_TRUE(choose("undo1"));
    EXPECT_EQ(bytesOf(b), bOriginal);
    activate(a);
    ASSERT_TRUE(choose("undo1"));
    EXPECT_EQ(bytesOf(a), original);
    EXPECT_EQ(a->SelectionStart, 100);
    EXPECT_EQ(a->SelectionLength, 200);
    EXPECT_EQ(a->StatusPanels[1]->text(), "1000 Samples");
    EXPECT_EQ(messageCount(), 0u);
}

TEST_F(EditWindowTest, CopyLeavesTheSoundAloneAndThePasteReplacesTheSelection) {
    TSoundfrm* a = open("a.wav", 8, 1, 300);
    const auto original = bytesOf(a);
    select(a, 10, 20);
    ASSERT_TRUE(choose("Copy1"));
    EXPECT_FALSE(a->Modified);
    EXPECT_FALSE(a->undoAvailable());
    EXPECT_EQ(bytesOf(a), original);
    select(a, 200, 50);
    ASSERT_TRUE(choose("Paste1"));
    EXPECT_EQ(a->FrameCount(), 270);
    EXPECT_EQ(0, std::memcmp(a->Sound.frame(200), original.data() + 10, 20));
    ASSERT_TRUE(choose("undo1"));
    EXPECT_EQ(bytesOf(a), original);
    EXPECT_EQ(a->SelectionLength, 50);
}

TEST_F(EditWindowTest, PasteOfAnotherTypeAsksAndNoChangesNothing) {
    TSoundfrm* small = open("m8.wav", 8, 1, 100);
    select(small, 0, 100);
    ASSERT_TRUE(choose("Copy1"));
    const auto clip = bytesOf(small);
    TSoundfrm* big = open("s16.wav", 16, 2, 300);
    const auto original = bytesOf(big);
    select(big, 10, 10);

    scripted().answer(mrNo);
    ASSERT_TRUE(choose("Paste1"));
    ASSERT_EQ(messageCount(), 1u);
    EXPECT_EQ(scripted().log[0].caption, "Sonvela");
    EXPECT_EQ(scripted().log[0].text, kPasteFormatQuestion);
    EXPECT_EQ(scripted().log[0].buttons, Buttons::YesNo);
    EXPECT_EQ(bytesOf(big), original);
    EXPECT_EQ(big->SelectionStart, 10);
    EXPECT_EQ(big->SelectionLength, 10);
    EXPECT_FALSE(big->Modified);
    EXPECT_FALSE(big->undoAvailable());
    EXPECT_NE(undoCaption(), "&Undo Paste");

    // Yes: the clip's bytes go in raw, as whole frames of this sound.
    scripted().answer(mrYes);
    ASSERT_TRUE(choose("Paste1"));
    EXPECT_EQ(big->FrameCount(), 300 - 10 + 100 / 4);
    EXPECT_EQ(0, std::memcmp(big->Sound.frame(10), clip.data(), 100));
    EXPECT_TRUE(big->Modified);
    ASSERT_TRUE(choose("undo1"));
    EXPECT_EQ(bytesOf(big), original);
}

TEST_F(EditWindowTest, MixingAnotherTypeAlsoAsksFirst) {
    TSoundfrm* small = open("m8.wav", 8, 1, 40);
    select(small, 0, 40);
    ASSERT_TRUE(choose("Copy1"));
    TSoundfrm* big = open("s16.wav", 16, 1, 100);
    const auto original = bytesOf(big);
    select(big, 0, 0);
    scripted().answer(mrNo);
    ASSERT_TRUE(choose("PasteSpecial1"));
    EXPECT_EQ(scripted().log.back().text, kPasteFormatQuestion);
    EXPECT_EQ(bytesOf(big), original);
    EXPECT_FALSE(big->Modified);
    EXPECT_FALSE(big->undoAvailable());
}

TEST_F(EditWindowTest, PasteWithoutAClipChangesNothing) {
    TSoundfrm* a = open("a.wav", 16, 1, 100);
    const auto original = bytesOf(a);
    select(a, 0, 0);
    EXPECT_FALSE(choose("Paste1"));   // the menu offers it only with a clip
    sv::Paste1Click(main.get());
    EXPECT_EQ(messageCount(), 0u);
    // Called directly the window reports the missing file.
    EXPECT_FALSE(a->pegar());
    EXPECT_EQ(messageCount(), 1u);
    EXPECT_EQ(bytesOf(a), original);
    EXPECT_FALSE(a->Modified);
}

// ---- Undo captions ----

TEST_F(EditWindowTest, UndoCaptionNamesTheStepOnTop) {
    TSoundfrm* a = open("a.wav", 16, 1, 400);
    select(a, 10, 20);
    ASSERT_TRUE(choose("Cut1"));
    EXPECT_EQ(undoCaption(), "&Undo Cut");
    select(a, 50, 30);
    ASSERT_TRUE(choose("Insertarsilencio1"));
    EXPECT_EQ(undoCaption(), "&Undo Insert silence");
    ASSERT_TRUE(choose("undo1"));
    EXPECT_EQ(undoCaption(), "&Undo Cut");
    ASSERT_TRUE(choose("undo1"));
    // The words before the cut: none. The redraw's enabling of the tool
    // buttons then finds no step and shows the bare caption.
    EXPECT_EQ(undoCaption().trimmed(), "&Undo");
    EXPECT_FALSE(choose("undo1"));
    EXPECT_EQ(undoCaption(), "&Undo");
    EXPECT_EQ(a->FrameCount(), 400);
}

TEST_F(EditWindowTest, DisabledUndoKeepsItsCaptionAndWritesNoStep) {
    IniFile(dir.file("dadoruz.ini")).WriteInteger("Options", "DisableUndo", 1);
    TSoundfrm* a = open("a.wav", 16, 1, 400);
    EXPECT_EQ(undoCaption(), "&Undo DISABLED");
    select(a, 10, 20);
    ASSERT_TRUE(choose("Cut1"));
    EXPECT_EQ(a->FrameCount(), 380);
    EXPECT_TRUE(a->Modified);
    EXPECT_EQ(undoCaption(), "&Undo DISABLED");
    EXPECT_FALSE(a->undoAvailable());
    EXPECT_FALSE(choose("undo1"));
}

TEST_F(EditWindowTest, UndoStepThatCannotBeWrittenStopsTheEdit) {
    TSoundfrm* a = open("a.wav", 16, 2, 200);
    const auto original = bytesOf(a);
    setCreateFaultHook([](const std::string& path) {
        return extractFileName(path).rfind('~', 0) == 0 ? ENOSPC : 0;
    });
    select(a, 10, 20);
    ASSERT_TRUE(choose("Insertarsilencio1"));
    EXPECT_EQ(messageCount(), 1u);
    EXPECT_EQ(bytesOf(a), original);
    EXPECT_FALSE(a->Modified);
    EXPECT_FALSE(a->undoAvailable());
    EXPECT_EQ(sv::activity(), Activity::Idle);
}

// ---- Paste as new ----

TEST_F(EditWindowTest, PasteAsNewNumbersTheWindowAndTakesTheClipFormat) {
    main->New2Click();   // New1.wav
    TSoundfrm* a = open("a.wav", 8, 2, 300);
    select(a, 100, 40);
    ASSERT_TRUE(choose("Copy1"));
    ASSERT_TRUE(choose("Pegarcomonuevo1"));
    auto ws = main->soundWindows();
    ASSERT_EQ(ws.size(), 3u);
    TSoundfrm* n = ws.back();
    EXPECT_EQ(n->caption(), "New2.wav");
    EXPECT_EQ(main->NewSoundCount, 2);
    EXPECT_EQ(messageCount(), 0u);   // an empty new sound asks nothing
    ASSERT_EQ(n->FrameCount(), 40);
    EXPECT_EQ(n->SampleFormat.nChannels, 2);
    EXPECT_EQ(n->SampleFormat.wBitsPerSample, 8);
    EXPECT_EQ(0, std::memcmp(n->Sound.bytes.data(), a->Sound.frame(100), 80));
    EXPECT_FALSE(n->IsNew);
    EXPECT_TRUE(n->Modified);
    EXPECT_EQ(n->StatusPanels[4]->text(), "Stereo");
    EXPECT_EQ(n->StatusPanels[2]->text(), "8 Bits");
    EXPECT_EQ(undoCaption(), "&Undo Paste");
    ASSERT_TRUE(choose("Pegarcomonuevo1"));
    EXPECT_EQ(main->soundWindows().back()->caption(), "New3.wav");
    // The first paste's step is its own window's.
    EXPECT_TRUE(n->undoAvailable());
    activate(n);
    ASSERT_TRUE(choose("undo1"));
    EXPECT_EQ(n->FrameCount(), 0);
}

TEST_F(EditWindowTest, MixIntoAnEmptyNewSoundTakesTheClipFormat) {
    TSoundfrm* a = open("a.wav", 16, 2, 100);
    select(a, 0, 100);
    ASSERT_TRUE(choose("Copy1"));
    main->New2Click();
    TSoundfrm* n = main->soundWindows().back();
    ASSERT_TRUE(choose("PasteSpecial1"));
    EXPECT_EQ(messageCount(), 0u);
    EXPECT_FALSE(n->IsNew);
    EXPECT_EQ(bytesOf(n), bytesOf(a));
}

// ---- Mix, insert silence, delete, trim ----

TEST_F(EditWindowTest, MixAddsTheClipFromTheCursorAndLengthensTheSound) {
    TSoundfrm* c = open("clip.wav", 16, 1, pcm16({1000, 30000, -20000, 5, 6, 7}));
    select(c, 0, 6);
    ASSERT_TRUE(choose("Copy1"));
    TSoundfrm* s = open("s.wav", 16, 1, pcm16({1, 2, 3, 100, 30000, -20000}));
    select(s, 3, 0);
    ASSERT_TRUE(choose("PasteSpecial1"));
    ASSERT_EQ(s->FrameCount(), 9);
    const int16_t want[] = {1, 2, 3, 1100, 32767, -32767, 5, 6, 7};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(sample16(s, i), want[i]) << i;
    EXPECT_EQ(s->SelectionStart, 3);
    EXPECT_EQ(s->SelectionLength, 6);
    EXPECT_EQ(undoCaption(), "&Undo Mix");
    ASSERT_TRUE(choose("undo1"));
    EXPECT_EQ(bytesOf(s), pcm16({1, 2, 3, 100, 30000, -20000}));
}

TEST_F(EditWindowTest, MixSpecialWeightsTheSoundAndTheClipByTheirSliders) {
    TSoundfrm* c = open("clip.wav", 16, 1, pcm16({1000, 1000}));
    select(c, 0, 2);
    ASSERT_TRUE(choose("Copy1"));
    TSoundfrm* s = open("s.wav", 16, 1, pcm16({100, 100, 100}));
    select(s, 0, 0);
    // "Actual Waveform" at 100 % keeps the sound; "Copied Waveform" at
    // 30 % adds a third of the clip.
    onModal<Tmixspecial>([](Tmixspecial& d) {
        d.cb1->setChecked(false);
        d.TrackBar1->setValue(100);
        d.TrackBar2->setValue(30);
        d.Button1->click();
    });
    ASSERT_TRUE(choose("Mixspecial1"));
    EXPECT_EQ(sample16(s, 0), 400);
    EXPECT_EQ(sample16(s, 1), 400);
    EXPECT_EQ(sample16(s, 2), 100);
    // Cancel returns 0 and 0: nothing is mixed.
    onModal<Tmixspecial>([](Tmixspecial& d) { d.Button2->click(); });
    ASSERT_TRUE(choose("Mixspecial1"));
    EXPECT_EQ(sample16(s, 0), 400);
    EXPECT_EQ(undoCaption(), "&Undo Mix");
}

TEST_F(EditWindowTest, InsertSilenceCoversTheInsertedFrames) {
    TSoundfrm* a = open("a.wav", 8, 1, 100);
    const auto original = bytesOf(a);
    select(a, 30, 10);
    ASSERT_TRUE(choose("Insertarsilencio1"));
    ASSERT_EQ(a->FrameCount(), 110);
    for (int i = 30; i < 40; ++i) EXPECT_EQ(a->Sound.bytes.data()[i], 127) << i;
    EXPECT_EQ(0, std::memcmp(a->Sound.frame(40), original.data() + 30, 70));
    EXPECT_EQ(a->SelectionStart, 30);
    EXPECT_EQ(a->SelectionLength, 10);
    ASSERT_TRUE(choose("undo1"));
    EXPECT_EQ(bytesOf(a), original);
}

TEST_F(EditWindowTest, DeleteAndTrimRedrawAtTheZoomInTheBox) {
    TSoundfrm* a = open("a.wav", 16, 2, 40000);
    const auto original = bytesOf(a);
    select(a, 0, 100);
    main->Edit2->setText("3");
    ASSERT_TRUE(choose("Borrar1"));
    EXPECT_EQ(a->FrameCount(), 39900);
    EXPECT_EQ(a->Zoom, 3);
    EXPECT_EQ(undoCaption(), "&Undo Delete");
    EXPECT_EQ(main->Edit3->text(), "0");
    select(a, 200, 30000);
    main->Edit2->setText("2");
    ASSERT_TRUE(choose("Borrarexceptoseleccion1"));
    EXPECT_EQ(a->FrameCount(), 30000);
    EXPECT_EQ(a->SelectionStart, 0);
    EXPECT_EQ(a->SelectionLength, 30000);
    EXPECT_EQ(a->Zoom, 2);
    EXPECT_EQ(0, std::memcmp(a->Sound.bytes.data(), original.data() + 300 * 4, 30000 * 4));
    EXPECT_EQ(undoCaption(), "&Undo Trim");
    ASSERT_TRUE(choose("undo1"));
    ASSERT_TRUE(choose("undo1"));
    EXPECT_EQ(bytesOf(a), original);
}

TEST_F(EditWindowTest, SelectionCommandsNeedAWholePositiveLength) {
    TSoundfrm* a = open("a.wav", 16, 1, 100);
    const auto original = bytesOf(a);
    select(a, 10, 0);
    EXPECT_FALSE(choose("Cut1"));
    sv::Cut1Click(main.get());
    EXPECT_EQ(bytesOf(a), original);
    select(a, 10, 5);
    main->Edit3->setText("x5");
    sv::Cut1Click(main.get());
    ASSERT_EQ(messageCount(), 1u);
    EXPECT_EQ(scripted().log[0].text, "'x5' is not a valid integer value");
    EXPECT_EQ(bytesOf(a), original);
    EXPECT_FALSE(a->Modified);
}

// ---- Repeat ----

TEST_F(EditWindowTest, RepeatSubmenuRepeatsTheChosenCount) {
    TSoundfrm* a = open("a.wav", 16, 1, 100);
    const auto original = bytesOf(a);
    select(a, 10, 10);
    QAction* repeat = main->item("Repetir1");
    ASSERT_NE(repeat->menu(), nullptr);
    ASSERT_EQ(repeat->menu()->actions().size(), 5);
    EXPECT_EQ(repeat->menu()->actions()[4]->text(), "10");
    EXPECT_EQ(repeat->menu()->actions()[4]->shortcut(), QKeySequence("Ctrl+0"));
    EXPECT_EQ(sv::repeatCount(main.get()), 1);
    EXPECT_TRUE(main->item("N11")->isChecked());

    main->item("N31")->trigger();
    ASSERT_EQ(a->FrameCount(), 130);
    for (int k = 1; k <= 3; ++k)
        EXPECT_EQ(0, std::memcmp(a->Sound.frame(10 + 10 * k), original.data() + 20, 20)) << k;
    EXPECT_EQ(0, std::memcmp(a->Sound.frame(50), original.data() + 40, 160));
    EXPECT_TRUE(main->item("N31")->isChecked());
    EXPECT_FALSE(main->item("N11")->isChecked());
    EXPECT_EQ(sv::repeatCount(main.get()), 3);
    EXPECT_FALSE(a->ProgressBar1->isVisible());
    EXPECT_EQ(a->ProgressBar1->value(), 3);

    // "&Repeat" itself (its shortcut, the tool button) uses the last count.
    ASSERT_TRUE(choose("Repetir1"));
    EXPECT_EQ(a->FrameCount(), 160);
    main->item("N101")->trigger();
    EXPECT_EQ(a->FrameCount(), 260);
    EXPECT_EQ(undoCaption(), "&Undo Repeat");
    // One step per repeat.
    ASSERT_TRUE(choose("undo1"));
    EXPECT_EQ(a->FrameCount(), 250);
}

TEST_F(EditWindowTest, InstallingTwiceKeepsOneRepeatMenu) {
    installEditCommands(main.get());
    EXPECT_EQ(main->item("Repetir1")->menu()->actions().size(), 5);
}

} // namespace
