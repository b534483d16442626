// The main window's control state and its view and selection commands.
#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QStatusTipEvent>
#include <QTest>
#include <QToolBar>
#include <QToolButton>

#include <memory>
#include <string>
#include <vector>

#include "mainwindow/SonvelaMain.h"
#include "mainwindow/SonvelaMain_cd.h"
#include "platform/activity.h"
#include "sound/Sound.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/window_fixture.h"

using namespace sv;
using namespace sv::test;

namespace {

// A message box takes the focus from the box the user typed into, as a
// real one does, before the scripted answer.
class FocusTakingPrompts : public Prompts {
public:
    std::unique_ptr<Prompts> inner;
    int messageBox(const std::string& c, const std::string& t, Buttons b, Icon i) override {
        if (QWidget* focus = QApplication::focusWidget()) {
            QFocusEvent out(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
            QApplication::sendEvent(focus, &out);
        }
        return inner->messageBox(c, t, b, i);
    }
    FileDialogResult openDialog(const FileDialogRequest& r) override { return inner->openDialog(r); }
    FileDialogResult saveDialog(const FileDialogRequest& r) override { return inner->saveDialog(r); }
    bool inputQuery(const std::string& c, const std::string& p, std::string& v) override {
        return inner->inputQuery(c, p, v);
    }
    bool chooseColor(uint32_t& c) override { return inner->chooseColor(c); }
};

class NavTest : public WindowTest {
protected:
    void SetUp() override {
        start({}, [](TSVMainfrm& m) {
            // Buttons of commands built elsewhere, tied to items that work
            // here, so that their enabling rules can be seen.
            auto* bar = m.addToolBar("test");
            m.addButton(bar, "InvertChannels_SB", "x", "x", "Seleccionartodo1");
            m.addButton(bar, "SpeedButton21", "x", "x", "Seleccionartodo1");
            m.addButton(bar, "SpeedButton10", "x", "x", "Seleccionartodo1");
            m.addButton(bar, "Loop_SB", "x", "x", "Seleccionartodo1");
        });
    }
    void TearDown() override {
        setActivity(Activity::Idle);
        closeAll();
    }
    bool on(const char* button) const { return main->button(button)->isEnabled(); }
    void key(QLineEdit* box, int k, const QString& text = {}) {
        QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier, text);
        QApplication::sendEvent(box, &e);
    }
    void type(QLineEdit* box, const QString& text) {
        box->setText(text);
        key(box, Qt::Key_Return, "\r");
    }
    // The main window shown and active with `w` in front, as a user sees it.
    void showWith(TSoundfrm* w, int64_t start, int64_t length) {
        w->setSelection(start, length);
        w->FormActivate();
        main->show();
        QApplication::setActiveWindow(main.get());
    }
    // Keys typed into a box that has the focus, without Enter.
    static void typeWithoutEnter(QLineEdit* box, const char* text) {
        box->setFocus();
        QApplication::processEvents();
        ASSERT_TRUE(box->hasFocus());
        box->selectAll();
        QTest::keyClicks(box, text);
    }
    bool menuItemOn(QMenu* menu, const char* name) {
        emit menu->aboutToShow();
        return main->item(name)->isEnabled();
    }
};

} // namespace

TEST_F(NavTest, WithoutASoundTheTransportAndZoomAreOffAndTheBoxesReset) {
    EXPECT_FALSE(main->SpeedButton16->isEnabled());
    EXPECT_FALSE(main->SpeedButton14->isEnabled());
    EXPECT_FALSE(main->SpeedButton17->isEnabled());
    EXPECT_FALSE(on("speedzoom"));
    EXPECT_FALSE(on("SelectAll_SB"));
    EXPECT_TRUE(on("SpeedButton7"));   // Open
    EXPECT_TRUE(on("Loop_SB"));
    main->Edit2->setText("12");
    key(main->Edit2, Qt::Key_5, "5");
    EXPECT_EQ(main->Edit2->text(), "0");
    main->Edit4->setText("12");
    key(main->Edit4, Qt::Key_Return, "\r");
    EXPECT_EQ(main->Edit4->text(), "0");
    main->Edit3->setText("7");
    key(main->Edit3, Qt::Key_Space, " ");
    EXPECT_EQ(main->Edit3->text(), "0");
    EXPECT_FALSE(menuItemOn(main->Edit1, "ZeroCrossing1"));
    EXPECT_FALSE(menuItemOn(main->Edit1, "Seleccionartodo1"));
}

