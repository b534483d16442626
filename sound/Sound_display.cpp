// Drawing a sound window: the waveform envelope, the view's zoom and scroll
// position, the selection overlays, and what the redraw copies into the main
// window. The ruler and the overview strip are in display_paint.cpp.
#include <QPainter>

#include <algorithm>
#include <vector>

#include "mainwindow/SonvelaMain.h"
#include "platform/activity.h"
#include "sound/Sound.h"
#include "sound/WaveCanvas.h"
#include "sound/display_paint.h"
#include "sound/display_state.h"
#include "sound/engine/display_columns.h"

using namespace sv;

TSoundfrm::DisplayState& TSoundfrm::displayState() {
    if (!display_) display_ = std::make_shared<DisplayState>();
    return *display_;
}

void TSoundfrm::samplesChanged(int64_t firstFrame, int64_t frames) {
    displayState().summary.invalidate(firstFrame, frames);
}

void TSoundfrm::allSamplesChanged() { displayState().summary.invalidateAll(); }

int TSoundfrm::bitmapWidth() const {
    const bool grid = SVMainfrm && SVMainfrm->ViewGrid1 && SVMainfrm->ViewGrid1->isChecked();
    return width() - (grid ? kRulerPanelWidth : 0);
}

int TSoundfrm::drawingBottom() const {
    return ScrollBar1->isHidden() ? Panel1->y() : ScrollBar1->y();
}

void TSoundfrm::layoutDisplay() {
    const int w = std::max(0, bitmapWidth());
    const int bottom = std::max(0, drawingBottom());
    WaveView->setGeometry(0, 0, w, bottom);
    Bevel1->setGeometry(0, bottom / 2, width(), 2);
    Shape1->resize(Shape1->width(), bottom);
    Bevel2->resize(1, bottom);
}

int64_t TSoundfrm::scrollPosition() const {
    const int64_t unit = display_ ? display_->scrollUnit : 1;
    return int64_t(ScrollBar1->value()) * unit;
}

void TSoundfrm::setScrollPosition(int64_t frame) {
    const int64_t unit = displayState().scrollUnit;
    const int64_t steps = std::clamp<int64_t>(frame / unit, ScrollBar1->minimum(), ScrollBar1->maximum());
    inScrollSync_ = true;
    ScrollBar1->setValue(int(steps));
    inScrollSync_ = false;
}

namespace {

// The zoom in the main window's zoom box; 0 when it holds no number.
int64_t mainWindowZoom() {
    if (!SVMainfrm || !SVMainfrm->Edit2) return 0;
    bool ok = false;
    const qlonglong z = SVMainfrm->Edit2->text().trimmed().toLongLong(&ok);
    return ok ? z : 0;
}

} // namespace

void TSoundfrm::ScrollBar1Scroll() {
    if (NoRedraw) return;
    const int64_t z = mainWindowZoom();
    mostrar_sonido(z > 0 ? z : Zoom);
}

void TSoundfrm::FormPaint() {
    const int bottom = std::max(0, drawingBottom());
    Shape1->resize(Shape1->width(), bottom);
    Bevel2->resize(1, bottom);
    WaveView->update();
}

// The envelope of the view, for every layout alike; the layouts differ in
// the rows their values land on (display_columns.h).
static void drawEnvelope(TSoundfrm& w, TSoundfrm::DisplayState& ds, int64_t zoom) {
    QImage& img = w.WaveBitmap;
    const DisplayLayout layout = displayLayout(w.SampleFormat);
    if (img.isNull() || layout == DisplayLayout::None) return;
    const int H = img.height();
    const int n = displayChannels(layout);
    const int columns = columnsToDraw(w.FrameCount(), w.scrollPosition(), zoom, img.width());
    if (columns > 0) {
        ds.ranges.resize(size_t(columns) * size_t(n));
        ds.spans.resize(ds.ranges.size());
        ds.summary.columnRanges(w.Sound, w.scrollPosition(), zoom, columns, ds.ranges.data());
        columnSpans(layout, ds.ranges.data(), columns, H, ds.spans.data());
        const DisplayColours c = displayColours();
        const QRgb pens[2] = {c.wave, c.stereo};
        for (int ch = 0; ch < n; ++ch)
            for (int x = 0; x < columns; ++x) {
                const ColumnSpan& s = ds.spans[size_t(x) * size_t(n) + size_t(ch)];
                paintColumn(img, x, s.top, s.bottom, pens[ch]);
            }
    }
    // The centre lines go over the envelope: every column's line reaches the
    // centre, which would otherwise hide it wherever there is sound.
    int rows[2];
    const int count = centreRows(layout, H, rows);
    for (int i = 0; i < count; ++i) paintRow(img, rows[i], displayColours().centre);
    w.Bevel1->setVisible(n == 2);
    if (n == 2) w.Bevel1->setGeometry(0, std::max(0, w.drawingBottom()) / 2, w.width(), 2);
}

void TSoundfrm::mostrar_sonido_mono_8(int64_t zoom) {
    // Zooming keeps the view's centre: the zoom box still holds the zoom
    // before the change, so half the old view is W x old / 4 frames when
    // zooming in and W x old / 2 when zooming out.
    if (ZoomDirection == 1 || ZoomDirection == 2) {
        const int64_t old = mainWindowZoom();
        const int64_t shift = int64_t(WaveBitmap.width()) * old / (ZoomDirection == 1 ? 4 : 2);
        setScrollPosition(scrollPosition() + (ZoomDirection == 1 ? shift : -shift));
    }
    drawEnvelope(*this, displayState(), zoom);
}

