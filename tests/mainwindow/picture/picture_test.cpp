#include <gtest/gtest.h>

#include <QApplication>
#include <QMenu>

#include "components/GIFCtrl.h"
#include "components/RXShell.h"
#include "mainwindow/SonvelaMain.h"
#include "mainwindow/SonvelaMain_picture.h"
#include "mainwindow/SonvelaMain_transport.h"
#include "platform/settings.h"
#include "sound/Sound.h"
#include "tests/support/scripted_prompts.h"
#include "tests/support/wave_fixtures.h"

using namespace sv;
using namespace sv::test;

namespace {

// A small two-frame GIF written with the program's own encoder.
void writeGif(const std::string& path, int frames) {
    TGIFImage img;
    for (int i = 0; i < frames; ++i) {
        Dib d = Dib::make(5, 4, 1);
        d.palette = {0, rgbColor(255, 255, 255)};
        d.setIndex(i, 0, 1);
        img.AddFrame(d);
    }
    img.SaveToFile(path);
}

class PictureTest : public ::testing::Test {
protected:
    TempExeDir dir;
    std::unique_ptr<TSVMainfrm> main;
    TRxGIFAnimator* gif = nullptr;

    void start() {
        main = std::make_unique<TSVMainfrm>();
        gif = gifAnimator(main.get());
    }
    void TearDown() override {
        main.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::string worm() {
        IniFile ini(dir.file("dadoruz.ini"));
        return ini.ReadString("Configuration", "WORM", "");
    }
};

} // namespace

TEST_F(PictureTest, StoredPictureSitsInItsPanelWithTheMenus) {
    start();
    ASSERT_NE(gif, nullptr);
    EXPECT_EQ(gif->parentWidget(), main->Panel3);
    EXPECT_FALSE(main->Panel3->isHidden());
    EXPECT_EQ(gif->Image().Count(), 12);
    EXPECT_EQ(gif->Image().ScreenWidth, 48);
    EXPECT_FALSE(gif->Animate());

    ASSERT_NE(pictureMenu(main.get()), nullptr);
    EXPECT_TRUE(pictureMenu(main.get())->actions().contains(main->item("ChangeImage1")));

    QMenu* tray = trayMenu(main.get());
    ASSERT_NE(tray, nullptr);
    QStringList captions;
    for (QAction* a : tray->actions()) captions << (a->isSeparator() ? "-" : a->text());
    EXPECT_EQ(captions, (QStringList{"&Open Sonvela", "Open Sonvela as &CD Player", "&About Sonvela", "-", "&Exit Sonvela"}));
    ASSERT_NE(trayIcon(main.get()), nullptr);
    EXPECT_EQ(trayIcon(main.get())->PopupMenu(), tray);
    EXPECT_FALSE(trayIcon(main.get())->Icon().isNull());
}

TEST_F(PictureTest, ConfiguredPictureLoadsAndABrokenOneIsReported) {
    writeGif(dir.file("sv_globe.gif"), 2);
    start();
    EXPECT_EQ(gif->Image().Count(), 2);
    EXPECT_EQ(gif->Image().ScreenWidth, 5);
    main.reset();

    writeBytes(dir.file("broken.gif"), {'G', 'I', 'F', '1', '2', '3', 0, 0});
    IniFile(dir.file("dadoruz.ini")).WriteString("Configuration", "WORM", dir.file("broken.gif"));
    start();
    EXPECT_TRUE(scripted().sawMessage("Unknown GIF version"));
    EXPECT_EQ(gif->Image().Count(), 12);   // the stored picture stays
}

TEST_F(PictureTest, ChangeImageLoadsAGifAndRemembersIt) {
    start();
    writeGif(dir.file("two.gif"), 3);
    writeBytes(dir.file("bad.gif"), {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, '!', 0x33});
    writeGif(dir.file("other.png"), 2);

    scripted().answerFile("");   // cancelled
    scripted().answerFile(dir.file("other.png"));
    scripted().answerFile(dir.file("missing.gif"));
    for (int i = 0; i < 3; ++i) ChangeImage1Click(main.get());
    EXPECT_EQ(gif->Image().Count(), 12);
    EXPECT_EQ(worm(), "");
    EXPECT_EQ(scripted().log.back().request.filter, "Compuserve Images (*.gif)|*.gif");

    scripted().answerFile(dir.file("bad.gif"));
    ChangeImage1Click(main.get());
    EXPECT_TRUE(scripted().sawMessage("Unrecognized extension block: 33"));
    EXPECT_EQ(gif->Image().Count(), 12);
    EXPECT_EQ(worm(), "");

    scripted().answerFile(dir.file("two.gif"));
    main->item("ChangeImage1")->trigger();
    EXPECT_EQ(gif->Image().Count(), 3);
    EXPECT_EQ(worm(), dir.file("two.gif"));
}

TEST_F(PictureTest, PlaybackAnimatesThePictureAndStoppingEndsIt) {
    start();
    main->transport().animate(true);
    EXPECT_TRUE(gif->Animate());
    EXPECT_TRUE(gif->Timer->isTicking());
    const int before = gif->FrameIndex();
    gif->AdvanceFrame();
    EXPECT_EQ(gif->FrameIndex(), before + 1);
    main->parar_todo();
    EXPECT_FALSE(gif->Animate());
    EXPECT_FALSE(gif->Timer->isTicking());
}

TEST_F(PictureTest, TrayShowsTheProgramsOwnIconWhateverPictureIsLoaded) {
    writeGif(dir.file("sv_globe.gif"), 2);
    QPixmap own(16, 16);
    own.fill(Qt::darkCyan);
    const QIcon saved = QApplication::windowIcon();
    QApplication::setWindowIcon(QIcon(own));
    start();
    ASSERT_NE(trayIcon(main.get()), nullptr);
    EXPECT_EQ(trayIcon(main.get())->Icon().cacheKey(), QApplication::windowIcon().cacheKey());
    QApplication::setWindowIcon(saved);
}
