#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QMdiSubWindow>

#include <memory>

#include "mainwindow/SonvelaMain.h"
#include "platform/activity.h"
#include "sound/Sound.h"
#include "sound/display_paint.h"
#include "sound/display_ruler.h"
#include "sound/engine/display_columns.h"
#include "tests/support/window_fixture.h"

using namespace sv;
using namespace sv::test;

namespace {

class DisplayTest : public WindowTest {
protected:
    void SetUp() override { start(); }
    void TearDown() override {
        closeAll();
        setActivity(Activity::Idle);
    }

    // A shown sound window holding `frames` frames made by `sample`
    // (frame, channel) -> raw value.
    template <typename F>
    TSoundfrm* window(int bits, int channels, int64_t frames, F sample) {
        SoundBuffer s;
        s.format = SampleFormat::pcm(22050, bits, channels);
        s.bytes.resize(size_t(frames) * s.format.nBlockAlign);
        for (int64_t f = 0; f < frames; ++f)
            for (int ch = 0; ch < channels; ++ch) {
                uint8_t* p = s.frame(f) + ch * (bits / 8);
                const int v = sample(f, ch);
                if (bits == 8) *p = uint8_t(v);
                else { p[0] = uint8_t(v); p[1] = uint8_t(uint16_t(v) >> 8); }
            }
        TSoundfrm* w = main->crearfill();
        w->adoptSound(std::move(s));
        w->NoRedraw = false;
        w->SoundLoaded = true;
        main->showChild(w);
        return w;
    }
    TSoundfrm* constant(int bits, int channels, int64_t frames, int value) {
        return window(bits, channels, frames, [value](int64_t, int) { return value; });
    }
    QRgb pixel(TSoundfrm* w, int x, int y) { return w->WaveBitmap.pixel(x, y) | 0xFF000000u; }
    QRgb rgb(uint32_t bgr) { return bgrToRgb(bgr) | 0xFF000000u; }
};

} // namespace

TEST_F(DisplayTest, ShortSoundFitsHidesTheScrollBarAndWritesTheMainWindow) {
    main->Edit2->setText("1");
    TSoundfrm* w = constant(16, 2, 3000, 0);
    w->setSelection(100, 50);
    w->mostrar_sonido(1000);
    const int W = w->WaveBitmap.width();
    ASSERT_GT(W, 100);
    EXPECT_EQ(W, w->width());   // no ruler: the whole client width
    EXPECT_TRUE(w->ScrollBar1->isHidden());
    EXPECT_EQ(w->Zoom, 3000 / W + 1);
    EXPECT_EQ(w->quin_zoom(), w->Zoom);
    EXPECT_EQ(main->Edit2->text(), QString::number(w->Zoom));
    EXPECT_EQ(main->Edit3->text(), "50");
    EXPECT_EQ(main->Edit4->text(), "100");
    EXPECT_EQ(main->SampleRate, 22050);
    EXPECT_EQ(w->StatusPanels[5]->text(), "Saved");
    EXPECT_EQ(w->WaveBitmap.height(), w->Panel1->y());
    EXPECT_EQ(w->scrollPosition(), 0);
    w->Modified = true;
    w->mostrar_sonido(1000);
    EXPECT_EQ(w->StatusPanels[5]->text(), "Modified");
    // At zoom 1 the same sound is wider than the view.
    w->mostrar_sonido(1);
    EXPECT_FALSE(w->ScrollBar1->isHidden());
    EXPECT_EQ(w->Zoom, 1);
}

