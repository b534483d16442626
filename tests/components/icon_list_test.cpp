#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QMenu>
#include <QPainter>
#include <QPixmap>
#include <QWidget>
#include <stdexcept>

#include "components/IcoList.h"
#include "components/RXShell.h"
#include "components/RxCursors.h"
#include "components/VCLUtils.h"
#include "components/icon_clipboard.h"
#include "components/picture_formats.h"
#include "tests/support/scripted_prompts.h"

namespace {

QIcon solid(QColor c, int size = 16) {
    QPixmap p(size, size);
    p.fill(c);
    return QIcon(p);
}

QRgb centre(const QIcon& icon) {
    const QSize s = icon.availableSizes().value(0, QSize(16, 16));
    return icon.pixmap(s, 1.0).toImage().pixel(s.width() / 2, s.height() / 2) & 0xFFFFFF;
}

} // namespace

TEST(IconList, EditingAndChangeReports) {
    TIconList list;
    int changes = 0;
    list.OnChange = [&] { ++changes; };
    const QIcon red = solid(Qt::red), green = solid(Qt::green), blue = solid(Qt::blue);
    list.Add(red);
    list.Put(1, green);   // at Count: appended
    list.Insert(0, blue);
    EXPECT_EQ(changes, 3);
    ASSERT_EQ(list.Count(), 3);
    EXPECT_EQ(list.IndexOf(blue), 0);
    EXPECT_EQ(list.IndexOf(green), 2);
    list.Exchange(0, 2);
    EXPECT_EQ(list.IndexOf(green), 0);
    list.Move(0, 2);   // green to the end again: red, blue, green
    EXPECT_EQ(list.IndexOf(green), 2);
    EXPECT_EQ(list.IndexOf(red), 0);
    list.Delete(1);
    EXPECT_EQ(list.IndexOf(blue), -1);
    EXPECT_EQ(changes, 6);
    EXPECT_THROW(list.Get(5), std::out_of_range);
    EXPECT_THROW(list.Put(7, red), std::out_of_range);

    // Nested updates report once, at the outermost end.
    changes = 0;
    list.BeginUpdate();
    list.BeginUpdate();
    list.Add(red);
    list.Clear();
    list.EndUpdate();
    EXPECT_EQ(changes, 0);
    list.EndUpdate();
    EXPECT_EQ(changes, 1);

    TIconList other;
    other.Add(red);
    other.Add(QIcon());
    changes = 0;
    list.Assign(other);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(changes, 1);
    list.Assign(green);
    EXPECT_EQ(list.Count(), 1);
    list.Assign(nullptr);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(list.AddResource("no such icon"), 0);
    EXPECT_TRUE(list[0].isNull());
}

TEST(IconList, FormDataRoundTrip) {
    TIconList list;
    EXPECT_FALSE(list.shouldStore());
    list.Add(solid(QColor(200, 10, 10)));
    list.Add(QIcon());
    list.Add(solid(QColor(10, 10, 200), 32));
    EXPECT_TRUE(list.shouldStore());
    const std::vector<uint8_t> data = list.WriteData();
    ASSERT_GE(data.size(), 16u);
    EXPECT_EQ(data[0], 3);

    TIconList back;
    back.Add(solid(Qt::white));   // reading replaces what was there
    back.ReadData(data);
    ASSERT_EQ(back.Count(), 3);
    EXPECT_EQ(centre(back[0]), qRgb(200, 10, 10) & 0xFFFFFFu);
    EXPECT_TRUE(back[1].isNull());
    EXPECT_EQ(back[2].availableSizes().value(0), QSize(32, 32));
    EXPECT_FALSE(back.shouldStore(&list));
    back.Put(1, solid(Qt::green));
    EXPECT_TRUE(back.shouldStore(&list));

    // Damaged data: refused, never read past its end.
    std::vector<uint8_t> cut(data.begin(), data.end() - 5);
    EXPECT_THROW(back.ReadData(cut), std::runtime_error);
    std::vector<uint8_t> huge = {0xFF, 0xFF, 0xFF, 0x7F, 0, 0, 0, 0};
    EXPECT_THROW(back.ReadData(huge), std::runtime_error);
}

