// The mouse, the wheel and the status-bar buttons of a sound window.
#include "tests/sound/select/select_fixture.h"

using namespace sv;
using namespace sv::test;

TEST_F(SelectTest, LeftClickAndDragSelectFramesAtSeveralZooms) {
    TSoundfrm* w = openRamp("a.wav", 100000);
    ASSERT_NE(w, nullptr);
    for (int64_t z : {1, 7, 40}) {
        SCOPED_TRACE(z);
        w->mostrar_sonido(z);
        w->setScrollPosition(1000);
        w->mostrar_sonido(z);
        ASSERT_EQ(w->Zoom, z);
        ASSERT_EQ(w->scrollPosition(), 1000);
        click(w, 100);
        EXPECT_EQ(w->SelectionStart, 100 * z + 1000);
        EXPECT_EQ(w->SelectionLength, 0);
        EXPECT_EQ(main->Edit4->text(), QString::number(100 * z + 1000));
        EXPECT_EQ(main->Edit3->text(), "0");
        EXPECT_EQ(w->Bevel2->x(), 100);
        // Dragging right stretches the selection to the frame under the mouse.
        click(w, 300);
        press(w, 100);
        move(w, 130);
        move(w, 150);
        EXPECT_EQ(w->SelectionStart, 100 * z + 1000);
        EXPECT_EQ(w->SelectionLength, 50 * z);
        EXPECT_EQ(main->Edit3->text(), QString::number(50 * z));
        EXPECT_EQ(w->Shape1->x(), 100);
        EXPECT_EQ(w->Shape1->width(), 50);
        // Left of the anchor the selection restarts there, one column wide.
        move(w, 80);
        EXPECT_EQ(w->SelectionStart, 80 * z + 1000);
        EXPECT_EQ(w->SelectionLength, z);
        release(w, 80);
        // A drag that starts on the selection collapses it to a cursor left
        // of its own start instead.
        press(w, 80);
        move(w, 120);
        EXPECT_EQ(w->SelectionLength, 40 * z);
        move(w, 60);
        EXPECT_EQ(w->SelectionStart, 60 * z + 1000);
        EXPECT_EQ(w->SelectionLength, 0);
        release(w, 60);
    }
}

TEST_F(SelectTest, ClicksPastTheEndStopAtTheLastFrame) {
    TSoundfrm* w = openRamp("a.wav", 3000);
    const int64_t z = w->Zoom;   // the fitting zoom: the sound ends inside the view
    ASSERT_LT(3000 / z, w->width() - 10);
    click(w, w->width() - 5);
    EXPECT_EQ(w->SelectionStart, 3000);
    EXPECT_EQ(main->Edit4->text(), "3000");
    // Stretching past the end stops at the end.
    click(w, 10);
    press(w, 10);
    move(w, w->width() - 5);
    EXPECT_EQ(w->SelectionStart, 10 * z);
    EXPECT_EQ(w->SelectionLength, 3000 - 10 * z);
    release(w, w->width() - 5);
    // A right click past the end moves the end no further than the end.
    w->setSelection(100, 100);
    w->showSelection();
    click(w, w->width() - 2, Qt::RightButton);
    EXPECT_EQ(w->SelectionStart, 100);
    EXPECT_EQ(w->SelectionStart + w->SelectionLength, 3000);
}

TEST_F(SelectTest, RightClickMovesTheNearerEdge) {
    TSoundfrm* w = openRamp("a.wav", 100000);
    w->mostrar_sonido(10);
    // Without a selection a right click does nothing.
    w->setSelection(500, 0);
    click(w, 200, Qt::RightButton);
    EXPECT_EQ(w->SelectionStart, 500);
    EXPECT_EQ(w->SelectionLength, 0);
    w->setSelection(1000, 2000);   // frames 1000 .. 3000, middle 2000
    click(w, 50, Qt::RightButton);  // frame 500: before the middle
    EXPECT_EQ(w->SelectionStart, 500);
    EXPECT_EQ(w->SelectionStart + w->SelectionLength, 3000);
    EXPECT_EQ(main->Edit4->text(), "500");
    click(w, 400, Qt::RightButton);  // frame 4000: the end moves
    EXPECT_EQ(w->SelectionStart, 500);
    EXPECT_EQ(w->SelectionLength, 3500);
    EXPECT_EQ(main->Edit3->text(), "3500");
}