TEST_F(DisplayTest, LongSoundScrollsAtTheRequestedZoom) {
    TSoundfrm* w = constant(8, 1, 200000, 127);
    main->Edit2->setText("7");
    w->mostrar_sonido(1);
    w->mostrar_sonido(7);
    const int W = w->WaveBitmap.width();
    EXPECT_FALSE(w->ScrollBar1->isHidden());
    EXPECT_EQ(w->Zoom, 7);
    EXPECT_EQ(main->Edit2->text(), "7");   // not forced: the box keeps the caller's value
    EXPECT_EQ(w->ScrollBar1->maximum(), 200000 - 7 * W);
    EXPECT_EQ(w->ScrollBar1->singleStep(), 7 * W / 2);
    EXPECT_EQ(w->ScrollBar1->pageStep(), 200000 / 8);
    const int barHeight = w->ScrollBar1->height();
    EXPECT_EQ(w->ScrollBar1->y(), w->Panel1->y() - barHeight - 3);
    EXPECT_EQ(w->WaveBitmap.height(), w->Panel1->y() - barHeight);
    // The position is kept, and clamped when the range shrinks.
    w->setScrollPosition(150000);
    w->mostrar_sonido(7);
    EXPECT_EQ(w->scrollPosition(), 150000);
    w->mostrar_sonido(100);
    EXPECT_EQ(w->scrollPosition(), 200000 - 100 * W);
    // A zoom past the fitting one is cut back to it.
    w->mostrar_sonido(100000);
    EXPECT_EQ(w->Zoom, 200000 / W + 1);
    EXPECT_TRUE(w->ScrollBar1->isHidden());
    EXPECT_EQ(w->scrollPosition(), 0);
}

TEST_F(DisplayTest, MonoEightBitFullScaleReachesTopAndBottom) {
    // Alternating 0 and 255: every column spans the whole range.
    TSoundfrm* w = window(8, 1, 20000, [](int64_t f, int) { return f % 2 ? 255 : 0; });
    w->mostrar_sonido(1000);
    const int H = w->WaveBitmap.height();
    const int top = H - H * 255 / 256;
    const QRgb wave = rgb(main->WaveformColor), back = rgb(main->BackgroundColor);
    EXPECT_EQ(pixel(w, 3, top), wave);
    if (top > 0) EXPECT_EQ(pixel(w, 3, top - 1), back);
    EXPECT_EQ(pixel(w, 3, H - 1), wave);
    EXPECT_EQ(pixel(w, 3, H / 2), rgb(main->CentralLineColor));
    EXPECT_TRUE(w->Bevel1->isHidden());
    // Columns past the end stay background.
    const int drawn = columnsToDraw(20000, 0, w->Zoom, w->WaveBitmap.width());
    ASSERT_LT(drawn, w->WaveBitmap.width());
    EXPECT_EQ(pixel(w, drawn, H - 1), back);
    EXPECT_EQ(pixel(w, drawn - 1, H - 1), wave);
}

TEST_F(DisplayTest, StereoDrawsBothBandsInTheirColours) {
    main->StereoColor = 0x00FF00;
    main->WaveformColor = 0x800000;
    // Channel 1 loud, channel 2 silent.
    TSoundfrm* w = window(16, 2, 30000, [](int64_t f, int ch) { return ch == 0 ? (f % 2 ? 32767 : -32768) : 0; });
    w->mostrar_sonido(1000);
    const int H = w->WaveBitmap.height();
    EXPECT_EQ(pixel(w, 5, H / 2 - 254 * H / 512), rgb(0x800000));   // channel 1 near the top
    EXPECT_EQ(pixel(w, 5, H / 2 - 10), rgb(0x800000));
    // Channel 2 stays a thin line at its centre, under the centre line.
    const int centre2 = H - H * 127 / 512;
    EXPECT_EQ(pixel(w, 5, centre2), rgb(main->CentralLineColor));
    EXPECT_EQ(pixel(w, 5, centre2 + 5), rgb(main->BackgroundColor));
    EXPECT_EQ(pixel(w, 5, H - 2), rgb(main->BackgroundColor));
    EXPECT_FALSE(w->Bevel1->isHidden());
    EXPECT_EQ(w->Bevel1->y(), w->drawingBottom() / 2);
    EXPECT_EQ(w->Bevel1->width(), w->width());
}

