// New, Save, Save As by file type, Close and Close All.
#include "tests/mainwindow/files/file_fixture.h"

using namespace sv;
using namespace sv::test;

namespace {
std::string replaceQuestion(const std::string& name) {
    return "The file " + name + " already exists. Do you want to replace it?";
}
}

TEST_F(FileCommandsTest, NewSoundIsEmptyNumberedAndShown) {
    start();
    main->New2Click();
    main->New2Click();
    ASSERT_EQ(main->childCount(), 2);
    TSoundfrm* w = main->soundWindows()[1];
    EXPECT_EQ(w->caption(), "New2.wav");
    EXPECT_EQ(w->FrameCount(), 0);
    EXPECT_TRUE(w->IsNew);
    EXPECT_EQ(main->NewSoundCount, 2);
    EXPECT_TRUE(main->SpeedButton16->isEnabled());
}

TEST_F(FileCommandsTest, SaveAsWritesTheForcedNameAndShiftsTheList) {
    const std::string a = wav("a.wav", 300, 16, 2);
    start();
    TSoundfrm* w = open(a);
    ASSERT_TRUE(w);
    w->Modified = true;
    scripted().answerFile(dir.file("copy"));
    main->SaveAs2Click();
    const PromptRecord& dlg = scripted().log.back();
    EXPECT_EQ(dlg.caption, "Save Waveform");
    EXPECT_EQ(dlg.request.filter,
              "PCM Waveforms (*.wav)|*.wav|u-LAW Waveforms (*.wav)|*.wav|a-LAW Waveforms(*.wav)|*.wav|"
              "Semicolon Delimited Value (*.csv)|*.csv|Comma Delimited Value (*.csv)|*.csv|"
              "Text (Space Delimited) (*.prn)|*.prn|Text (Tab Delimited) (*.txt)|*.txt|"
              "Personalized Text File (*.txt)|*.txt|Raw Data (*.raw)|*.raw|All files (*.*)|*.*");
    EXPECT_EQ(readBytes(dir.file("copy.wav")), readBytes(a));
    EXPECT_EQ(w->FileName, dir.file("copy.wav"));
    EXPECT_FALSE(w->Modified);
    EXPECT_EQ(recent(), (std::vector<std::string>{dir.file("copy.wav"), a, ""}));
}

TEST_F(FileCommandsTest, SaveAsOverAnExistingFileAsksFirst) {
    const std::string a = wav("a.wav", 300);
    const std::string b = wav("b.wav", 50);
    const auto before = readBytes(b);
    start();
    open(a);
    scripted().answerFile(b);
    scripted().answer(mrNo);
    main->SaveAs2Click();
    EXPECT_EQ(scripted().log.back().caption, "Sonvela - Save");
    EXPECT_EQ(scripted().log.back().text, replaceQuestion("b.wav"));
    EXPECT_EQ(scripted().log.back().buttons, Buttons::YesNo);
    EXPECT_EQ(readBytes(b), before);
    EXPECT_EQ(main->RecentFile1, a);

    scripted().answerFile(b);
    scripted().answer(mrYes);
    main->SaveAs2Click();
    EXPECT_EQ(readBytes(b), readBytes(a));
    EXPECT_EQ(main->RecentFile1, b);
}

TEST_F(FileCommandsTest, ReplaceQuestionIsAboutTheNameActuallyWritten) {
    const std::string a = wav("a.wav", 300);
    const std::string target = wav("song.wav", 10);
    const auto before = readBytes(target);
    start();
    open(a);
    // "song.au" does not exist, but "song.wav" would be overwritten.
    scripted().answerFile(dir.file("song.au"));
    scripted().answer(mrNo);
    main->SaveAs2Click();
    EXPECT_EQ(scripted().log.back().text, replaceQuestion("song.wav"));
    EXPECT_EQ(readBytes(target), before);
    EXPECT_FALSE(fileExists(dir.file("song.au")));
}

