#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QPixmap>

#include "components/RXShell.h"
#include "components/RxTimer.h"

namespace {

QIcon someIcon() {
    QPixmap p(16, 16);
    p.fill(Qt::blue);
    return QIcon(p);
}

class TrayTest : public ::testing::Test {
protected:
    std::function<bool()> saved = TRxTrayIcon::trayAvailable;
    bool available = true;
    std::unique_ptr<TRxTrayIcon> tray;
    QMenu menu;
    std::vector<std::string> events;

    void SetUp() override {
        TRxTrayIcon::trayAvailable = [this] { return available; };
        tray = std::make_unique<TRxTrayIcon>();
        tray->OnClick = [this](TMouseButton b, unsigned, int, int) {
            events.push_back(b == TMouseButton::mbLeft ? "click left" : "click right");
        };
        tray->OnDblClick = [this] { events.push_back("double"); };
        tray->OnMouseDown = [this](TMouseButton, unsigned shift, int, int) {
            events.push_back("down " + std::to_string(shift));
        };
    }
    void TearDown() override {
        menu.hide();
        tray.reset();
        TRxTrayIcon::trayAvailable = saved;
    }
};

} // namespace

TEST_F(TrayTest, ClicksAndTheMenu) {
    tray->setIcon(someIcon());
    EXPECT_TRUE(tray->Added());
    // A left click counts only when the button also went down on the icon.
    tray->handleMouse(TrayMouse::LeftUp, 1, 1, 0);
    tray->handleMouse(TrayMouse::LeftDown, 1, 1, ssShift);
    tray->handleMouse(TrayMouse::LeftUp, 1, 1, ssShift);
    EXPECT_EQ(events, (std::vector<std::string>{"down 9", "click left"}));

    // A right click shows the menu instead of firing the click.
    events.clear();
    menu.addAction("Open");
    tray->setPopupMenu(&menu);
    tray->handleMouse(TrayMouse::RightDown, 5, 5, 0);
    tray->handleMouse(TrayMouse::RightUp, 5, 5, 0);
    EXPECT_EQ(events, std::vector<std::string>{"down 16"});
    EXPECT_TRUE(menu.isVisible());

    // A double click runs the menu's default item, else the event.
    events.clear();
    tray->handleMouse(TrayMouse::LeftDouble, 5, 5, 0);
    EXPECT_EQ(events, (std::vector<std::string>{"double", "down 64"}));
    int opened = 0;
    QAction* open = menu.actions()[0];
    QObject::connect(open, &QAction::triggered, [&] { ++opened; });
    menu.setDefaultAction(open);
    events.clear();
    tray->handleMouse(TrayMouse::LeftDouble, 5, 5, 0);
    EXPECT_EQ(opened, 1);
    EXPECT_EQ(events, std::vector<std::string>{"down 64"});

    // Nothing is handled while disabled.
    tray->Enabled = false;
    events.clear();
    tray->handleMouse(TrayMouse::LeftDown, 1, 1, 0);
    EXPECT_TRUE(events.empty());
}

TEST_F(TrayTest, TipAnimationAndAMissingNotificationArea) {
    tray->setHint("Sonvela|the long part");
    EXPECT_EQ(tray->tip(), "Sonvela");
    tray->setHint(QString(80, 'x'));
    EXPECT_EQ(tray->tip().size(), 63);
    tray->setAnimated(true);
    EXPECT_FALSE(tray->Animated());

    available = false;
    tray->setIcon(someIcon());
    EXPECT_FALSE(tray->Added());
    available = true;
    tray->UpdateIcon();
    EXPECT_TRUE(tray->Added());
    tray->setActive(false);
    EXPECT_FALSE(tray->Added());
}

TEST(RxTimer, TicksOnlyWithIntervalEnabledAndHandler) {
    TRxTimer t;
    EXPECT_EQ(t.Interval(), 1000u);
    EXPECT_FALSE(t.isTicking());
    int ticks = 0;
    t.setOnTimer([&] { ++ticks; });
    EXPECT_TRUE(t.isTicking());
    t.setInterval(0);
    EXPECT_FALSE(t.isTicking());
    t.setInterval(20);
    t.setEnabled(false);
    EXPECT_FALSE(t.isTicking());
    t.FireTimer();
    EXPECT_EQ(ticks, 0);
    t.setEnabled(true);
    t.FireTimer();
    EXPECT_EQ(ticks, 1);
    // A handler that clears itself while running is safe.
    t.setOnTimer([&] { t.setOnTimer(nullptr); ++ticks; });
    t.FireTimer();
    EXPECT_EQ(ticks, 2);
    EXPECT_FALSE(t.isTicking());
}