TEST_F(DisplayTest, StereoEightBitSecondChannelUsesStereoColour) {
    TSoundfrm* w = window(8, 2, 30000, [](int64_t f, int ch) { return ch == 1 ? (f % 2 ? 255 : 0) : 127; });
    w->mostrar_sonido(1000);
    const int H = w->WaveBitmap.height();
    EXPECT_EQ(pixel(w, 5, H - 255 * H / 512), rgb(main->StereoColor));
    EXPECT_EQ(pixel(w, 5, H - 1), rgb(main->StereoColor));
    EXPECT_EQ(pixel(w, 5, 2), rgb(main->BackgroundColor));
}

TEST_F(DisplayTest, ColoursComeFromTheMainWindow) {
    main->BackgroundColor = 0x112233;
    main->CentralLineColor = 0x445566;
    TSoundfrm* w = constant(16, 1, 5000, 0);
    w->mostrar_sonido(1);
    EXPECT_EQ(pixel(w, 1, 1), rgb(0x112233));
    EXPECT_EQ(pixel(w, 1, w->WaveBitmap.height() / 2), rgb(0x445566));
}

TEST_F(DisplayTest, GridShowsTheRulerAndDrawsGridLines) {
    main->ViewGrid1->setChecked(true);
    main->VerticalScale = kScaleDecibels;
    main->GridColor = 0x0A0B0C;
    TSoundfrm* w = constant(16, 1, 5000, 0);
    w->mostrar_sonido(1);
    EXPECT_FALSE(w->PanellDreta->isHidden());
    EXPECT_EQ(w->PanellDreta->width(), 32);
    EXPECT_EQ(w->PanellDreta->x(), w->width() - 32);
    EXPECT_EQ(w->ImatgeDreta->width(), 30);
    EXPECT_EQ(w->WaveBitmap.width(), w->width() - 32);
    EXPECT_EQ(w->RulerBitmap.size(), QSize(30, w->PanellDreta->height()));
    EXPECT_EQ(w->RulerBitmap.pixel(29, 0) | 0xFF000000u, rgb(main->GridPanelBackColor));
    if (!QFontDatabase::families().isEmpty()) {
        // Some label text, lighter than the grey ground, near label 2's row.
        const int top = rulerLabelTop(false, 0, 2, w->WaveBitmap.height(), w->Panel1->height());
        bool text = false;
        for (int y = std::max(0, top); y < top + 12 && y < w->RulerBitmap.height(); ++y)
            for (int x = 0; x < w->RulerBitmap.width(); ++x) text |= qRed(w->RulerBitmap.pixel(x, y)) > 0xC0;
        EXPECT_TRUE(text);
    }
    const int H = w->WaveBitmap.height();
    for (int y : gridRows(false, H)) EXPECT_EQ(pixel(w, w->WaveBitmap.width() - 1, y), rgb(0x0A0B0C)) << y;

    main->ViewGrid1->setChecked(false);
    w->mostrar_sonido(1);
    EXPECT_TRUE(w->PanellDreta->isHidden());
    EXPECT_EQ(w->PanellDreta->width(), 0);
    EXPECT_EQ(w->WaveBitmap.width(), w->width());
    for (int y : gridRows(false, w->WaveBitmap.height()))
        EXPECT_EQ(pixel(w, w->WaveBitmap.width() - 1, y), rgb(main->BackgroundColor));
}

TEST_F(DisplayTest, SelectionRectangleAndCursorFollowTheView) {
    TSoundfrm* w = constant(8, 1, 100000, 127);
    main->Edit2->setText("10");
    w->mostrar_sonido(10);
    w->setSelection(2000, 500);
    w->mostrar_sonido(10);
    EXPECT_EQ(w->Shape1->x(), 200);
    EXPECT_EQ(w->Shape1->width(), 50);
    EXPECT_EQ(w->Bevel2->x(), 200);
    EXPECT_EQ(w->Bevel2->width(), 1);
    EXPECT_EQ(w->Shape1->height(), w->drawingBottom());
    // The selection starts left of the view: drawn from column 0.
    w->setScrollPosition(2100);
    w->mostrar_sonido(10);
    EXPECT_EQ(w->Shape1->x(), 0);
    EXPECT_EQ(w->Shape1->width(), (2500 - 2100) / 10);
    EXPECT_EQ(w->Bevel2->x(), 0);
    // A cursor only: one pixel.
    w->setSelection(5000, 0);
    w->mostrar_sonido(10);
    EXPECT_EQ(w->Shape1->x(), (5000 - 2100) / 10);
    EXPECT_EQ(w->Shape1->width(), 1);
}

