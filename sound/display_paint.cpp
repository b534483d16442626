// The amplitude ruler beside the waveform, its grid lines across it, and the
// overview strip under it.
#include "sound/display_paint.h"

#include <QPainter>
#include <QPixmap>

#include <algorithm>

#include "mainwindow/SonvelaMain.h"
#include "sound/Sound.h"
#include "sound/display_ruler.h"
#include "sound/engine/display_columns.h"

using namespace sv;

DisplayColours displayColours() {
    if (!SVMainfrm) return {bgrToRgb(0xC0C0C0), bgrToRgb(0x800000), bgrToRgb(0x00FF00), bgrToRgb(0x0000FF),
                            bgrToRgb(0x808080), bgrToRgb(0x808080), bgrToRgb(0xFFFFFF)};
    const TSVMainfrm& m = *SVMainfrm;
    return {bgrToRgb(m.BackgroundColor),  bgrToRgb(m.WaveformColor),      bgrToRgb(m.StereoColor),
            bgrToRgb(m.CentralLineColor), bgrToRgb(m.GridColor),          bgrToRgb(m.GridPanelBackColor),
            bgrToRgb(m.GridPanelFontColor)};
}

void paintColumn(QImage& img, int x, int top, int bottom, QRgb colour) {
    if (x < 0 || x >= img.width()) return;
    top = std::max(top, 0);
    bottom = std::min(bottom, img.height() - 1);
    const qsizetype stride = img.bytesPerLine();
    uchar* p = img.bits() + top * stride + qsizetype(x) * 4;
    for (int y = top; y <= bottom; ++y, p += stride) *reinterpret_cast<QRgb*>(p) = colour;
}

void paintRow(QImage& img, int y, QRgb colour) {
    if (y < 0 || y >= img.height()) return;
    QRgb* row = reinterpret_cast<QRgb*>(img.scanLine(y));
    std::fill(row, row + img.width(), colour);
}

namespace {
bool gridShown() { return SVMainfrm && SVMainfrm->ViewGrid1 && SVMainfrm->ViewGrid1->isChecked(); }

QFont rulerFont(const char* family) {
    QFont f(family);
    f.setPointSize(7);
    f.setStyleHint(QFont::SansSerif);
    return f;
}
} // namespace

void TSoundfrm::PintarPanellDreta() {
    // A fixed width set when the window was built would stop the panel
    // from taking the ruler's width.
    PanellDreta->setMinimumWidth(0);
    PanellDreta->setMaximumWidth(QWIDGETSIZE_MAX);
    if (!gridShown()) {
        PanellDreta->setGeometry(width(), 0, 0, PanellDreta->height());
        PanellDreta->hide();
        return;
    }
    const int panelHeight = std::max(0, drawingBottom());
    PanellDreta->setGeometry(width() - kRulerPanelWidth, 0, kRulerPanelWidth, panelHeight);
    PanellDreta->show();
    PanellDreta->raise();
    ImatgeDreta->setGeometry(0, 0, kRulerPanelWidth - 2, panelHeight);
    if (panelHeight < 1) return;

    const DisplayColours colours = displayColours();
    RulerBitmap = QImage(kRulerPanelWidth - 2, panelHeight, QImage::Format_RGB32);
    RulerBitmap.fill(colours.gridBack);
    const int H = WaveBitmap.isNull() ? panelHeight : WaveBitmap.height();
    const bool stereo = displayChannels(displayLayout(SampleFormat)) == 2;
    const int scale = SVMainfrm->VerticalScale;
    {
        QPainter p(&RulerBitmap);
        p.setPen(QColor::fromRgb(colours.gridFont));
        p.setFont(rulerFont("Small Fonts"));
        for (int band = 0; band < (stereo ? 2 : 1); ++band) {
            for (int i = 1; i <= 7; ++i) {
                const bool infinity = scale == kScaleDecibels && i == 4;
                const int top = rulerLabelTop(stereo, band, i, H, Panel1->height());
                QString text = QString::fromStdString(rulerLabel(scale, i, SampleFormat.wBitsPerSample));
                // "-inf" is shown as the sign. Symbol fonts found here keep
                // the old 8-bit symbol encoding (letters come out Greek), so
                // the sign is taken from the ruler's own font.
                if (infinity) text = QString::fromUtf8("-\u221E");
                p.drawText(QRect(1, top, RulerBitmap.width() - 1, 2 * Panel1->height() + 2),
                           Qt::AlignLeft | Qt::AlignTop, text);
            }
        }
    }
    ImatgeDreta->setPixmap(QPixmap::fromImage(RulerBitmap));

    if (!WaveBitmap.isNull())
        for (int y : gridRows(stereo, H)) paintRow(WaveBitmap, y, colours.grid);
}

void TSoundfrm::pintarpanel1() {
    Panel1->setGeometry(0, Panel1->y(), width(), Panel1->height());
    PaintBox1->setGeometry(0, 0, Panel1->width(), Panel1->height());
    const int w = Panel1->width(), h = Panel1->height();
    if (w < 1 || h < 1) return;
    QImage strip(w, h, QImage::Format_RGB32);
    strip.fill(palette().color(QPalette::Button));
    const int64_t frames = FrameCount();
    const int W = WaveBitmap.isNull() ? 0 : WaveBitmap.width();
    // An empty sound has no selection to show; the strip is left blank
    // rather than showing the last sound's.
    if (frames > 0 && W > 0) {
        const bool scrolled = Zoom < frames / W + 1;
        const double scale = scrolled ? double(w) : double(frames) / double(std::max<int64_t>(1, Zoom));
        const int64_t x1 = int64_t(double(SelectionStart) * scale / double(frames));
        const int64_t x2 = int64_t(double(SelectionStart + SelectionLength) * scale / double(frames));
        const int a = int(std::clamp<int64_t>(x1, 0, w)), b = int(std::clamp<int64_t>(x2, 0, w));
        const QRgb navy = bgrToRgb(0x800000);
        for (int y = 0; y < h; ++y) {
            QRgb* row = reinterpret_cast<QRgb*>(strip.scanLine(y));
            std::fill(row + a, row + std::max(a, b), navy);
        }
    }
    PaintBox1->setPixmap(QPixmap::fromImage(strip));
}