TEST_F(SelectTest, DraggingPastTheEdgeScrollsOnlyWithDoScroll) {
    TSoundfrm* w = openRamp("a.wav", 100000);
    w->mostrar_sonido(10);
    w->setScrollPosition(1000);
    w->mostrar_sonido(10);
    const int right = w->width();
    setDoScroll(w, 1);
    press(w, 600);
    move(w, right + 30);
    EXPECT_EQ(w->scrollPosition(), 1050);   // 5 x zoom per move
    move(w, right + 30);
    EXPECT_EQ(w->scrollPosition(), 1100);
    EXPECT_EQ(w->SelectionStart, 600 * 10 + 1000);
    EXPECT_EQ(w->SelectionStart + w->SelectionLength, int64_t(right) * 10 + 1100);
    release(w, right + 30);
    // Without the option the view stays and the selection stops at the edge.
    setDoScroll(w, 0);
    press(w, 600);
    move(w, right + 30);
    EXPECT_EQ(w->scrollPosition(), 1100);
    EXPECT_EQ(w->SelectionStart + w->SelectionLength, int64_t(right) * 10 + 1100);
    release(w, right + 30);
    // Back past the left edge.
    setDoScroll(w, 1);
    press(w, 300);
    move(w, -20);
    EXPECT_EQ(w->scrollPosition(), 1050);
    release(w, -20);
}

TEST_F(SelectTest, ClicksAreIgnoredWhileALoopPlays) {
    TSoundfrm* w = openRamp("a.wav", 3000);
    w->setSelection(40, 10);
    main->Loop1->setChecked(true);
    main->SpeedButton16->setEnabled(false);
    click(w, 300);
    EXPECT_EQ(w->SelectionStart, 40);
    EXPECT_EQ(w->SelectionLength, 10);
    main->SpeedButton16->setEnabled(true);
    click(w, 300);
    EXPECT_EQ(w->SelectionStart, 300 * w->Zoom);
    main->Loop1->setChecked(false);
}

TEST_F(SelectTest, WheelZoomsInToOneAndOutToTheFittingZoom) {
    TSoundfrm* w = openRamp("a.wav", 100000);
    const int64_t fit = 100000 / w->bitmapWidth() + 1;
    w->mostrar_sonido(8);
    wheel(w, -120);
    EXPECT_EQ(w->Zoom, 4);
    EXPECT_EQ(main->Edit2->text(), "4");
    for (int i = 0; i < 5; ++i) wheel(w, -120);
    EXPECT_EQ(w->Zoom, 1);
    for (int i = 0; i < 12; ++i) wheel(w, 120);
    EXPECT_EQ(w->Zoom, fit);
    EXPECT_EQ(main->Edit2->text(), QString::number(fit));
    EXPECT_EQ(w->scrollPosition(), 0);
}

TEST_F(SelectTest, StatusBarButtonsShowOverTheStatusBar) {
    TSoundfrm* w = openRamp("a.wav", 3000);
    EXPECT_FALSE(w->boto_selectall->isHidden());
    EXPECT_TRUE(w->boto_zoomin->isHidden());
    EXPECT_EQ(w->boto_zoomin->toolTip(), "Zoom In");
    EXPECT_EQ(w->boto_zoomout->toolTip(), "Zoom Out");
    EXPECT_EQ(w->boto_gotocursor->toolTip(), "Go to Cursor Position");
    move(w, 100, 20, Qt::NoButton);
    EXPECT_TRUE(w->boto_selectall->isHidden());
    move(w, 400, w->StatusBar1->y() + 5, Qt::NoButton);
    for (QToolButton* b : {w->boto_gotobegin, w->boto_gotoend, w->boto_gotocursor, w->boto_selectall,
                           w->boto_selectnone, w->boto_zoomin, w->boto_zoomout})
        EXPECT_FALSE(b->isHidden()) << b->objectName().toStdString();
    // A double click on the status bar selects everything.
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(400, w->StatusBar1->y() + 5),
                    w->mapToGlobal(QPointF(400, w->StatusBar1->y() + 5)), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(w, &dbl);
    EXPECT_EQ(w->SelectionStart, 0);
    EXPECT_EQ(w->SelectionLength, 3000);
}