TEST_F(DisplayTest, SelectionInvertsTheWaveformOnScreen) {
    TSoundfrm* w = constant(8, 1, 100000, 127);
    w->mostrar_sonido(10);
    w->setSelection(1000, 1000);
    w->mostrar_sonido(10);
    QImage shot = w->WaveView->grab().toImage();
    const QRgb back = w->WaveBitmap.pixel(150, 5);
    const QRgb onScreen = shot.pixel(150, 5);
    EXPECT_EQ(qRed(onScreen), 255 - qRed(back));
    EXPECT_EQ(qGreen(onScreen), 255 - qGreen(back));
    EXPECT_EQ(shot.pixel(250, 5) | 0xFF000000u, back | 0xFF000000u);
}

TEST_F(DisplayTest, OverviewStripMarksTheSelection) {
    TSoundfrm* w = constant(16, 1, 5000, 0);
    w->setSelection(1000, 2000);
    w->mostrar_sonido(1000);
    QImage strip = w->PaintBox1->pixmap().toImage();
    ASSERT_EQ(strip.width(), w->width());
    // Fitted: the strip's scale is the drawn width, frames / zoom.
    const double S = 5000.0 / w->Zoom;
    const int x1 = int(1000 * S / 5000), x2 = int(3000 * S / 5000);
    const QRgb navy = rgb(0x800000);
    EXPECT_EQ(strip.pixel(x1, 3) | 0xFF000000u, navy);
    EXPECT_EQ(strip.pixel(x2 - 1, 3) | 0xFF000000u, navy);
    EXPECT_NE(strip.pixel(x2 + 1, 3) | 0xFF000000u, navy);
    if (x1 > 0) EXPECT_NE(strip.pixel(x1 - 1, 3) | 0xFF000000u, navy);
    // Scrolled: the strip's whole width stands for the sound.
    TSoundfrm* v = constant(16, 1, 400000, 0);
    v->setSelection(200000, 100000);
    v->mostrar_sonido(1);
    strip = v->PaintBox1->pixmap().toImage();
    EXPECT_EQ(strip.pixel(strip.width() / 2 + 1, 3) | 0xFF000000u, navy);
    EXPECT_NE(strip.pixel(strip.width() / 2 - 2, 3) | 0xFF000000u, navy);
}

TEST_F(DisplayTest, CdPollTimerRunsOnlyWithTheCdPanel) {
    TSoundfrm* w = constant(8, 1, 1000, 127);
    main->Panel2->hide();
    main->Timer1->start();
    w->mostrar_sonido(1);
    EXPECT_FALSE(main->Timer1->isActive());
    main->Panel2->show();
    w->mostrar_sonido(1);
    EXPECT_TRUE(main->Timer1->isActive());
    main->Panel2->hide();
}

TEST_F(DisplayTest, ZoomingKeepsTheCentreOfMonoEightBitOnly) {
    TSoundfrm* w = constant(8, 1, 400000, 127);
    main->Edit2->setText("8");
    w->mostrar_sonido(8);
    w->setScrollPosition(100000);
    const int W = w->WaveBitmap.width();
    w->ZoomDirection = 1;
    w->mostrar_sonido(4);   // the zoom box still says 8
    w->ZoomDirection = 0;
    EXPECT_EQ(w->scrollPosition(), 100000 + W * 8 / 4);
    main->Edit2->setText("4");
    w->ZoomDirection = 2;
    w->mostrar_sonido(8);
    w->ZoomDirection = 0;
    EXPECT_EQ(w->scrollPosition(), 100000 + W * 8 / 4 - W * 4 / 2);

    TSoundfrm* s = constant(16, 2, 400000, 0);
    main->Edit2->setText("8");
    s->mostrar_sonido(8);
    s->setScrollPosition(100000);
    s->ZoomDirection = 1;
    s->mostrar_sonido(4);
    s->ZoomDirection = 0;
    EXPECT_EQ(s->scrollPosition(), 100000);
}