TEST_F(NavTest, ButtonsFollowTheSelectionTheChannelsAndTheActivity) {
    TSoundfrm* m = open("m.wav", 16, 1, 5000);
    m->setSelection(0, 0);
    main->habilitar_botones();
    EXPECT_TRUE(on("SelectAll_SB"));
    EXPECT_TRUE(on("ZoomIn_SB"));
    EXPECT_TRUE(on("SampleInfo_SB"));
    EXPECT_FALSE(on("speedzoom"));
    EXPECT_FALSE(on("ZoomInto_SB"));
    EXPECT_FALSE(on("SelectNone_SB"));
    EXPECT_FALSE(on("SpeedButton21"));
    m->setSelection(10, 100);
    main->habilitar_botones();
    EXPECT_TRUE(on("speedzoom"));
    EXPECT_TRUE(on("ZoomInto_SB"));
    EXPECT_TRUE(on("SelectNone_SB"));
    EXPECT_TRUE(on("SpeedButton21"));
    EXPECT_FALSE(on("InvertChannels_SB"));   // mono

    TSoundfrm* s = open("s.wav", 16, 2, 5000);
    s->setSelection(10, 100);
    main->habilitar_botones();
    EXPECT_TRUE(on("InvertChannels_SB"));

    // Playing: whatever needs idle or not playing goes off.
    setActivity(Activity::Playing);
    main->habilitar_botones();
    EXPECT_FALSE(on("SpeedButton7"));
    EXPECT_FALSE(on("SpeedButton10"));
    EXPECT_FALSE(on("speedzoom"));
    EXPECT_FALSE(on("InvertChannels_SB"));
    EXPECT_FALSE(on("SelectAll_SB"));
    EXPECT_FALSE(on("Loop_SB"));
    // Busy: not playing, but not idle either.
    setActivity(Activity::Busy);
    main->habilitar_botones();
    EXPECT_TRUE(on("SpeedButton7"));
    EXPECT_TRUE(on("SpeedButton10"));
    EXPECT_FALSE(on("ZoomIn_SB"));
    EXPECT_FALSE(on("SpeedButton21"));
    EXPECT_FALSE(on("Loop_SB"));
    setActivity(Activity::Idle);
    main->habilitar_botones();
    EXPECT_TRUE(on("Loop_SB"));
    EXPECT_TRUE(on("ZoomIn_SB"));
}

TEST_F(NavTest, EditMenuSelectionItems) {
    TSoundfrm* w = open("m.wav", 16, 1, 5000);
    EXPECT_TRUE(menuItemOn(main->Edit1, "ZeroCrossing1"));
    EXPECT_TRUE(menuItemOn(main->Edit1, "Goto1"));
    EXPECT_TRUE(menuItemOn(main->Edit1, "Seleccionartodo1"));
    main->Edit3->setText("0");
    EXPECT_FALSE(menuItemOn(main->Edit1, "SelectNone1"));
    main->Edit3->setText("00");
    EXPECT_TRUE(menuItemOn(main->Edit1, "SelectNone1"));
    ASSERT_NE(main->item("ZeroCrossing1")->menu(), nullptr);
    EXPECT_EQ(main->item("Inward1")->shortcut(), QKeySequence("Shift+F1"));
    EXPECT_EQ(main->item("EndtotheRight1")->shortcut(), QKeySequence("Shift+F8"));
    EXPECT_EQ(main->item("Begintotheleft1")->text(), "L&eft side to the Left");
    // Select all, then none, from the menu.
    main->item("Seleccionartodo1")->trigger();
    EXPECT_EQ(w->SelectionLength, 5000);
    EXPECT_EQ(main->Edit3->text(), "5000");
    main->item("SelectNone1")->trigger();
    EXPECT_EQ(w->SelectionLength, 0);
    EXPECT_EQ(main->Edit3->text(), "0");
}

