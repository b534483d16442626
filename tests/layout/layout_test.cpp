// Every form as a user sees it: the layout faults of each window of the
// program, shown at the size it opens with, the pictures the forms draw,
// and the tool buttons' pictures. With SONVELA_FORM_PICTURES naming a
// folder, a picture of every form is written there too (make pictures).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QPixmap>
#include <QToolBar>
#include <QToolButton>
#include <cstdlib>

#include "dialogs/Echo.h"
#include "dialogs/FadeInOut.h"
#include "dialogs/FrequencyShift.h"
#include "dialogs/track_bar.h"
#include "mainwindow/SonvelaMain.h"
#include "mainwindow/SonvelaMain_view.h"
#include "sound/AdvancedFilter.h"
#include "tests/layout/forms.h"
#include "tests/support/window_fixture.h"

namespace sv::test {
namespace {

// Shows the window as its command does and lets its layout settle. The
// main window opens maximized: it is looked at on a screen of 1024 x 768;
// the forms must fit one of 800 x 600.
void showAsTheUserSees(QWidget* w) {
    if (auto* main = qobject_cast<TSVMainfrm*>(w)) {
        main->resize(1024, 768);
        main->show();
    } else {
        w->show();
    }
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

void writePicture(const std::string& name, QWidget* w) {
    const char* folder = std::getenv("SONVELA_FORM_PICTURES");
    if (!folder || !*folder) return;
    const QDir dir(QString::fromLocal8Bit(folder));
    QDir().mkpath(dir.path());
    w->window()->grab().save(dir.filePath(QString::fromStdString(name) + ".png"));
}

class Forms : public WindowTest, public FormContext {
protected:
    void SetUp() override { start(); }
    void TearDown() override {
        release();
        WindowTest::TearDown();
    }
    TSVMainfrm& main() override { return *WindowTest::main; }
    TSoundfrm* sound() override {
        if (!sound_) sound_ = open("tone.wav", 16, 2, 30000);
        return sound_;
    }
    TSoundfrm* sound_ = nullptr;
};

class FormLayout : public Forms, public ::testing::WithParamInterface<size_t> {};

TEST_P(FormLayout, EveryTextFitsAndNothingOverlaps) {
    const FormCase& form = everyForm()[GetParam()];
    QWidget* w = form.make(*this);
    ASSERT_NE(w, nullptr);
    showAsTheUserSees(w);
    if (form.use) {
        form.use(w);
        QApplication::processEvents();
    }
    writePicture(form.name, w);
    const QStringList faults = layoutFaults(w, form.overlaps);
    EXPECT_TRUE(faults.isEmpty()) << form.name << ":\n  " << faults.join("\n  ").toStdString();
}

INSTANTIATE_TEST_SUITE_P(Every, FormLayout, ::testing::Range<size_t>(0, everyForm().size()),
                         [](const ::testing::TestParamInfo<size_t>& info) { return everyForm()[info.param].name; });

// Whether the bar's channel shows the highlight colour where the thumb
// would stand at `value` (the thumb itself stands elsewhere).
bool isHighlighted(TrackBar* bar, int value) {
    const QImage img = bar->grab().toImage();
    const QColor hl = bar->palette().color(bar->isEnabled() ? QPalette::Active : QPalette::Disabled,
                                           QPalette::Highlight);
    return img.pixelColor(bar->pixelAt(value), bar->channel().center().y()) == hl;
}

using FormPictures = Forms;

TEST_F(FormPictures, FadeEnvelopeFillsItsArea) {
    TFadeInOutfrm f;
    f.prepare(1);
    f.show();
    QApplication::processEvents();
    const QRectF area = QRectF(f.Bevel1->rect()).adjusted(4, 4, -4, -4);
    f.TrackBar1->setValue(100);
    // 100 %: the level does not fall, the lines run along the edges.
    EXPECT_DOUBLE_EQ(f.Bevel1->upperLine().p2().y(), area.top());
    EXPECT_DOUBLE_EQ(f.Bevel1->lowerLine().p2().y(), area.bottom());
    // 50 %: half way from the edge to the middle line.
    f.TrackBar1->setValue(50);
    const double mid = f.Bevel1->height() / 2.0;
    EXPECT_DOUBLE_EQ(mid - f.Bevel1->upperLine().p2().y(), (mid - area.top()) / 2);
    EXPECT_DOUBLE_EQ(f.Bevel1->lowerLine().p2().y() - mid, (area.bottom() - mid) / 2);
}

TEST_F(FormPictures, EchoBaseLineIsUnderTheEchoesWhenFirstShown) {
    TEchofrm f;
    f.prepare();
    f.show();
    QApplication::processEvents();
    EXPECT_EQ(f.Bevel2->y(), f.Bevel1->base());
    EXPECT_EQ(f.Bevel2->width(), f.Bevel1->width());
    // The tallest echo and the time axis's "t" fit between the top and the
    // bottom of the picture.
    EXPECT_GE(f.Bevel1->base() - 70, f.Bevel1->fontMetrics().height());
}

TEST_F(FormPictures, AdvancedFilterSlidersShowTheirSelection) {
    TAdvancedFilterfrm f;
    f.prepare(44100);
    f.show();
    QApplication::processEvents();
    auto* high = qobject_cast<TrackBar*>(f.TrackBar2);
    ASSERT_NE(high, nullptr);
    EXPECT_EQ(high->selEnd(), 5000);
    EXPECT_TRUE(isHighlighted(high, 2500));
    EXPECT_FALSE(isHighlighted(high, 12000));
    f.setActionIndex(1);   // Boost: the ratio slider at 15
    auto* ratio = qobject_cast<TrackBar*>(f.TrackBar3);
    ASSERT_NE(ratio, nullptr);
    EXPECT_TRUE(isHighlighted(ratio, 5));
    EXPECT_FALSE(isHighlighted(ratio, 60));
}

TEST_F(FormPictures, FrequencyShiftHighlightsFromZeroToThePosition) {
    TFrequencyShiftfrm f;
    f.show();
    QApplication::processEvents();
    f.tb1->setValue(-50);
    EXPECT_TRUE(isHighlighted(f.tb1, -25));
    EXPECT_FALSE(isHighlighted(f.tb1, -80));
    EXPECT_FALSE(isHighlighted(f.tb1, 25));
    f.tb1->setValue(40);
    EXPECT_TRUE(isHighlighted(f.tb1, 20));
    EXPECT_FALSE(isHighlighted(f.tb1, -20));
    EXPECT_FALSE(isHighlighted(f.tb1, 70));
}

TEST_F(FormPictures, EveryToolButtonShowsAPictureOfItsOwn) {
    main().resize(1024, 768);
    main().show();
    for (bool access : {true, false}) {
        if (access) ViewAccessBar1Click(&main());
        else ViewToolBars1Click(&main());
        QApplication::processEvents();
        QStringList faults = toolPictureFaults(&main());
        // The bars' buttons and the access bar's pages show pictures, not
        // letters standing in for them.
        for (QToolButton* b : main().findChildren<QToolButton*>())
            if ((qobject_cast<QToolBar*>(b->parentWidget()) || b->objectName().startsWith("MSO_") ||
                 b->objectName() == "CloseAccessBar") &&
                !b->objectName().isEmpty() && !b->objectName().startsWith("qt_") && b->icon().isNull())
                faults << describe(b) + " shows no picture";
        EXPECT_TRUE(faults.isEmpty()) << faults.join("\n").toStdString();
    }
}

} // namespace
} // namespace sv::test