TEST_F(DisplayTest, ZoomShiftNearTheEndStaysInsideTheSound) {
    TSoundfrm* w = window(8, 1, 50000, [](int64_t f, int) { return int(f % 256); });
    main->Edit2->setText("40");
    w->mostrar_sonido(40);
    w->setScrollPosition(50000);
    w->ZoomDirection = 1;
    w->mostrar_sonido(20);
    w->ZoomDirection = 0;
    EXPECT_LE(w->scrollPosition() + int64_t(20) * w->WaveBitmap.width(), 50000);
}

TEST_F(DisplayTest, RedrawEndsALeftoverHourglass) {
    TSoundfrm* w = constant(8, 1, 1000, 127);
    w->progresar(1, 3);
    ASSERT_EQ(activity(), Activity::Busy);
    w->mostrar_sonido(1);
    EXPECT_EQ(activity(), Activity::Idle);
    EXPECT_TRUE(w->ProgressBar1->isHidden());
}

TEST_F(DisplayTest, TooNarrowAWindowDrawsNothing) {
    main->ViewGrid1->setChecked(true);
    TSoundfrm* w = constant(16, 2, 5000, 0);
    auto* sub = qobject_cast<QMdiSubWindow*>(w->parentWidget());
    ASSERT_TRUE(sub);
    w->setMinimumSize(0, 0);
    sub->setMinimumSize(0, 0);
    w->resize(20, w->height());
    w->mostrar_sonido(1);
    EXPECT_TRUE(w->WaveBitmap.isNull());
    EXPECT_GE(w->Zoom, 1);
    EXPECT_EQ(main->Edit3->text(), "0");
}

TEST_F(DisplayTest, LongSoundThroughTheSummaryMatchesAfterAnnouncedEdits) {
    // Long enough that the fitting zoom reads the summary.
    TSoundfrm* w = window(16, 1, 2000000, [](int64_t f, int) { return int((f * 37) % 2001) - 1000; });
    w->mostrar_sonido(1000000);
    ASSERT_GE(w->Zoom, DisplaySummary::kMinZoom);
    const int H = w->WaveBitmap.height();
    const QRgb back = rgb(main->BackgroundColor);
    EXPECT_EQ(pixel(w, 10, 2), back);
    // A full-scale peak written in place shows once announced.
    const int64_t f = 10 * w->Zoom + 3;
    w->Sound.frame(f)[0] = 0xFF;
    w->Sound.frame(f)[1] = 0x7F;
    w->samplesChanged(f, 1);
    w->mostrar_sonido(w->Zoom);
    EXPECT_EQ(pixel(w, 10, H / 2 - 127 * H / 256), rgb(main->WaveformColor));
    EXPECT_EQ(pixel(w, 11, H / 2 - 127 * H / 256), back);
}

TEST_F(DisplayTest, LongSoundShowsAnEffectAndItsUndoOverTheSameBuffer) {
    // A loud stretch inside whole summary blocks of column 10, away from its
    // ragged ends; an effect over it and its undo both write into the same
    // buffer.
    TSoundfrm* w = constant(16, 1, 2000000, 0);
    w->mostrar_sonido(1000000);
    ASSERT_GE(w->Zoom, DisplaySummary::kMinZoom);
    const int64_t first = (10 * w->Zoom / DisplaySummary::kBlockFrames + 1) * DisplaySummary::kBlockFrames;
    const int64_t frames = 2 * DisplaySummary::kBlockFrames;
    ASSERT_LE(first + frames, 11 * w->Zoom);
    for (int64_t f = first; f < first + frames; ++f) {
        w->Sound.frame(f)[0] = 0x40;
        w->Sound.frame(f)[1] = 0x1F;
    }
    w->samplesChanged(first, frames);
    w->mostrar_sonido(w->Zoom);
    const int H = w->WaveBitmap.height();
    auto columnsMatch = [&](int a, int b) {
        for (int y = 0; y < H; ++y)
            if (pixel(w, a, y) != pixel(w, b, y)) return false;
        return true;
    };
    ASSERT_FALSE(columnsMatch(9, 10));
    w->setSelection(first, frames);
    w->forzar_silencio();
    EXPECT_TRUE(columnsMatch(9, 10));
    ASSERT_TRUE(w->deshacer());
    EXPECT_FALSE(columnsMatch(9, 10));
}