void TSoundfrm::mostrar_sonido_stereo_8(int64_t zoom) { drawEnvelope(*this, displayState(), zoom); }
void TSoundfrm::mostrar_sonido_mono_16(int64_t zoom) { drawEnvelope(*this, displayState(), zoom); }
void TSoundfrm::mostrar_sonido_stereo_16(int64_t zoom) { drawEnvelope(*this, displayState(), zoom); }

// Sets the scroll bar for a view of `zoom` frames per column and `width`
// columns; keeps the position, clamped to the new range.
static void setScrollRange(TSoundfrm& w, TSoundfrm::DisplayState& ds, int64_t zoom, int width) {
    const int64_t frames = w.FrameCount();
    int64_t maxFirst = frames - zoom * width;
    if (maxFirst < 1) maxFirst = 0;
    const int64_t position = w.scrollPosition();
    const int64_t unit = maxFirst > INT32_MAX ? (maxFirst + INT32_MAX - 1) / INT32_MAX : 1;
    ds.scrollUnit = unit;
    QScrollBar* bar = w.ScrollBar1;
    const bool wasBlocked = bar->signalsBlocked();
    bar->blockSignals(true);
    bar->setRange(0, int(maxFirst / unit));
    bar->setSingleStep(int(std::clamp<int64_t>(zoom * width / 2 / unit, 1, INT32_MAX)));
    bar->setPageStep(int(std::clamp<int64_t>(frames / 8 / unit, 1, INT32_MAX)));
    bar->setValue(int(std::clamp<int64_t>(position / unit, 0, maxFirst / unit)));
    bar->blockSignals(wasBlocked);
}

// Places the selection rectangle and the cursor line from the selection.
static void placeSelection(TSoundfrm& w, int bottom) {
    const int64_t p = w.scrollPosition();
    const int64_t s = w.SelectionStart;
    const int64_t n = w.SelectionLength;
    const int64_t z = std::max<int64_t>(1, w.Zoom);
    // Far-off columns are kept just outside the view, so that no widget
    // coordinate overflows.
    const int64_t limit = int64_t(w.width()) + 2;
    int64_t x = 0, width = 1;
    if (s < p) {
        if (s + n > p) width = (s + n - p) / z;
    } else {
        x = (s - p) / z;
        width = n / z;
    }
    x = std::min(x, limit);
    width = std::clamp<int64_t>(width, 1, limit);
    w.Shape1->setGeometry(int(x), 0, int(width), bottom);
    w.Bevel2->setGeometry(int(x), 0, 1, bottom);
    w.Shape1->show();
    w.Bevel2->show();
}

void TSoundfrm::mostrar_sonido(int64_t z) {
    if (NoRedraw) return;
    DisplayState& ds = displayState();
    if (!ds.overlaysFollowed) {
        auto* canvas = static_cast<WaveCanvas*>(WaveView);
        canvas->follow(Shape1);
        canvas->follow(Bevel2);
        ds.overlaysFollowed = true;
    }
    ActualitzarCaption();
    const bool shown = showsInMainWindow();
    if (SVMainfrm) {
        if (shown) copyRateToMain();
        if (SVMainfrm->Timer1) SVMainfrm->Timer1->stop();
    }

    const int64_t frames = FrameCount();
    const int W = bitmapWidth();
    if (z < 1) z = 1;
    Bevel1->resize(width(), Bevel1->height());
    if (W >= 1) {
        const int64_t fit = frames / W + 1;
        const int barHeight = ScrollBar1->sizeHint().height();
        int H;
        if (z < fit) {
            // The sound is wider than the view.
            H = Panel1->y() - barHeight;
            ScrollBar1->setGeometry(0, Panel1->y() - barHeight - 3, width(), barHeight);
            setScrollRange(*this, ds, z, W);
            ScrollBar1->show();
            Zoom = z;
        } else {
            ScrollBar1->hide();
            H = Panel1->y();
            Zoom = fit;
            if (shown) SVMainfrm->Edit2->setText(QString::number(fit));
            setScrollRange(*this, ds, fit, W);
            setScrollPosition(0);
        }
        layoutDisplay();
        if (H >= 1) {
            if (WaveBitmap.size() != QSize(W, H)) WaveBitmap = QImage(W, H, QImage::Format_RGB32);
            WaveBitmap.fill(displayColours().background);
        } else {
            WaveBitmap = QImage();
        }
    } else {
        // No room to draw: the view keeps its zoom and shows nothing.
        WaveBitmap = QImage();
        layoutDisplay();
    }

    if (shown) {
        SVMainfrm->Edit3->setText(QString::number(SelectionLength));
        SVMainfrm->Edit4->setText(QString::number(SelectionStart));
    }
    StatusPanels[5]->setText(Modified ? "Modified" : "Saved");
    PintarPanellDreta();

    switch (displayLayout(SampleFormat)) {
    case DisplayLayout::Mono8: mostrar_sonido_mono_8(Zoom); break;
    case DisplayLayout::Stereo8: mostrar_sonido_stereo_8(Zoom); break;
    case DisplayLayout::Mono16: mostrar_sonido_mono_16(Zoom); break;
    case DisplayLayout::Stereo16: mostrar_sonido_stereo_16(Zoom); break;
    case DisplayLayout::None: Bevel1->hide(); break;
    }

    placeSelection(*this, std::max(0, drawingBottom()));

    if (activity() == Activity::Busy) {
        // A long operation ends in this redraw: its hourglass and bar go.
        setActivity(Activity::Idle);
        ProgressBar1->hide();
    }
    if (SVMainfrm) {
        SVMainfrm->habilitar_botones();
        // The CD player's poll runs only while its panel is shown.
        if (SVMainfrm->Timer1) {
            if (SVMainfrm->Panel2 && !SVMainfrm->Panel2->isHidden()) SVMainfrm->Timer1->start();
            else SVMainfrm->Timer1->stop();
        }
    }
    pintarpanel1();
    FormPaint();
}
