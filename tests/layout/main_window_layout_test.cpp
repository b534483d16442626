// The main window as a user arranges it: the sound windows after each
// command of the Windows menu, and the zoom, start and length boxes on a
// narrow window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QToolBar>
#include <QToolButton>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "mainwindow/SonvelaMain.h"
#include "sound/frame_title.h"
#include "tests/layout/layout_check.h"
#include "tests/support/window_fixture.h"

namespace sv::test {
namespace {

class MainWindowLayout : public WindowTest {
protected:
    void SetUp() override { start(); }
    void showAt(int width, int height) {
        main->resize(width, height);
        main->show();
        settle();
    }
    static void settle() {
        for (int i = 0; i < 3; ++i) QApplication::processEvents();
    }
    std::vector<QMdiSubWindow*> frames() const {
        std::vector<QMdiSubWindow*> out;
        for (TSoundfrm* w : main->soundWindows()) out.push_back(qobject_cast<QMdiSubWindow*>(w->parentWidget()));
        return out;
    }
    QRect area() const { return main->mdi->viewport()->rect(); }
    void arrange(const char* item) {
        main->item(item)->trigger();
        settle();
    }
    // Eleven sound windows whose files lie deep in folders of long names.
    void openElevenWithLongPaths() {
        const std::string folder = "a-folder-with-a-rather-long-name/recordings-of-the-spring-session/takes/";
        std::filesystem::create_directories(dir.file(folder));
        for (int i = 0; i < 11; ++i) open(folder + "take-" + std::to_string(i) + ".wav", 16, 2, 30000);
        settle();
    }
    // The file name whole in every title bar; the whole path where it fits.
    void expectTitlesShowTheFileNames(const std::string& when) const {
        for (QMdiSubWindow* s : frames()) {
            const auto* w = qobject_cast<TSoundfrm*>(s->widget());
            const QString caption = QString::fromStdString(w->caption());
            const QString name = caption.mid(caption.lastIndexOf('/') + 1);
            const QString title = s->windowTitle();
            const int room = frameTitleRoom(s, s->width());
            const bool fits = frameTitleMetrics(s).horizontalAdvance(caption) <= room;
            EXPECT_EQ(title == caption, fits) << when << " " << title.toStdString();
            if (frameTitleMetrics(s).horizontalAdvance(shortestTitle(caption)) > room) {
                // Too narrow even for the name: what shows of it is its end,
                // which tells the takes apart.
                EXPECT_TRUE(title.isEmpty() || name.endsWith(title.mid(1))) << when << " " << title.toStdString();
                continue;
            }
            EXPECT_TRUE(title.endsWith("/" + name)) << when << " " << title.toStdString();
            EXPECT_LE(frameTitleMetrics(s).horizontalAdvance(title), room) << when;
            if (!fits) EXPECT_EQ(title.left(2), caption.left(2)) << when << " " << title.toStdString();
        }
    }
};

// Two sound windows in the main window's default 800 x 600.
TEST_F(MainWindowLayout, WindowsCommandsLeaveUsableWindows) {
    showAt(800, 600);
    open("a.wav", 16, 2, 30000);
    open("b.wav", 16, 2, 30000);
    settle();
    const std::vector<QMdiSubWindow*> subs = frames();
    ASSERT_EQ(subs.size(), 2u);
    std::vector<QSize> before;
    for (QMdiSubWindow* s : subs) before.push_back(s->size());

    // Cascade: each offset by a title bar, as large as it was where the
    // workspace has the room, cut to the workspace where not.
    arrange("Cascade1");
    const QRect a = area();
    QPoint last(-1, -1);
    for (size_t i = 0; i < subs.size(); ++i) {
        const QRect g = subs[i]->geometry();
        EXPECT_TRUE(a.contains(g)) << i;
        EXPECT_EQ(g.width(), std::min(before[i].width(), a.width() - g.x())) << i;
        EXPECT_EQ(g.height(), std::min(before[i].height(), a.height() - g.y())) << i;
        EXPECT_GE(g.height(), a.height() / 2) << i;
        EXPECT_NE(g.topLeft(), last);
        last = g.topLeft();
    }
    // The active window lies on top, its title bar below the other's.
    const auto stack = main->mdi->subWindowList(QMdiArea::StackingOrder);
    EXPECT_EQ(stack.back(), main->mdi->activeSubWindow());

    // Tile: stacked, each the full width of the workspace; Strip: one row,
    // each the full height.
    for (const auto& [item, inRow] : {std::pair{"Tile1", false}, std::pair{"MosaicoVertical1", true}}) {
        arrange(item);
        int edge = 0;
        for (QMdiSubWindow* s : subs) {
            const QRect g = s->geometry();
            EXPECT_EQ(inRow ? g.top() : g.left(), 0) << item;
            EXPECT_EQ(inRow ? g.height() : g.width(), inRow ? a.height() : a.width()) << item;
            EXPECT_EQ(inRow ? g.left() : g.top(), edge) << item;
            edge = (inRow ? g.right() : g.bottom()) + 1;
        }
        EXPECT_EQ(edge, inRow ? a.width() : a.height()) << item;
    }
}

TEST_F(MainWindowLayout, SelectionBoxesStayInViewOnANarrowWindow) {
    showAt(640, 480);
    open("a.wav", 16, 2, 30000);
    settle();
    auto* bar = main->findChild<QToolBar*>("TransportBar");
    ASSERT_NE(bar, nullptr);
    // Nothing of the bar waits behind its overflow button.
    if (auto* more = bar->findChild<QToolButton*>("qt_toolbar_ext_button")) EXPECT_FALSE(more->isVisible());
    for (QWidget* w : {static_cast<QWidget*>(main->Edit2), static_cast<QWidget*>(main->Edit4),
                       static_cast<QWidget*>(main->Edit3), main->SpinButton1, main->SpinButton3, main->SpinButton2,
                       static_cast<QWidget*>(main->ms1), static_cast<QWidget*>(main->ms2)}) {
        ASSERT_NE(w, nullptr);
        EXPECT_TRUE(w->isVisible()) << describe(w).toStdString();
        const QRect inBar(w->mapTo(bar, QPoint(0, 0)), w->size());
        EXPECT_TRUE(bar->rect().contains(inBar)) << describe(w).toStdString();
        const QRect inMain(w->mapTo(main.get(), QPoint(0, 0)), w->size());
        EXPECT_TRUE(main->rect().contains(inMain)) << describe(w).toStdString();
    }

    // Every count a WAVE file can hold shows whole, and so do the times of
    // a long sound.
    main->SampleRate = 44100;
    for (QLineEdit* box : {main->Edit2, main->Edit4, main->Edit3}) {
        box->setText("4294967295");
        box->setReadOnly(true);   // the layout check measures a box's text when read-only
    }
    main->Edit4->setText("158760000");
    main->Edit3->setText("4294967295");
    settle();
    QWidget* panel = main->Edit2->parentWidget()->parentWidget();
    const QStringList faults = layoutFaults(panel);
    EXPECT_TRUE(faults.isEmpty()) << faults.join("\n").toStdString();
    for (QLineEdit* box : {main->Edit2, main->Edit4, main->Edit3}) box->setReadOnly(false);
}

// Eleven windows no longer fit one above the other: Tile puts them in
// columns, none overlapping and each with a waveform to see, and Strip
// straight after fills the workspace to its edges.
TEST_F(MainWindowLayout, ManyWindowsTileIntoColumnsAndStripFillsTheWorkspace) {
    showAt(800, 600);
    for (int i = 0; i < 11; ++i) open("w" + std::to_string(i) + ".wav", 16, 2, 30000);
    settle();
    const std::vector<QMdiSubWindow*> subs = frames();
    for (const char* item : {"Tile1", "MosaicoVertical1"}) {
        arrange(item);
        const QRect a = area();
        EXPECT_FALSE(main->mdi->horizontalScrollBar()->isVisible()) << item;
        EXPECT_FALSE(main->mdi->verticalScrollBar()->isVisible()) << item;
        int64_t covered = 0;
        for (size_t i = 0; i < subs.size(); ++i) {
            const QRect g = subs[i]->geometry();
            EXPECT_TRUE(a.contains(g)) << item << " " << i;
            covered += int64_t(g.width()) * g.height();
            for (size_t j = i + 1; j < subs.size(); ++j)
                EXPECT_FALSE(g.intersects(subs[j]->geometry())) << item << " " << i << " " << j;
            if (std::string(item) == "Tile1") EXPECT_GE(main->soundWindows()[i]->drawingBottom(), 60) << i;
        }
        // Inside the workspace and not overlapping: covering its area
        // means filling it.
        EXPECT_EQ(covered, int64_t(a.width()) * a.height()) << item;
    }
}

// After Strip has left eleven narrow windows, Cascade gives each a usable
// size again (a waveform to see, the file name in its title); no window
// lies over another's place, and each title bar has a part in view to
// click, on a small main window too, where the cascade takes more than one
// round.
TEST_F(MainWindowLayout, CascadeAfterStripLeavesEveryWindowUsableAndInReach) {
    openElevenWithLongPaths();
    for (const QSize size : {QSize(640, 480), QSize(800, 600), QSize(1280, 1024)}) {
        const std::string at = std::to_string(size.width()) + "x" + std::to_string(size.height());
        showAt(size.width(), size.height());
        arrange("MosaicoVertical1");
        expectTitlesShowTheFileNames("strip " + at);
        arrange("Cascade1");
        expectTitlesShowTheFileNames("cascade " + at);
        std::set<std::pair<int, int>> places;
        for (QMdiSubWindow* s : frames()) {
            const auto* w = qobject_cast<TSoundfrm*>(s->widget());
            const QRect g = s->geometry();
            EXPECT_GE(w->drawingBottom(), 64) << at;
            EXPECT_GE(g.width(), frameWidthShowing(s, shortestTitle(w->windowTitle()))) << at;
            EXPECT_TRUE(places.insert({g.x(), g.y()}).second) << at << " two windows at " << g.x() << "," << g.y();
            // Some point of the title bar belongs to this window and not to
            // one lying over it.
            const int titleMiddle = g.top() + w->mapTo(s, QPoint(0, 0)).y() / 2;
            bool inReach = false;
            for (int x = g.left() + 1; x < g.right() && !inReach; x += 4) {
                QWidget* hit = main->mdi->viewport()->childAt(x, titleMiddle);
                while (hit && !qobject_cast<QMdiSubWindow*>(hit)) hit = hit->parentWidget();
                inReach = hit == s;
            }
            EXPECT_TRUE(inReach) << at << " " << s->windowTitle().toStdString();
        }
    }
}

// Tiled, the windows' titles no longer all show the same cut-off folder.
TEST_F(MainWindowLayout, TiledWindowsShowTheirFileNames) {
    openElevenWithLongPaths();
    for (const QSize size : {QSize(800, 600), QSize(1280, 1024)}) {
        showAt(size.width(), size.height());
        arrange("Tile1");
        expectTitlesShowTheFileNames("tile " + std::to_string(size.width()));
    }
    // A maximised window's title is the whole path, for the main window's
    // title to carry.
    QMdiSubWindow* last = frames().back();
    last->showMaximized();
    settle();
    EXPECT_EQ(last->windowTitle(), QString::fromStdString(main->soundWindows().back()->caption()));
    last->showNormal();
    settle();
}

} // namespace
} // namespace sv::test