TEST(IconList, TrayAnimatesItsIconList) {
    auto saved = TRxTrayIcon::trayAvailable;
    TRxTrayIcon::trayAvailable = [] { return true; };
    {
        TRxTrayIcon tray;
        tray.setIcon(solid(Qt::black));
        tray.setAnimated(true);
        EXPECT_FALSE(tray.Animated());   // no frames yet
        TIconList frames;
        frames.Add(solid(Qt::red));
        frames.Add(solid(Qt::green));
        tray.setIcons(frames);
        tray.setAnimated(true);
        EXPECT_TRUE(tray.Animated());
        EXPECT_EQ(centre(tray.currentIcon()), 0xFF0000u);
        tray.AdvanceIcon();
        EXPECT_EQ(centre(tray.currentIcon()), 0x00FF00u);
        tray.AdvanceIcon();
        EXPECT_EQ(tray.IconIndex(), 0);
        // Emptying the list the tray holds ends the animation.
        tray.Icons().Clear();
        EXPECT_FALSE(tray.Animated());
        EXPECT_EQ(centre(tray.currentIcon()), 0x000000u);

        // A failing handler reaches the application's handling, not the loop.
        std::string reported;
        sv::ApplicationOnException = [&](const std::exception& e) { reported = e.what(); };
        tray.OnMouseDown = [](TMouseButton, unsigned, int, int) { throw std::runtime_error("tray handler failed"); };
        tray.handleMouse(TrayMouse::LeftDown, 0, 0, 0);
        EXPECT_EQ(reported, "tray handler failed");
        sv::ApplicationOnException = nullptr;
    }
    TRxTrayIcon::trayAvailable = saved;
}

TEST(StartupRegistrations, CursorsAndIconClipboard) {
    sv::loadStartupCursors();
    ASSERT_TRUE(sv::hasScreenCursor(sv::crHand));
    ASSERT_TRUE(sv::hasScreenCursor(sv::crDragHand));
    const QCursor hand = sv::screenCursor(sv::crHand);
    EXPECT_EQ(hand.shape(), Qt::BitmapCursor);
    EXPECT_EQ(hand.hotSpot(), QPoint(5, 0));
    EXPECT_FALSE(hand.bitmap().isNull());
    EXPECT_EQ(sv::screenCursor(12345).shape(), Qt::ArrowCursor);

    sv::registerIconClipboardFormat();
    EXPECT_EQ(sv::classForClipboardFormat(sv::iconClipboardFormat().toStdString()), "TIcon");
    sv::copyIconToClipboard(solid(QColor(1, 120, 240), 24));
    ASSERT_TRUE(sv::clipboardHasIcon());
    const QIcon pasted = sv::pasteIconFromClipboard();
    EXPECT_EQ(pasted.availableSizes().value(0), QSize(24, 24));
    EXPECT_EQ(centre(pasted), qRgb(1, 120, 240) & 0xFFFFFFu);
    QApplication::clipboard()->clear();
}

TEST(DrawingHelpers, TransparentDrawByPositionAndSize) {
    sv::Dib bmp = sv::Dib::make(4, 2, 24);
    for (int x = 0; x < 4; ++x) bmp.setColor(x, 0, sv::rgbColor(255, 0, 0));
    bmp.setColor(2, 1, sv::rgbColor(0, 0, 255));   // the rest of row 1 stays black
    QImage out(4, 2, QImage::Format_RGB32);
    out.fill(Qt::white);
    {
        QPainter p(&out);
        // Source x 2..3 of both rows, stretched over the whole target; black left out.
        sv::DrawBitmapTransparent(p, 0, 0, 4, 2, bmp, 2, 0, 2, 2, sv::rgbColor(0, 0, 0));
    }
    EXPECT_EQ(out.pixel(0, 0) & 0xFFFFFF, 0xFF0000u);
    EXPECT_EQ(out.pixel(0, 1) & 0xFFFFFF, 0x0000FFu);
    EXPECT_EQ(out.pixel(3, 1) & 0xFFFFFF, 0xFFFFFFu);   // transparent black
}

TEST(DrawingHelpers, ActivateWindowAndNotImplemented) {
    QWidget w;
    w.setEnabled(false);
    EXPECT_EQ(sv::ActivateWindow(&w, false), nullptr);
    w.setEnabled(true);
    EXPECT_EQ(sv::ActivateWindow(&w, true), nullptr);   // hidden
    w.showMinimized();
    EXPECT_EQ(sv::ActivateWindow(&w, true), &w);
    EXPECT_FALSE(w.isMinimized());
    EXPECT_THROW(sv::RaiseNotImplemented(), sv::EAbort);
    EXPECT_TRUE(sv::test::scripted().sawMessage("Function not yet implemented"));
}