TEST_F(FileCommandsTest, SaveAsRawWritesBareSamplesUnderRaw) {
    const std::string a = wav("a.wav", 300, 8, 1);
    start();
    open(a);
    FilterChoice& fc = chooseFilters();
    fc.filters.push_back(9);   // Raw Data
    scripted().answerFile(dir.file("bare.wav"));
    main->SaveAs2Click();
    const auto raw = readBytes(dir.file("bare.raw"));
    const auto wave = readBytes(a);
    ASSERT_EQ(raw.size(), 300u);
    EXPECT_TRUE(std::equal(raw.begin(), raw.end(), wave.begin() + 44));
    EXPECT_FALSE(fileExists(dir.file("bare.wav")));
    EXPECT_EQ(main->RecentFile1, dir.file("bare.raw"));
}

TEST_F(FileCommandsTest, RegisteredWritersAppearInTheirRowsAndGetTheirExtension) {
    const std::string a = wav("a.wav", 30);
    start();
    open(a);
    std::vector<std::string> written;
    main->saveAsWriters.clear();   // only the writers of this test
    main->saveAsWriters[4] = [&](TSoundfrm*, const std::string& n) {
        written.push_back("csv " + n);
        writeBytes(n, {'1'});
        return true;
    };
    main->saveAsWriters[8] = [&](TSoundfrm*, const std::string&) { return false; };   // its dialog cancelled
    FilterChoice& fc = chooseFilters();
    fc.filters = {2, 3};
    scripted().answerFile(dir.file("table"));
    main->SaveAs2Click();
    EXPECT_EQ(scripted().log.back().request.filter,
              "PCM Waveforms (*.wav)|*.wav|Semicolon Delimited Value (*.csv)|*.csv|"
              "Personalized Text File (*.txt)|*.txt|Raw Data (*.raw)|*.raw|All files (*.*)|*.*");
    EXPECT_EQ(written, (std::vector<std::string>{"csv " + dir.file("table.csv")}));
    EXPECT_EQ(main->RecentFile1, a);   // text is not reopened: it is an export

    // A writer that does not write leaves the list alone.
    scripted().answerFile(dir.file("custom"));
    main->SaveAs2Click();
    EXPECT_EQ(main->RecentFile1, a);
}

TEST_F(FileCommandsTest, UnknownFilterRowSavesAsPcmWave) {
    const std::string a = wav("a.wav", 30);
    start();
    open(a);
    FilterChoice& fc = chooseFilters();
    fc.filters.push_back(42);
    scripted().answerFile(dir.file("any.bin"));
    main->SaveAs2Click();
    EXPECT_EQ(readBytes(dir.file("any.wav")), readBytes(a));
}

TEST_F(FileCommandsTest, SaveAsWithNoWindowOrCancelledDoesNothing) {
    start();
    main->SaveAs2Click();   // no prompt expected
    open(wav("a.wav"));
    scripted().answerFile("");
    main->SaveAs2Click();
    EXPECT_EQ(main->RecentFile1, dir.file("a.wav"));
}

TEST_F(FileCommandsTest, SaveAsksAndWritesToTheSoundsOwnFile) {
    // The caption shows the bare name; Save must still write the full path.
    IniFile(dir.file("dadoruz.ini")).WriteInteger("Options", "ViewFullFilePath", 0);
    const std::string a = wav("a.wav", 300, 8, 1);
    start();
    TSoundfrm* w = open(a);
    ASSERT_TRUE(w);
    EXPECT_EQ(w->caption(), "a.wav");
    w->Sound.bytes.data()[0] = 7;
    w->Modified = true;
    scripted().answer(mrYes);
    main->Save2Click();
    // Ctrl+S names the file as Save As does.
    EXPECT_EQ(scripted().log.back().caption, "Sonvela - Save");
    EXPECT_EQ(scripted().log.back().text, replaceQuestion("a.wav"));
    EXPECT_EQ(readBytes(a)[44], 7);
    EXPECT_FALSE(w->Modified);
    EXPECT_EQ(main->RecentFile1, a);   // Save does not shift the list
    EXPECT_EQ(main->RecentFile2, "");
}