TEST_F(NavTest, TypedStartAndLengthStayInsideTheSound) {
    TSoundfrm* w = open("m.wav", 16, 1, 1200);
    main->Edit3->setText("500");
    type(main->Edit4, "1000");
    EXPECT_EQ(w->SelectionStart, 1000);
    EXPECT_EQ(w->SelectionLength, 200);
    EXPECT_EQ(main->Edit3->text(), "200");
    // A start past the end goes to the end with no length.
    main->Edit3->setText("50");
    type(main->Edit4, "5000");
    EXPECT_EQ(w->SelectionStart, 1200);
    EXPECT_EQ(w->SelectionLength, 0);
    EXPECT_EQ(main->Edit4->text(), "1200");
    // Negative numbers count as 0.
    main->Edit3->setText("-20");
    type(main->Edit4, "-7");
    EXPECT_EQ(w->SelectionStart, 0);
    EXPECT_EQ(w->SelectionLength, 0);
    EXPECT_EQ(main->Edit4->text(), "0");
    // A start that is no number is taken as 0.
    main->Edit3->setText("10");
    type(main->Edit4, "abc");
    EXPECT_EQ(w->SelectionStart, 0);
    EXPECT_EQ(w->SelectionLength, 10);
    // The length box cuts at the end against the window's start.
    w->setSelection(1100, 0);
    main->Edit4->setText("1100");
    type(main->Edit3, "400");
    EXPECT_EQ(w->SelectionLength, 100);
    EXPECT_EQ(main->Edit3->text(), "100");
    // A length that is no number is reported and changes nothing.
    const size_t before = scripted().messages().size();
    type(main->Edit3, "x1");
    ASSERT_EQ(scripted().messages().size(), before + 1);
    EXPECT_EQ(scripted().messages().back(), "'x1' is not a valid integer value");
    EXPECT_EQ(w->SelectionLength, 100);
}

TEST_F(NavTest, ZoomBoxAndSpinButtons) {
    TSoundfrm* w = open("m.wav", 16, 1, 100000);
    type(main->Edit2, "0");
    EXPECT_EQ(main->Edit2->text(), "1");
    EXPECT_EQ(w->Zoom, 1);
    type(main->Edit2, "-4");
    EXPECT_EQ(main->Edit2->text(), "1");
    EXPECT_EQ(w->Zoom, 1);
    main->SpinButton1UpClick();
    EXPECT_EQ(main->Edit2->text(), "2");
    EXPECT_EQ(w->Zoom, 2);
    main->SpinButton1DownClick();
    main->SpinButton1DownClick();   // not below 1
    EXPECT_EQ(w->Zoom, 1);
    EXPECT_EQ(main->Edit2->text(), "1");
    type(main->Edit2, "10");
    // Start steps by the zoom; the length is cut at the end.
    w->setSelection(99985, 5);
    main->Edit4->setText("99985");
    main->Edit3->setText("5");
    main->SpinButton3UpClick();
    EXPECT_EQ(w->SelectionStart, 99995);
    EXPECT_EQ(w->SelectionLength, 5);
    main->SpinButton3UpClick();
    EXPECT_EQ(w->SelectionStart, 100000);
    EXPECT_EQ(w->SelectionLength, 0);
    main->Edit4->setText("4");
    main->SpinButton3DownClick();
    EXPECT_EQ(w->SelectionStart, 0);
    main->Edit4->setText("0");
    main->Edit3->setText("0");
    main->SpinButton2UpClick();
    EXPECT_EQ(w->SelectionLength, 10);
    main->SpinButton2DownClick();
    EXPECT_EQ(w->SelectionLength, 0);
    // The spin buttons sit beside their boxes.
    ASSERT_NE(main->SpinButton1, nullptr);
    EXPECT_EQ(main->SpinButton1->parentWidget(), main->Edit2->parentWidget());
}