// Waits for the window's layout (FormActivate, FormResize) to leave the
// scroll bar's visibility to the redraw: today it shows the bar again after
// a fitted sound was drawn.
TEST_F(DisplayTest, OpeningAWaveFileDrawsItFitted) {
    const std::string path = dir.file("s.wav");
    writeBytes(path, canonicalWave(22050, 16, 2, testSignal(16, 2, 40000)));
    TSoundfrm* w = main->openWave(path, false);
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->ScrollBar1->isHidden());
    EXPECT_EQ(w->Zoom, 40000 / w->WaveBitmap.width() + 1);
    EXPECT_EQ(main->Edit2->text(), QString::number(w->Zoom));
    EXPECT_FALSE(w->WaveBitmap.isNull());
}

TEST_F(DisplayTest, ScrollingRedrawsAtTheZoomInTheZoomBox) {
    TSoundfrm* w = constant(8, 1, 200000, 127);
    main->Edit2->setText("5");
    w->mostrar_sonido(5);
    main->Edit2->setText("6");
    w->ScrollBar1Scroll();
    EXPECT_EQ(w->Zoom, 6);
    w->NoRedraw = true;
    main->Edit2->setText("9");
    w->ScrollBar1Scroll();
    EXPECT_EQ(w->Zoom, 6);
    w->NoRedraw = false;
}

TEST_F(DisplayTest, EveryColumnOfALongSoundMatchesTheDirectComputation) {
    // Random stereo 8-bit samples, long enough for the summary; after an
    // announced edit every column's line must still end exactly where the
    // direct reading of the samples puts it.
    uint32_t x = 99;
    TSoundfrm* w = window(8, 2, 1500000, [&x](int64_t, int) {
        x = x * 1664525u + 1013904223u;
        return int(x >> 28) * 8 + 60;
    });
    w->mostrar_sonido(1000000);
    ASSERT_GE(w->Zoom, DisplaySummary::kMinZoom);
    // Inside whole summary blocks of a column, away from its ragged ends.
    for (int64_t f = 700500; f < 700600; ++f) w->Sound.frame(f)[1] = 255;
    w->samplesChanged(700500, 100);
    w->mostrar_sonido(w->Zoom);

    const int W = w->WaveBitmap.width(), H = w->WaveBitmap.height();
    const int cols = columnsToDraw(w->FrameCount(), 0, w->Zoom, W);
    std::vector<ColumnRange> ranges(size_t(cols) * 2);
    columnRangesDirect(w->Sound, 0, w->Zoom, cols, ranges.data());
    std::vector<ColumnSpan> spans(ranges.size());
    columnSpans(DisplayLayout::Stereo8, ranges.data(), cols, H, spans.data());
    int rows[2];
    centreRows(DisplayLayout::Stereo8, H, rows);
    const QRgb pens[2] = {rgb(main->WaveformColor), rgb(main->StereoColor)};
    for (int c = 0; c < cols; ++c)
        for (int ch = 0; ch < 2; ++ch) {
            const ColumnSpan& s = spans[size_t(c) * 2 + size_t(ch)];
            for (int y : {s.top, s.bottom}) {
                if (y == rows[0] || y == rows[1]) continue;
                ASSERT_EQ(pixel(w, c, y), pens[ch]) << "column " << c << " channel " << ch;
            }
            if (s.top > 0 && s.top - 1 != rows[0] && s.top - 1 != rows[1] && !(ch == 1 && s.top - 1 == spans[size_t(c) * 2].bottom))
                ASSERT_NE(pixel(w, c, s.top - 1), pens[ch]) << "column " << c << " channel " << ch;
        }
}
