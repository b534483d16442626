// The main window's boxes, rate and time labels describe the active sound
// only, whatever the other windows redraw; its shortcuts follow its menus'
// enabling as of the key press.
#include "tests/sound/editwin/editwin_fixture.h"

#include <QLabel>
#include <QTest>

using namespace sv;
using namespace sv::test;

namespace {

TEST_F(EditWindowTest, RedrawsBehindTheActiveWindowLeaveItsBoxesAlone) {
    TSoundfrm* longer = open("long.wav", 16, 1, 200000);
    const int64_t longZoom = longer->Zoom;
    ASSERT_GT(longZoom, 10);
    TSoundfrm* shorter = open("short.wav", 8, 2, testSignal(8, 2, 300), 11025);
    select(shorter, 30, 40);
    ASSERT_EQ(main->activeSound(), shorter);
    const QString zoom = main->Edit2->text();

    longer->setSelection(1000, 5000);
    longer->mostrar_sonido(longZoom);
    EXPECT_EQ(main->Edit2->text(), zoom);
    EXPECT_EQ(main->Edit3->text(), "40");
    EXPECT_EQ(main->Edit4->text(), "30");
    EXPECT_EQ(main->SampleRate, 11025);
    longer->mostrar_sonido(1 << 20);   // a zoom forced to fit
    EXPECT_EQ(main->Edit2->text(), zoom);

    // View Grid redraws every window at its own zoom.
    const int64_t own = longer->Zoom;
    main->ViewGrid1->trigger();
    EXPECT_EQ(longer->Zoom, own);
    EXPECT_EQ(main->Edit2->text(), zoom);
    EXPECT_EQ(main->Edit3->text(), "40");

    // Activation hands the boxes, and the rate of the labels, over.
    activate(longer);
    EXPECT_EQ(main->Edit2->text(), QString::number(own));
    EXPECT_EQ(main->Edit3->text(), "5000");
    EXPECT_EQ(main->SampleRate, 22050);
}

TEST_F(EditWindowTest, PasteAsNewReckonsTheTimeLabelsAtTheClipsRate) {
    TSoundfrm* a = open("a.wav", 16, 1, testSignal(16, 1, 16000), 8000);   // two seconds
    select(a, 0, 16000);
    ASSERT_TRUE(choose("Copy1"));
    ASSERT_TRUE(choose("Pegarcomonuevo1"));
    TSoundfrm* n = main->soundWindows().back();
    ASSERT_EQ(n->FrameCount(), 16000);
    EXPECT_EQ(main->SampleRate, 8000);
    EXPECT_EQ(main->Edit3->text(), "16000");
    EXPECT_EQ(main->ms2->text(), "0':2'':0ms");
}

TEST_F(EditWindowTest, AShortcutSeesTheEnablingOfTheKeyPressNotOfTheLastDropDown) {
    TSoundfrm* a = open("a.wav", 16, 1, 1000);
    main->show();
    QApplication::setActiveWindow(main.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    select(a, 100, 0);
    emit main->Edit1->aboutToShow();   // the menu opened with a cursor only
    ASSERT_FALSE(main->item("Borrar1")->isEnabled());

    select(a, 100, 50);   // then a selection made with the mouse
    QTest::keyClick(main.get(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(a->FrameCount(), 950);

    // And the other way: the item left enabled does nothing without a
    // selection.
    select(a, 10, 0);
    emit main->Edit1->aboutToShow();
    select(a, 10, 5);
    emit main->Edit1->aboutToShow();
    ASSERT_TRUE(main->item("Borrar1")->isEnabled());
    select(a, 10, 0);
    QTest::keyClick(main.get(), Qt::Key_Delete, Qt::ControlModifier);
    EXPECT_EQ(a->FrameCount(), 950);
    EXPECT_FALSE(main->item("Borrar1")->isEnabled());
}

TEST_F(EditWindowTest, EditShortcutsActOnTheSoundWhileABoxHasTheFocus) {
    TSoundfrm* a = open("a.wav", 16, 1, 1000);
    main->show();
    QApplication::setActiveWindow(main.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(main.get()));
    // A selection typed as a user does: the focus stays in the box.
    main->Edit4->setFocus();
    main->Edit4->setText("100");
    main->Edit3->setFocus();
    main->Edit3->setText("50");
    QTest::keyClick(main->Edit3, Qt::Key_Return);
    ASSERT_EQ(a->SelectionLength, 50);
    ASSERT_TRUE(main->Edit3->hasFocus());
    const std::string clip = dir.file("wavecopy.tmp");

    QTest::keyClick(main->Edit3, Qt::Key_C, Qt::ControlModifier);
    EXPECT_TRUE(fileExists(clip));
    QTest::keyClick(main->Edit3, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(a->FrameCount(), 950);
    QTest::keyClick(main->Edit3, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(a->FrameCount(), 1000);
    a->setSelection(0, 0);   // pasted at the cursor, the sound grows
    QTest::keyClick(main->Edit3, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(a->FrameCount(), 1050);
    QTest::keyClick(main->Edit3, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(a->SelectionLength, 1050);
    EXPECT_EQ(main->Edit3->text(), "1050");
}

TEST_F(EditWindowTest, WindowsMenuListsTheActiveWindowLastAndArrangesThreeWays) {
    main->resize(900, 700);
    main->show();
    TSoundfrm* a = open("a.wav", 8, 1, 100);
    TSoundfrm* b = open("b.wav", 8, 1, 100);
    TSoundfrm* c = open("c.wav", 8, 1, 100);
    activate(b);
    emit main->Window1->aboutToShow();
    QStringList list;
    bool after = false;
    for (QAction* act : main->Window1->actions()) {
        if (act->isSeparator()) after = true;
        else if (after) list << act->text();
    }
    ASSERT_EQ(list.size(), 3);
    EXPECT_EQ(list[0], "&0 " + QString::fromStdString(a->caption()));
    EXPECT_EQ(list[1], "&1 " + QString::fromStdString(c->caption()));
    EXPECT_EQ(list[2], "&2 " + QString::fromStdString(b->caption()));

    auto frame = [](TSoundfrm* w) { return w->parentWidget()->geometry(); };
    const int areaHeight = main->mdi->viewport()->height();
    main->item("MosaicoVertical1")->trigger();   // strips: one row, full height
    std::vector<QRect> strips = {frame(a), frame(b), frame(c)};
    for (const QRect& r : strips) {
        EXPECT_EQ(r.top(), 0);
        EXPECT_EQ(r.height(), areaHeight);
    }
    EXPECT_NE(strips[0].left(), strips[1].left());
    EXPECT_NE(strips[1].left(), strips[2].left());

    main->item("Tile1")->trigger();   // a grid: not all as tall as the area
    std::vector<QRect> tiles = {frame(a), frame(b), frame(c)};
    EXPECT_NE(tiles, strips);

    // Arranging icons moves only the minimised window, to the bottom.
    c->parentWidget()->showMinimized();
    const QRect aBefore = frame(a), bBefore = frame(b);
    main->item("Organzariconos1")->trigger();
    EXPECT_EQ(frame(a), aBefore);
    EXPECT_EQ(frame(b), bBefore);
    EXPECT_EQ(frame(c).left(), 0);
    EXPECT_EQ(frame(c).bottom(), areaHeight - 1);
}

} // namespace