TEST_F(NavTest, ZoomCommands) {
    TSoundfrm* w = open("m.wav", 16, 1, 100000);
    type(main->Edit2, "5");
    main->ZoomIn1Click();
    EXPECT_EQ(w->Zoom, 2);
    EXPECT_EQ(main->Edit2->text(), "2");
    type(main->Edit2, "3");
    main->ZoomOut1Click();
    EXPECT_EQ(w->Zoom, 6);
    EXPECT_EQ(main->Edit2->text(), "6");
    EXPECT_EQ(w->ZoomDirection, 0);
    // Zoom out stops at the fitting zoom.
    type(main->Edit2, "100000");
    main->ZoomOut1Click();
    EXPECT_EQ(w->Zoom, 100000 / w->bitmapWidth() + 1);
    EXPECT_EQ(main->Edit2->text(), QString::number(w->Zoom));
    // Zoom in does nothing at 1.
    type(main->Edit2, "1");
    main->ZoomIn1Click();
    EXPECT_EQ(w->Zoom, 1);
    // The selection to the window: 300 frames in a wider window is zoom 1.
    w->setSelection(50000, 300);
    main->Edit3->setText("300");
    main->speedzoomClick();
    EXPECT_EQ(w->Zoom, 1);
    EXPECT_EQ(w->scrollPosition(), 50000);
    main->Edit3->setText(QString::number(20 * w->width()));
    main->speedzoomClick();
    EXPECT_EQ(w->Zoom, 20);
    // The status-bar buttons click the menu's zoom commands.
    type(main->Edit2, "8");
    w->boto_zoomin->click();
    EXPECT_EQ(w->Zoom, 4);
    w->boto_zoomout->click();
    EXPECT_EQ(w->Zoom, 8);
    EXPECT_EQ(main->button("ZoomIn_SB")->toolTip(), "Zoom In");
    EXPECT_EQ(main->button("ZoomOut_SB")->toolTip(), "Zoom Out");
}

TEST_F(NavTest, ZeroCrossingCommandsNeedASelection) {
    TSoundfrm* w = open("m.wav", 16, 1, pcm16({5, 5, 5, -5, -5, -5, 5, 5, -5, -5}));
    w->setSelection(1, 8);
    main->Edit3->setText("0");
    main->item("Inward1")->trigger();
    EXPECT_EQ(w->SelectionStart, 1);
    main->Edit3->setText("8");
    main->item("Inward1")->trigger();
    EXPECT_EQ(w->SelectionStart, 3);
    EXPECT_EQ(w->SelectionLength, 4);
    EXPECT_EQ(main->Edit4->text(), "3");
}

TEST_F(NavTest, TimeLabelsGoToAndTheSampleReport) {
    TSoundfrm* w = open("m.wav", 16, 1, pcm16({0, 16384, 0}));
    main->Edit4->setText("1995525");
    EXPECT_EQ(main->ms1->text(), "1':30'':500ms");
    main->Edit3->setText("22050");
    EXPECT_EQ(main->ms2->text(), "0':1'':0ms");
    w->setSelection(1, 0);
    main->ms1->setText("0':0'':0ms");
    main->Timer1->start();
    main->item("CurrentSampleValue1")->trigger();
    EXPECT_NE(scripted().messages().back().find("- Decibels : -6.02 dB"), std::string::npos);
    EXPECT_FALSE(main->Timer1->isActive());   // the CD panel is hidden
    main->item("End1")->trigger();
    main->item("Begin1")->trigger();
    main->item("CursorPosition1")->trigger();
    EXPECT_EQ(w->scrollPosition(), 0);
}

TEST_F(NavTest, BoxesHoldTheFrameCountsOfLongSounds) {
    TSoundfrm* w = open("m.wav", 16, 1, 1000);
    // An hour at 44.1 kHz, and the largest count a sound can have.
    main->SampleRate = 44100;
    main->Edit3->setText("158760000");
    EXPECT_EQ(main->Edit3->text(), "158760000");
    EXPECT_EQ(main->ms2->text(), "60':0'':0ms");
    for (QLineEdit* box : {main->Edit2, main->Edit4, main->Edit3}) {
        box->setText("9223372036854775807");
        EXPECT_EQ(box->text(), "9223372036854775807");
    }
    // Typed counts beyond 32 bits are numbers, cut to the sound as ever;
    // what is no number is still reported.
    main->Edit4->setText("0");
    type(main->Edit3, "3000000000");
    EXPECT_EQ(w->SelectionLength, 1000);
    EXPECT_EQ(main->Edit3->text(), "1000");
    const size_t before = scripted().messages().size();
    type(main->Edit3, "99999999999999999999");
    ASSERT_EQ(scripted().messages().size(), before + 1);
    EXPECT_EQ(w->SelectionLength, 1000);
}