TEST_F(FileCommandsTest, SaveAnsweredNoOrOfOtherTypesGoesToSaveAs) {
    const std::string a = wav("a.wav", 100, 8, 1);
    writeBytes(dir.file("b.raw"), std::vector<uint8_t>(50, 1));
    start();
    TSoundfrm* w = open(a);
    w->Sound.bytes.data()[0] = 9;
    scripted().answer(mrNo);
    scripted().answerFile("");
    main->Save2Click();
    EXPECT_EQ(scripted().log.back().kind, "save");
    EXPECT_NE(readBytes(a)[44], 9);

    // A sound from another type of file: Yes still goes to Save As.
    w->FileName = dir.file("b.raw");
    scripted().answer(mrYes);
    scripted().answerFile("");
    main->Save2Click();
    EXPECT_EQ(scripted().log.back().kind, "save");
}

TEST_F(FileCommandsTest, SaveOfANeverSavedSoundGoesToSaveAs) {
    // A file named like the new sound must not be taken for it.
    writeBytes(dir.file("New1.wav"), {1, 2, 3});
    start();
    main->New2Click();
    scripted().answerFile("");
    main->Save2Click();
    EXPECT_EQ(scripted().log.size(), 1u);
    EXPECT_EQ(scripted().log.back().kind, "save");
    EXPECT_EQ(readBytes(dir.file("New1.wav")).size(), 3u);
}

TEST_F(FileCommandsTest, CloseClosesTheActiveWindowAndDisablesPlayAtTheEnd) {
    start();
    open(wav("a.wav"));
    open(wav("b.wav"));
    TSoundfrm* active = main->activeSound();
    main->Close1Click();
    ASSERT_EQ(openWindows(), 1);
    EXPECT_NE(main->soundWindows()[0], active);
    EXPECT_TRUE(main->SpeedButton16->isEnabled());
    main->Close1Click();
    EXPECT_EQ(openWindows(), 0);
    EXPECT_FALSE(main->SpeedButton16->isEnabled());
    main->Close1Click();   // nothing left: nothing happens
}

TEST_F(FileCommandsTest, CloseAllStopsAtACancelledSaveQuestion) {
    start();
    open(wav("a.wav"));
    open(wav("b.wav"));
    open(wav("c.wav"));
    auto order = main->mdi->subWindowList(QMdiArea::ActivationHistoryOrder);
    ASSERT_EQ(order.size(), 3);
    auto* first = qobject_cast<TSoundfrm*>(order[0]->widget());
    auto* second = qobject_cast<TSoundfrm*>(order[1]->widget());
    auto* third = qobject_cast<TSoundfrm*>(order[2]->widget());
    second->Modified = true;
    scripted().answer(mrCancel);
    main->CloseAllWaveforms1Click();
    EXPECT_FALSE(main->ContinueClosing);
    EXPECT_TRUE(first->closeAccepted());
    EXPECT_FALSE(second->closeAccepted());
    EXPECT_FALSE(third->closeAccepted());
    EXPECT_EQ(openWindows(), 2);

    // Answering No closes everything.
    scripted().answer(mrNo);
    main->CloseAllWaveforms1Click();
    EXPECT_TRUE(main->ContinueClosing);
    EXPECT_EQ(openWindows(), 0);
    EXPECT_FALSE(main->SpeedButton16->isEnabled());
}

TEST_F(FileCommandsTest, FileMenuEnablingFollowsWindowsAndState) {
    start();
    emit main->File2->aboutToShow();
    EXPECT_TRUE(main->item("Open2")->isEnabled());
    EXPECT_FALSE(main->item("Save2")->isEnabled());
    EXPECT_FALSE(main->item("Imprimir1")->isEnabled());
    EXPECT_FALSE(main->Reabrir1->isEnabled());
    open(wav("a.wav"));
    emit main->File2->aboutToShow();
    for (const char* n : {"Save2", "SaveAs2", "Close1", "CloseAllWaveforms1", "Imprimir1", "Opcionesimpresora1"})
        EXPECT_TRUE(main->item(n)->isEnabled()) << n;
    EXPECT_TRUE(main->Reabrir1->isEnabled());
    main->SaveDisabled = true;
    emit main->File2->aboutToShow();
    EXPECT_FALSE(main->item("Save2")->isEnabled());
}