TEST_F(SelectTest, ButtonsSelectAndMoveTheView) {
    TSoundfrm* w = openRamp("a.wav", 100000);
    w->mostrar_sonido(10);
    w->setSelection(50000, 0);
    w->boto_gotocursor->click();
    EXPECT_EQ(w->scrollPosition(), 50000);
    w->boto_gotoend->click();
    EXPECT_EQ(w->scrollPosition(), 100000 - 10 * w->bitmapWidth());
    w->boto_gotobegin->click();
    EXPECT_EQ(w->scrollPosition(), 0);
    // Select None keeps the cursor at the start when it shows, else takes
    // the first frame shown.
    w->setSelection(2000, 300);
    w->boto_selectnone->click();
    EXPECT_EQ(w->SelectionStart, 2000);
    EXPECT_EQ(w->SelectionLength, 0);
    w->setSelection(20, 300);
    w->setScrollPosition(500);
    w->selectnone();
    EXPECT_EQ(w->SelectionStart, 500);
    EXPECT_EQ(main->Edit4->text(), "500");
    w->boto_selectall->click();
    EXPECT_EQ(w->SelectionStart, 0);
    EXPECT_EQ(w->SelectionLength, 100000);
    EXPECT_EQ(w->Zoom, 100000 / w->waveWidth() + 1);
    EXPECT_EQ(main->Edit2->text(), QString::number(w->Zoom));
    EXPECT_EQ(main->Edit3->text(), "100000");
}

TEST_F(SelectTest, SampleReportAtTheCursor) {
    TSoundfrm* w = open("a.wav", 16, 1, pcm16({0, 16384, -5}));
    w->setSelection(0, 2);
    w->CurrentSampleValue();
    EXPECT_EQ(scripted().messages().back(), "Selection Size must be 0");
    w->setSelection(1, 0);
    main->ms1->setText("0':0'':0ms");
    w->CurrentSampleValue();
    EXPECT_EQ(scripted().messages().back(),
              "- Sample Number : 1\n- Value : 16384\n- Decibels : -6.02 dB\n- Time : 0':0'':0ms");
    // The cursor after the last frame has no sample: nothing is read.
    w->setSelection(3, 0);
    const size_t before = scripted().messages().size();
    w->CurrentSampleValue();
    ASSERT_EQ(scripted().messages().size(), before + 1);
    EXPECT_EQ(scripted().messages().back().find("- Sample Number"), std::string::npos);
    TSoundfrm* s = open("b.wav", 8, 1, {127, 127});
    s->setSelection(0, 0);
    s->CurrentSampleValue();
    EXPECT_NE(scripted().messages().back().find("- Decibels : -inf dB"), std::string::npos);
}

TEST_F(SelectTest, ZeroCrossingMovesTheSelectionAndWritesTheBoxes) {
    TSoundfrm* w = open("a.wav", 16, 1, pcm16({5, 5, 5, -5, -5, -5, 5, 5, -5, -5}));
    w->setSelection(1, 8);
    w->zerocrossing('r', 'l');
    EXPECT_EQ(w->SelectionStart, 3);
    EXPECT_EQ(w->SelectionLength, 4);
    EXPECT_EQ(main->Edit4->text(), "3");
    EXPECT_EQ(main->Edit3->text(), "4");
}