TEST_F(NavTest, HintsGoToTheStatusLine) {
    QStatusTipEvent tip("Zoom|Zoom the selection to the window");
    QApplication::sendEvent(main.get(), &tip);
    EXPECT_EQ(main->statusBar()->currentMessage(), "Zoom the selection to the window");
    QStatusTipEvent plain("Select All");
    QApplication::sendEvent(main.get(), &plain);
    EXPECT_EQ(main->statusBar()->currentMessage(), "Select All");
}

TEST_F(NavTest, TheLoopPictureNeedsAWideWindow) {
    main->resize(800, 600);
    main->Loop1->setChecked(true);
    main->FormResize();
    EXPECT_FALSE(main->Image1->isHidden());
    main->resize(600, 600);
    main->FormResize();
    EXPECT_TRUE(main->Image1->isHidden());
    main->Loop1->setChecked(false);
    main->resize(800, 600);
    main->FormResize();
    EXPECT_TRUE(main->Image1->isHidden());
}

TEST_F(NavTest, ZoomItemsFollowTheMiscellaneousRuleInTheViewMenu) {
    TSoundfrm* w = open("z.wav", 16, 1, 5000);
    ASSERT_TRUE(w);
    main->Edit3->setText("0");
    EXPECT_FALSE(menuItemOn(main->View1, "ZoomIn1"));
    EXPECT_FALSE(main->item("ZoomOut1")->isEnabled());
    main->Edit3->setText("100");
    EXPECT_TRUE(menuItemOn(main->View1, "ZoomIn1"));
    EXPECT_TRUE(main->item("ZoomOut1")->isEnabled());
    setActivity(Activity::Busy);
    EXPECT_FALSE(menuItemOn(main->Miscellaneous1, "ZoomIn1"));
    setActivity(Activity::Idle);
    EXPECT_TRUE(menuItemOn(main->Miscellaneous1, "ZoomOut1"));
}

TEST_F(NavTest, WebsitesSitInTheInternetSubmenuOfMiscellaneous) {
    QAction* sites = main->item("AudioWebsites1");
    ASSERT_TRUE(sites);
    EXPECT_FALSE(main->Help1->actions().contains(sites));
    QMenu* internet = main->Miscellaneous1->findChild<QMenu*>("Internet1");
    ASSERT_TRUE(internet);
    EXPECT_EQ(internet->title(), "&Internet");
    EXPECT_TRUE(main->Miscellaneous1->actions().contains(internet->menuAction()));
    EXPECT_TRUE(internet->actions().contains(sites));
    EXPECT_EQ(sites->text(), "Audio related &Websites");
}

TEST_F(NavTest, TheLoopPictureStandsLeftOfTheFillerPanel) {
    ASSERT_TRUE(main->PanelDeRelleno);
    EXPECT_EQ(main->findChild<QWidget*>("PanelDeRelleno"), main->PanelDeRelleno);
    EXPECT_FALSE(main->Image1->pixmap().isNull());
    main->resize(900, 600);
    main->show();
    main->Loop1->setChecked(true);
    main->FormResize();
    QCoreApplication::processEvents();
    ASSERT_FALSE(main->Image1->isHidden());
    EXPECT_FALSE(main->PanelDeRelleno->isHidden());
    EXPECT_EQ(main->Image1->parentWidget(), main->PanelDeRelleno->parentWidget());
    EXPECT_LE(main->Image1->geometry().right(), main->PanelDeRelleno->x());
    EXPECT_GE(main->Image1->geometry().right() + 12, main->PanelDeRelleno->x());
    main->resize(600, 600);
    main->FormResize();
    EXPECT_TRUE(main->PanelDeRelleno->isHidden());
    EXPECT_TRUE(main->Image1->isHidden());
}

TEST(CdButton, HintSaysWhatItShows) {
    TempExeDir dir;
    TSVMainfrm main;
    installCdCommands(&main);
    QToolButton* b = main.button("SpeedButton10");
    ASSERT_TRUE(b);
    EXPECT_EQ(b->toolTip(), "Shows a CD player");
}

// The Edit menu opening while a box has the focus takes the focus from the
// box, whose focus-out then refreshes the buttons: the Undo item stays as
// the menu set it, with nothing to undo.
TEST_F(NavTest, UndoStaysOffWhenTheEditMenuOpensFromABox) {
    TSoundfrm* w = open("m.wav", 16, 1, 5000);
    w->setSelection(100, 200);
    w->FormActivate();
    for (QLineEdit* box : {main->Edit2, main->Edit4, main->Edit3}) {
        EXPECT_FALSE(menuItemOn(main->Edit1, "undo1"));
        QFocusEvent out(QEvent::FocusOut, Qt::PopupFocusReason);
        QApplication::sendEvent(box, &out);
        EXPECT_FALSE(main->undo1->isEnabled()) << box->objectName().toStdString();
        EXPECT_FALSE(on("SpeedButton18"));
    }
}

// A length typed without Enter is applied by the shortcut before the
// command acts, as leaving the box would apply it.
TEST_F(NavTest, AShortcutFromABoxAppliesTheTypedValueFirst) {
    TSoundfrm* w = open("m.wav", 16, 1, 5000);
    showWith(w, 100, 0);
    typeWithoutEnter(main->Edit3, "200");
    QTest::keyClick(main->Edit3, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(w->FrameCount(), 4800);
    EXPECT_EQ(main->Edit3->text(), "0");
}

// A refused value leaves the box and the time under it on the value in
// force, not on the digits typed before the refused one.
TEST_F(NavTest, ARefusedValueLeavesTheBoxAndItsTimeOnTheValueInForce) {
    TSoundfrm* w = open("m.wav", 16, 1, 100000);
    w->setSelection(0, 29051);
    w->FormActivate();
    ASSERT_EQ(main->ms2->text(), "0':1'':318ms");
    main->Edit3->setText("999999999999999999");
    type(main->Edit3, "9999999999999999999");
    EXPECT_EQ(scripted().messages().back(), "'9999999999999999999' is not a valid integer value");
    EXPECT_EQ(main->Edit3->text(), "29051");
    EXPECT_EQ(main->ms2->text(), "0':1'':318ms");
    EXPECT_EQ(w->SelectionLength, 29051);
}

// An arrow clicked after a value typed without Enter does what Enter would
// have done, then steps; a refused value is reported once and stops the
// arrow, the boxes on the values in force.
TEST_F(NavTest, AnArrowAfterATypedValueAppliesItFirst) {
    TSoundfrm* w = open("m.wav", 16, 1, 100000);
    showWith(w, 100, 200);
    type(main->Edit2, "10");
    ASSERT_EQ(main->Edit2->text(), "10");
    auto taking = std::make_unique<FocusTakingPrompts>();
    FocusTakingPrompts* raw = taking.get();
    raw->inner = setPrompts(std::move(taking));
    auto arrow = [this](const char* name) { main->findChild<QToolButton*>(name)->click(); };

    // A length taken as typed, then one step.
    typeWithoutEnter(main->Edit3, "300");
    arrow("SpinButton2Up");
    EXPECT_EQ(w->SelectionLength, 310);
    EXPECT_EQ(main->Edit3->text(), "310");

    // A refused length: one message, no step.
    const size_t before = scripted().messages().size();
    typeWithoutEnter(main->Edit3, "abc");
    arrow("SpinButton2Up");
    ASSERT_EQ(scripted().messages().size(), before + 1);
    EXPECT_EQ(scripted().messages().back(), "'abc' is not a valid integer value");
    EXPECT_EQ(w->SelectionLength, 310);
    EXPECT_EQ(main->Edit3->text(), "310");

    // A start that is no number is 0, as Enter takes it, then one step;
    // no message.
    typeWithoutEnter(main->Edit4, "abc");
    arrow("SpinButton3Up");
    EXPECT_EQ(scripted().messages().size(), before + 1);
    EXPECT_EQ(w->SelectionStart, 10);
    EXPECT_EQ(main->Edit4->text(), "10");
}
