#include "mainwindow/tool_icons.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QStandardPaths>
#include <QStringList>
#include <cmath>
#include <unordered_map>

namespace sv {

namespace {

// Every picture is drawn in a 16x16 box, centred in the 22x16 space the tool
// bars give their buttons, with one small palette so the bars read as a set.
const QColor kInk(0x34, 0x3e, 0x50);
const QColor kPaper(0xfb, 0xfb, 0xf7);
const QColor kBlue(0x2f, 0x6f, 0xc8);
const QColor kWave(0x1f, 0x8a, 0x5a);
const QColor kRed(0xd0, 0x3a, 0x2f);
const QColor kAmber(0xe8, 0xa8, 0x30);
const QColor kGrey(0x9a, 0xa3, 0xb0);

using Draw = void (*)(QPainter&);

QPen pen(const QColor& c, qreal width = 1.2) { return QPen(c, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin); }

void line(QPainter& p, const QColor& c, QPointF a, QPointF b, qreal width = 1.2) {
    p.setPen(pen(c, width));
    p.drawLine(a, b);
}

// A sheet of paper with its top right corner folded.
void page(QPainter& p, QRectF r) {
    const qreal f = 3.5;
    QPainterPath s;
    s.moveTo(r.left(), r.top());
    s.lineTo(r.right() - f, r.top());
    s.lineTo(r.right(), r.top() + f);
    s.lineTo(r.right(), r.bottom());
    s.lineTo(r.left(), r.bottom());
    s.closeSubpath();
    p.setPen(pen(kInk, 1));
    p.setBrush(kPaper);
    p.drawPath(s);
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(r.right() - f, r.top()), QPointF(r.right() - f, r.top() + f),
                              QPointF(r.right(), r.top() + f)}));
}

// A few cycles of a sound inside r, its height shaped by env(0..1).
void wave(QPainter& p, QRectF r, double (*env)(double), const QColor& c = kWave, double cycles = 3.5) {
    QPolygonF pts;
    const int n = 48;
    for (int i = 0; i <= n; ++i) {
        const double t = double(i) / n;
        const double y = std::sin(t * cycles * 2 * M_PI) * env(t);
        pts << QPointF(r.left() + t * r.width(), r.center().y() - y * r.height() / 2);
    }
    p.setPen(pen(c, 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(pts);
}

double flat(double) { return 0.9; }
double rising(double t) { return t; }
double falling(double t) { return 1 - t; }
double small(double) { return 0.45; }
double decaying(double t) { return std::exp(-3 * t); }

void arrowHead(QPainter& p, const QColor& c, QPointF tip, QPointF from) {
    const QLineF l(tip, from);
    QLineF a = l, b = l;
    a.setLength(3.2);
    b.setLength(3.2);
    a.setAngle(l.angle() + 35);
    b.setAngle(l.angle() - 35);
    p.setPen(pen(c, 1.3));
    p.drawLine(a);
    p.drawLine(b);
}

void arrow(QPainter& p, const QColor& c, QPointF from, QPointF to) {
    line(p, c, from, to, 1.3);
    arrowHead(p, c, to, from);
}

void cross(QPainter& p, QPointF c, qreal r, const QColor& col = kRed) {
    line(p, col, c + QPointF(-r, -r), c + QPointF(r, r), 1.8);
    line(p, col, c + QPointF(-r, r), c + QPointF(r, -r), 1.8);
}

void plus(QPainter& p, QPointF c, qreal r, const QColor& col) {
    line(p, col, c + QPointF(-r, 0), c + QPointF(r, 0), 1.6);
    line(p, col, c + QPointF(0, -r), c + QPointF(0, r), 1.6);
}

void minus(QPainter& p, QPointF c, qreal r, const QColor& col) { line(p, col, c + QPointF(-r, 0), c + QPointF(r, 0), 1.6); }

// The framed box sounds are drawn in by the editing pictures.
void panel(QPainter& p, QRectF r = QRectF(1.5, 2.5, 13, 11)) {
    p.setPen(pen(kGrey, 1));
    p.setBrush(kPaper);
    p.drawRoundedRect(r, 1.5, 1.5);
    p.setBrush(Qt::NoBrush);
}

void selection(QPainter& p, QRectF r) {
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x2f, 0x6f, 0xc8, 70));
    p.drawRect(r);
    p.setBrush(Qt::NoBrush);
}

void floppy(QPainter& p, QRectF r) {
    QPainterPath s;
    s.moveTo(r.topLeft());
    s.lineTo(r.right() - 2.5, r.top());
    s.lineTo(r.right(), r.top() + 2.5);
    s.lineTo(r.bottomRight());
    s.lineTo(r.bottomLeft());
    s.closeSubpath();
    p.setPen(pen(kInk, 1));
    p.setBrush(kBlue);
    p.drawPath(s);
    p.setBrush(kPaper);
    const qreal w = r.width();
    p.drawRect(QRectF(r.left() + w * 0.22, r.top(), w * 0.5, r.height() * 0.32));
    p.drawRect(QRectF(r.left() + w * 0.18, r.top() + r.height() * 0.55, w * 0.64, r.height() * 0.45));
    p.setBrush(Qt::NoBrush);
}

void folder(QPainter& p) {
    p.setPen(pen(kInk, 1));
    p.setBrush(kAmber.darker(115));
    p.drawPolygon(QPolygonF({QPointF(1.5, 3.5), QPointF(6, 3.5), QPointF(7.5, 5), QPointF(13.5, 5), QPointF(13.5, 13.5),
                             QPointF(1.5, 13.5)}));
    p.setBrush(kAmber);
    p.drawPolygon(QPolygonF({QPointF(3.5, 7.5), QPointF(15.2, 7.5), QPointF(13.5, 13.5), QPointF(1.5, 13.5)}));
    p.setBrush(Qt::NoBrush);
}

void clipboard(QPainter& p, QRectF r = QRectF(2.5, 2.5, 10, 12)) {
    p.setPen(pen(kInk, 1));
    p.setBrush(QColor(0xc8, 0x9a, 0x5a));
    p.drawRoundedRect(r, 1.2, 1.2);
    p.setBrush(kPaper);
    p.drawRect(r.adjusted(1.5, 2, -1.5, -1.5));
    p.setBrush(kGrey);
    p.drawRoundedRect(QRectF(r.center().x() - 2.5, r.top() - 1, 5, 3), 1, 1);
    p.setBrush(Qt::NoBrush);
}

void magnifier(QPainter& p) {
    p.setPen(pen(kInk, 1.4));
    p.setBrush(QColor(0xe6, 0xf0, 0xfb));
    p.drawEllipse(QPointF(6.5, 6.5), 4.8, 4.8);
    p.setBrush(Qt::NoBrush);
    line(p, kInk, QPointF(10, 10), QPointF(14.5, 14.5), 2.4);
}

void circleMark(QPainter& p, QPointF c, qreal r, const QColor& fill) {
    p.setPen(pen(fill.darker(130), 1));
    p.setBrush(fill);
    p.drawEllipse(c, r, r);
    p.setBrush(Qt::NoBrush);
}

// A small "i" on a blue disc, the mark of the information pictures.
void infoMark(QPainter& p, QPointF c, qreal r) {
    circleMark(p, c, r, kBlue);
    line(p, Qt::white, c + QPointF(0, -r * 0.1), c + QPointF(0, r * 0.55), 1.4);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(c + QPointF(0, -r * 0.5), 0.8, 0.8);
    p.setBrush(Qt::NoBrush);
}

void speaker(QPainter& p, qreal dx = 0) {
    p.setPen(pen(kInk, 1));
    p.setBrush(kGrey);
    p.drawPolygon(QPolygonF({QPointF(1.5 + dx, 6), QPointF(4.5 + dx, 6), QPointF(8 + dx, 2.5), QPointF(8 + dx, 13.5),
                             QPointF(4.5 + dx, 10), QPointF(1.5 + dx, 10)}));
    p.setBrush(Qt::NoBrush);
}

// A low, band or high pass response: pass is the frequency band let through.
void response(QPainter& p, double lo, double hi) {
    panel(p);
    QPainterPath s;
    const qreal top = 5, bottom = 12;
    const qreal a = 2 + lo * 12, b = 2 + hi * 12;
    s.moveTo(2, lo > 0 ? bottom : top);
    if (lo > 0) s.cubicTo(a - 1, bottom, a - 1, top, a + 1.5, top);
    s.lineTo(hi < 1 ? b - 1.5 : 14, top);
    if (hi < 1) s.cubicTo(b + 1, top, b + 1, bottom, 14, bottom);
    p.setPen(pen(kBlue, 1.4));
    p.drawPath(s);
}

// ---- File ----
void drawNew(QPainter& p) {
    page(p, QRectF(3, 1.5, 10, 13));
    p.setPen(pen(kAmber, 1.3));
    for (double a = 0; a < 180; a += 45) {
        QLineF l(QPointF(12.5, 3.5), QPointF(15.5, 3.5));
        l.setAngle(a);
        p.drawLine(QLineF(l.p1() - (l.p2() - l.p1()), l.p2()));
    }
}
void drawOpen(QPainter& p) { folder(p); }
void drawSave(QPainter& p) { floppy(p, QRectF(1.5, 1.5, 13, 13)); }
void drawSaveAs(QPainter& p) {
    floppy(p, QRectF(1.5, 1.5, 11, 11));
    line(p, kAmber.darker(130), QPointF(8, 14.5), QPointF(15, 7.5), 2.4);
    line(p, kInk, QPointF(7.5, 15), QPointF(8.5, 14), 1.2);
}
void drawSaveSelection(QPainter& p) {
    floppy(p, QRectF(4.5, 4.5, 11, 11));
    p.setPen(QPen(kBlue, 1, Qt::DashLine));
    p.drawRect(QRectF(0.5, 0.5, 9, 8));
}
void drawClose(QPainter& p) {
    page(p, QRectF(2, 1.5, 10, 13));
    wave(p, QRectF(3.5, 4, 7, 6), small);
    cross(p, QPointF(12, 12), 2.6);
}
void drawCloseAll(QPainter& p) {
    page(p, QRectF(4.5, 0.5, 9, 11));
    page(p, QRectF(1.5, 3.5, 9, 11));
    cross(p, QPointF(12, 12.5), 2.6);
}
void drawPrint(QPainter& p) {
    p.setPen(pen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(QRectF(4, 1.5, 8, 5));
    p.setBrush(kGrey);
    p.drawRoundedRect(QRectF(1.5, 6, 13, 6), 1.5, 1.5);
    p.setBrush(kPaper);
    p.drawRect(QRectF(4, 10, 8, 4.5));
    line(p, kInk, QPointF(5.5, 12), QPointF(10.5, 12), 0.8);
    circleMark(p, QPointF(12.5, 8), 0.8, QColor(0x4c, 0xc0, 0x60));
}
void drawFileInfo(QPainter& p) {
    page(p, QRectF(1.5, 1.5, 10, 13));
    infoMark(p, QPointF(11, 11), 4);
}
void drawDeviceInfo(QPainter& p) {
    speaker(p);
    p.setPen(pen(kInk, 1));
    p.drawArc(QRectF(6, 5, 4, 6), -60 * 16, 120 * 16);
    infoMark(p, QPointF(11.5, 11), 3.8);
}
void drawExit(QPainter& p) {
    p.setPen(pen(kInk, 1));
    p.setBrush(QColor(0xa8, 0x6a, 0x3a));
    p.drawRect(QRectF(2, 1.5, 8, 13));
    p.setBrush(Qt::NoBrush);
    circleMark(p, QPointF(8, 8.5), 0.7, kAmber);
    arrow(p, kRed, QPointF(7.5, 8), QPointF(15, 8));
}

// ---- Edit ----
void drawUndo(QPainter& p) {
    p.setPen(pen(kBlue, 1.6));
    QPainterPath s;
    s.moveTo(3.5, 6.5);
    s.lineTo(10, 6.5);
    s.cubicTo(15.5, 6.5, 15.5, 13.5, 10, 13.5);
    s.lineTo(6, 13.5);
    p.drawPath(s);
    arrowHead(p, kBlue, QPointF(2.5, 6.5), QPointF(8, 6.5));
}
void drawCut(QPainter& p) {
    line(p, kInk, QPointF(4, 1.5), QPointF(10.5, 10.5), 1.3);
    line(p, kInk, QPointF(12, 1.5), QPointF(5.5, 10.5), 1.3);
    p.setPen(pen(kRed, 1.4));
    p.drawEllipse(QPointF(4.5, 12.5), 2.3, 2.3);
    p.drawEllipse(QPointF(11.5, 12.5), 2.3, 2.3);
}
void drawCopy(QPainter& p) {
    page(p, QRectF(1.5, 1.5, 8.5, 10));
    page(p, QRectF(6, 5, 8.5, 10));
    wave(p, QRectF(7, 7.5, 6.5, 6), small);
}
void drawPaste(QPainter& p) {
    clipboard(p);
    wave(p, QRectF(4.5, 6, 6, 7), small);
}
void drawMix(QPainter& p) {
    panel(p);
    wave(p, QRectF(2.5, 4, 11, 8), flat, kWave, 2.5);
    wave(p, QRectF(2.5, 5, 11, 6), flat, kBlue, 4.5);
}
void drawMixSpecial(QPainter& p) {
    drawMix(p);
    circleMark(p, QPointF(13, 3), 2.4, kAmber);
}
void drawPasteAsNew(QPainter& p) {
    clipboard(p, QRectF(1.5, 2.5, 9, 11));
    page(p, QRectF(7.5, 6.5, 7, 8.5));
    plus(p, QPointF(11, 10.8), 2, kWave);
}
void drawDelete(QPainter& p) {
    panel(p);
    wave(p, QRectF(2.5, 4, 11, 8), flat);
    cross(p, QPointF(8, 8), 3.5);
}
void drawTrim(QPainter& p) {
    panel(p);
    selection(p, QRectF(5, 3, 6, 10));
    wave(p, QRectF(5, 4, 6, 8), flat, kWave, 1.5);
    line(p, kGrey, QPointF(2.5, 8), QPointF(5, 8), 1);
    line(p, kGrey, QPointF(11, 8), QPointF(13.5, 8), 1);
}
void drawSilence(QPainter& p) {
    panel(p);
    wave(p, QRectF(2.5, 4, 4, 8), flat, kWave, 1.5);
    selection(p, QRectF(6.5, 3, 3, 10));
    line(p, kBlue, QPointF(6.5, 8), QPointF(9.5, 8), 1.3);
    wave(p, QRectF(9.5, 4, 4, 8), flat, kWave, 1.5);
}
void drawRepeat(QPainter& p) {
    panel(p);
    selection(p, QRectF(2, 3, 4, 10));
    wave(p, QRectF(2, 5, 4, 6), flat, kWave, 1);
    wave(p, QRectF(6, 5, 4, 6), flat, kWave, 1);
    wave(p, QRectF(10, 5, 4, 6), flat, kWave, 1);
}
void drawDivideChannels(QPainter& p) {
    wave(p, QRectF(0.5, 5, 6, 6), flat, kWave, 1);
    arrow(p, kInk, QPointF(7, 8), QPointF(10, 4));
    arrow(p, kInk, QPointF(7, 8), QPointF(10, 12));
    wave(p, QRectF(11, 1.5, 4.5, 4), flat, kWave, 1);
    wave(p, QRectF(11, 10.5, 4.5, 4), flat, kBlue, 1);
}
void drawCombineChannels(QPainter& p) {
    wave(p, QRectF(0.5, 1.5, 4.5, 4), flat, kWave, 1);
    wave(p, QRectF(0.5, 10.5, 4.5, 4), flat, kBlue, 1);
    arrow(p, kInk, QPointF(6, 4), QPointF(9.5, 8));
    arrow(p, kInk, QPointF(6, 12), QPointF(9.5, 8));
    wave(p, QRectF(10, 5, 5.5, 6), flat, kWave, 1);
}

// ---- Tools ----
void drawNormalize(QPainter& p) {
    panel(p);
    p.setPen(QPen(kRed, 1, Qt::DashLine));
    p.drawLine(QPointF(2, 3.5), QPointF(14, 3.5));
    p.drawLine(QPointF(2, 12.5), QPointF(14, 12.5));
    wave(p, QRectF(2.5, 3.5, 11, 9), flat);
}
void drawAmplify(QPainter& p) {
    panel(p);
    wave(p, QRectF(2.5, 4, 8, 8), small);
    arrow(p, kRed, QPointF(12, 12), QPointF(12, 4));
}
void drawFadeIn(QPainter& p) {
    panel(p);
    wave(p, QRectF(2.5, 3.5, 11, 9), rising, kWave, 4.5);
    line(p, kBlue, QPointF(2.5, 8), QPointF(13.5, 3.5), 0.9);
}
void drawFadeOut(QPainter& p) {
    panel(p);
    wave(p, QRectF(2.5, 3.5, 11, 9), falling, kWave, 4.5);
    line(p, kBlue, QPointF(2.5, 3.5), QPointF(13.5, 8), 0.9);
}
void drawForceSilence(QPainter& p) {
    panel(p);
    line(p, kWave, QPointF(2.5, 8), QPointF(13.5, 8), 1.4);
}
void drawSwapChannels(QPainter& p) {
    arrow(p, kWave, QPointF(2, 5), QPointF(14, 5));
    arrow(p, kBlue, QPointF(14, 11), QPointF(2, 11));
}
void drawInvert(QPainter& p) {
    panel(p);
    line(p, kGrey, QPointF(2, 8), QPointF(14, 8), 0.8);
    wave(p, QRectF(2.5, 3.5, 11, 9), flat, kWave, 2);
    wave(p, QRectF(2.5, 3.5, 11, 9), [](double) { return -0.9; }, kBlue, 2);
}
void drawReverse(QPainter& p) {
    panel(p);
    wave(p, QRectF(2.5, 6, 11, 7), rising, kWave, 3.5);
    arrow(p, kRed, QPointF(13, 4.5), QPointF(3, 4.5));
}
void drawTravellingStereo(QPainter& p) {
    speaker(p, -1);
    p.setPen(pen(kInk, 1));
    p.drawArc(QRectF(5, 5, 4, 6), -60 * 16, 120 * 16);
    arrow(p, kBlue, QPointF(10, 4), QPointF(15, 4));
    arrow(p, kBlue, QPointF(15, 12), QPointF(10, 12));
}
void drawRemoveOffset(QPainter& p) {
    panel(p);
    wave(p, QRectF(2.5, 3.5, 11, 5), flat);
    line(p, kGrey, QPointF(2, 8), QPointF(14, 8), 0.8);
    arrow(p, kRed, QPointF(8, 8.5), QPointF(8, 12.5));
}
void drawNoiseGate(QPainter& p) {
    p.setPen(pen(kInk, 1));
    p.setBrush(kGrey);
    p.drawRect(QRectF(6, 1.5, 4, 13));
    p.setBrush(Qt::NoBrush);
    wave(p, QRectF(0.5, 5, 5.5, 6), flat, kWave, 1.5);
    line(p, kWave, QPointF(10, 8), QPointF(15.5, 8), 1.2);
}
void drawEffects(QPainter& p) {
    QPolygonF star;
    for (int i = 0; i < 10; ++i) {
        const double a = -M_PI / 2 + i * M_PI / 5, r = i % 2 ? 2.8 : 6.8;
        star << QPointF(8 + r * std::cos(a), 8.5 + r * std::sin(a));
    }
    p.setPen(pen(kAmber.darker(140), 1));
    p.setBrush(kAmber);
    p.drawPolygon(star);
    p.setBrush(Qt::NoBrush);
}
void drawSpeed(QPainter& p) {
    p.setPen(pen(kInk, 1.3));
    p.drawArc(QRectF(1.5, 3, 13, 13), 0, 180 * 16);
    line(p, kInk, QPointF(1.5, 9.5), QPointF(14.5, 9.5), 1);
    line(p, kRed, QPointF(8, 9.5), QPointF(12, 5), 1.6);
    circleMark(p, QPointF(8, 9.5), 1.2, kInk);
}
void drawEcho(QPainter& p) {
    line(p, kGrey, QPointF(1, 13.5), QPointF(15, 13.5), 0.8);
    const double h[] = {11, 7, 4.5, 2.5};
    for (int i = 0; i < 4; ++i) line(p, i ? kBlue : kWave, QPointF(2 + i * 4, 13.5), QPointF(2 + i * 4, 13.5 - h[i]), 1.8);
}
void drawReverb(QPainter& p) {
    line(p, kGrey, QPointF(1, 13.5), QPointF(15, 13.5), 0.8);
    line(p, kWave, QPointF(2, 13.5), QPointF(2, 2.5), 1.8);
    for (int i = 1; i < 12; ++i)
        line(p, kBlue, QPointF(2 + i * 1.1, 13.5), QPointF(2 + i * 1.1, 13.5 - 8 * decaying(i / 12.0)), 0.7);
}
void drawFlanger(QPainter& p) {
    panel(p);
    wave(p, QRectF(2.5, 4, 11, 8), flat, kWave, 2.5);
    wave(p, QRectF(2.5, 4, 11, 8), small, kBlue, 3.5);
    arrow(p, kRed, QPointF(3, 14.5), QPointF(13, 14.5));
}
void drawResample(QPainter& p) {
    panel(p);
    wave(p, QRectF(2.5, 4, 11, 8), flat, kGrey, 1);
    for (int i = 0; i < 6; ++i) {
        const double t = (i + 0.5) / 6;
        circleMark(p, QPointF(2.5 + t * 11, 8 - std::sin(t * 2 * M_PI) * 3.6), 0.9, kBlue);
    }
}

// ---- Filters ----
void drawLowPass(QPainter& p) { response(p, 0, 0.55); }
void drawBandPass(QPainter& p) { response(p, 0.3, 0.7); }
void drawHighPass(QPainter& p) { response(p, 0.45, 1); }
void drawEqualize(QPainter& p) {
    panel(p);
    const double h[] = {5, 8, 6, 3.5, 7};
    for (int i = 0; i < 5; ++i) line(p, kBlue, QPointF(3.5 + i * 2.25, 12), QPointF(3.5 + i * 2.25, 12 - h[i]), 1.5);
}
void drawHistogram(QPainter& p) {
    line(p, kInk, QPointF(1.5, 14.5), QPointF(14.5, 14.5), 1);
    const double h[] = {3, 7, 11, 8, 4};
    p.setPen(pen(kInk, 0.8));
    p.setBrush(kBlue);
    for (int i = 0; i < 5; ++i) p.drawRect(QRectF(2 + i * 2.5, 14.5 - h[i], 2.2, h[i]));
    p.setBrush(Qt::NoBrush);
}
void drawCleaner(QPainter& p) {
    wave(p, QRectF(1.5, 4, 9, 8), flat, kWave, 2);
    QPolygonF s;
    for (int i = 0; i < 8; ++i) {
        const double a = -M_PI / 2 + i * M_PI / 4, r = i % 2 ? 1.2 : 3.5;
        s << QPointF(12 + r * std::cos(a), 4 + r * std::sin(a));
    }
    p.setPen(pen(kAmber.darker(140), 0.8));
    p.setBrush(kAmber);
    p.drawPolygon(s);
    p.setBrush(Qt::NoBrush);
}

// The advanced filter: the band it works on, as its dialog draws it.
void drawAdvancedFilter(QPainter& p) {
    line(p, kInk, QPointF(2, 1.5), QPointF(2, 13.5), 1);
    line(p, kInk, QPointF(2, 13.5), QPointF(14.5, 13.5), 1);
    p.setPen(pen(kRed, 1.2));
    p.drawRect(QRectF(6, 5, 5, 8.5));
    line(p, kBlue, QPointF(3, 11), QPointF(14, 11), 0.8);
}
// A bank of filters: three pass bands side by side.
void drawFilterBank(QPainter& p) {
    panel(p);
    p.setPen(pen(kBlue, 1.2));
    for (int i = 0; i < 3; ++i) {
        const qreal x = 2.5 + i * 3.8;
        QPainterPath s;
        s.moveTo(x, 12);
        s.cubicTo(x + 1, 12, x + 0.8, 5, x + 2, 5);
        s.cubicTo(x + 3.2, 5, x + 3, 12, x + 4, 12);
        p.drawPath(s);
    }
}
// Sorted values with the middle one taken.
void drawMedian(QPainter& p, bool improved) {
    const double h[] = {4, 6.5, 9, 11.5, 13};
    for (int i = 0; i < 5; ++i) {
        const bool mid = i == 2;
        p.setPen(pen(kInk, 0.8));
        p.setBrush(mid ? kRed : kGrey);
        p.drawRect(QRectF(1.5 + i * 2.6, 14.5 - h[i], 2, h[i]));
    }
    p.setBrush(Qt::NoBrush);
    if (improved) plus(p, QPointF(13, 3), 2.2, kWave);
}
void drawMedianFilter(QPainter& p) { drawMedian(p, false); }
void drawImprovedMedian(QPainter& p) { drawMedian(p, true); }
// A jagged signal and its running mean through it.
void drawAverage(QPainter& p) {
    panel(p);
    QPolygonF jag;
    const double y[] = {0.6, -0.4, 0.9, 0.1, 0.7, -0.8, -0.2, -0.9, -0.3, 0.4, 0.1, 0.8, 0.3};
    for (int i = 0; i < 13; ++i) jag << QPointF(2.5 + i * 11.0 / 12, 8 - y[i] * 3.5);
    p.setPen(pen(kGrey, 0.9));
    p.drawPolyline(jag);
    wave(p, QRectF(2.5, 5.5, 11, 5), flat, kBlue, 1);
}
// The top-hat filter keeps the narrow peaks standing over the background.
void drawTopHat(QPainter& p) {
    p.setPen(pen(kInk, 1));
    p.setBrush(kInk);
    p.drawRect(QRectF(4.5, 3, 7, 8));
    p.drawRoundedRect(QRectF(1.5, 10.5, 13, 2.5), 1, 1);
    p.setBrush(kRed);
    p.drawRect(QRectF(4.5, 8.5, 7, 1.5));
    p.setBrush(Qt::NoBrush);
}
// A step with the overshoot edge enhancement gives it.
void drawEdgeEnhancement(QPainter& p) {
    panel(p);
    line(p, kGrey, QPointF(2.5, 11.5), QPointF(13.5, 4.5), 0.8);
    p.setPen(pen(kBlue, 1.4));
    p.drawPolyline(QPolygonF({QPointF(2.5, 11), QPointF(6.5, 11), QPointF(7.2, 12.5), QPointF(8, 3.5),
                              QPointF(8.8, 5), QPointF(13.5, 5)}));
}
// The difference of neighbouring samples: a delta over a wave.
void drawDifference(QPainter& p) {
    panel(p);
    wave(p, QRectF(2.5, 7, 11, 6), flat, kGrey, 1.5);
    p.setPen(pen(kRed, 1.3));
    p.drawPolygon(QPolygonF({QPointF(8, 2.5), QPointF(11.5, 8.5), QPointF(4.5, 8.5)}));
}
// The customized filter's taps: weights the user types.
void drawCustomFilter(QPainter& p) {
    line(p, kInk, QPointF(1.5, 13.5), QPointF(14.5, 13.5), 0.9);
    const double h[] = {2, 5, 10, 5, 2};
    for (int i = 0; i < 5; ++i) {
        const qreal x = 2.5 + i * 2.75;
        line(p, kBlue, QPointF(x, 13.5), QPointF(x, 13.5 - h[i]), 1.2);
        circleMark(p, QPointF(x, 13.5 - h[i]), 1.1, kAmber);
    }
}
// The dynamic expander: quiet parts pushed down, loud parts up.
void drawExpander(QPainter& p) {
    panel(p);
    wave(p, QRectF(4.5, 5.5, 7, 5), flat, kWave, 2);
    arrow(p, kRed, QPointF(3, 7), QPointF(3, 3));
    arrow(p, kRed, QPointF(3, 9), QPointF(3, 13));
    arrow(p, kRed, QPointF(13, 7), QPointF(13, 3));
    arrow(p, kRed, QPointF(13, 9), QPointF(13, 13));
}
// STSA: the spectrum's bins under a noise threshold are let go.
void drawStsa(QPainter& p) {
    const double h[] = {9, 3, 11, 2.5, 7, 2, 5, 1.5};
    for (int i = 0; i < 8; ++i) {
        const bool kept = h[i] > 4;
        line(p, kept ? kBlue : kGrey, QPointF(2 + i * 1.7, 14), QPointF(2 + i * 1.7, 14 - h[i]), 1.2);
    }
    p.setPen(QPen(kRed, 1, Qt::DashLine));
    p.drawLine(QPointF(1, 10), QPointF(15, 10));
}
// A wavelet: a short wave packet.
void drawWavelet(QPainter& p) {
    line(p, kGrey, QPointF(1, 8), QPointF(15, 8), 0.7);
    QPolygonF pts;
    for (int i = 0; i <= 48; ++i) {
        const double t = (i / 48.0 - 0.5) * 6;
        pts << QPointF(8 + t * 7 / 3.0, 8 - 6 * std::exp(-t * t / 2) * std::cos(2.5 * t));
    }
    p.setPen(pen(kBlue, 1.2));
    p.drawPolyline(pts);
}
// The noise generators: the spread of their values beside a little noise.
void noiseTrace(QPainter& p, const QColor& c) {
    QPolygonF pts;
    const double y[] = {0.2, -0.7, 0.5, -0.1, 0.9, -0.8, 0.3};
    for (int i = 0; i < 7; ++i) pts << QPointF(1 + i, 8 - y[i] * 4);
    p.setPen(pen(c, 0.9));
    p.drawPolyline(pts);
}
void drawUniformNoise(QPainter& p) {
    noiseTrace(p, kGrey.darker(130));
    p.setPen(pen(kInk, 0.8));
    p.setBrush(kBlue);
    p.drawRect(QRectF(8.5, 6, 6, 7));
    p.setBrush(Qt::NoBrush);
}
void drawGaussianNoise(QPainter& p) {
    noiseTrace(p, kGrey.darker(130));
    QPolygonF bell;
    for (int i = 0; i <= 24; ++i) {
        const double t = (i / 24.0 - 0.5) * 5;
        bell << QPointF(8.5 + i * 6.5 / 24, 13 - 9 * std::exp(-t * t / 2));
    }
    p.setPen(pen(kBlue, 1.2));
    p.drawPolyline(bell);
}
void drawPinkNoise(QPainter& p) {
    noiseTrace(p, QColor(0xd8, 0x5a, 0x9a));
    const QColor pink(0xe8, 0x7a, 0xb0);
    for (int i = 0; i < 4; ++i)
        line(p, pink, QPointF(9 + i * 1.8, 13), QPointF(9 + i * 1.8, 13 - 9.0 / (i + 1)), 1.4);
}
void drawSpeckleNoise(QPainter& p) {
    noiseTrace(p, kGrey.darker(130));
    const QPointF dots[] = {{9.5, 4}, {12.5, 5.5}, {10.5, 8}, {14, 9.5}, {9, 11.5}, {12, 12.5}, {13.5, 3}};
    for (const QPointF& d : dots) circleMark(p, d, 0.9, kInk);
}
// The other audio web sites: a globe before a list.
void drawWebsites(QPainter& p) {
    p.setPen(pen(kBlue.darker(120), 1));
    p.setBrush(QColor(0xcf, 0xe3, 0xfa));
    p.drawEllipse(QPointF(6, 8), 5, 5);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(6, 8), 2.2, 5);
    p.drawLine(QPointF(1, 8), QPointF(11, 8));
    for (int i = 0; i < 3; ++i) line(p, kInk, QPointF(12, 4.5 + i * 3.5), QPointF(15.5, 4.5 + i * 3.5), 1.2);
}
// The selection made to fill the window: its edges pushed out to the sides.
void drawZoomToWindow(QPainter& p) {
    panel(p);
    selection(p, QRectF(6, 3, 4, 10));
    arrow(p, kBlue, QPointF(6, 8), QPointF(2.5, 8));
    arrow(p, kBlue, QPointF(10, 8), QPointF(13.5, 8));
}

// ---- Transport, CD, convert ----
void drawPlay(QPainter& p) {
    p.setPen(pen(kWave.darker(120), 1));
    p.setBrush(kWave);
    p.drawPolygon(QPolygonF({QPointF(4, 2.5), QPointF(13, 8), QPointF(4, 13.5)}));
    p.setBrush(Qt::NoBrush);
}
void drawPause(QPainter& p) {
    p.setPen(pen(kInk, 1));
    p.setBrush(kBlue);
    p.drawRect(QRectF(3.5, 2.5, 3, 11));
    p.drawRect(QRectF(9.5, 2.5, 3, 11));
    p.setBrush(Qt::NoBrush);
}
void drawStop(QPainter& p) {
    p.setPen(pen(kInk, 1));
    p.setBrush(kInk);
    p.drawRect(QRectF(3, 3, 10, 10));
    p.setBrush(Qt::NoBrush);
}
void drawRecord(QPainter& p) { circleMark(p, QPointF(8, 8), 5, kRed); }
void drawCd(QPainter& p) {
    QRadialGradient g(QPointF(6, 6), 9);
    g.setColorAt(0, QColor(0xf4, 0xf7, 0xff));
    g.setColorAt(0.6, QColor(0xc7, 0xd3, 0xe6));
    g.setColorAt(1, QColor(0xe9, 0xd2, 0xf0));
    p.setPen(pen(kInk, 1));
    p.setBrush(g);
    p.drawEllipse(QPointF(8, 8), 6.8, 6.8);
    p.setBrush(kPaper);
    p.drawEllipse(QPointF(8, 8), 1.8, 1.8);
    p.setBrush(Qt::NoBrush);
}
void drawConvert(QPainter& p) {
    page(p, QRectF(1, 1, 7, 9));
    page(p, QRectF(8, 6, 7, 9));
    p.setPen(pen(kBlue, 1.3));
    p.drawArc(QRectF(3, 8, 8, 8), 180 * 16, 90 * 16);
    arrowHead(p, kBlue, QPointF(7.5, 15.5), QPointF(4, 15.5));
}

// ---- Miscellaneous ----
void drawColors(QPainter& p) {
    p.setPen(pen(kInk, 1));
    p.setBrush(QColor(0xe8, 0xd4, 0xa8));
    p.drawEllipse(QRectF(1, 2, 14, 12));
    p.setBrush(Qt::NoBrush);
    circleMark(p, QPointF(4.5, 6.5), 1.5, kRed);
    circleMark(p, QPointF(8, 4.5), 1.5, kBlue);
    circleMark(p, QPointF(11.5, 6.5), 1.5, kWave);
    circleMark(p, QPointF(11, 10.5), 1.5, kAmber);
    circleMark(p, QPointF(6, 11), 1.5, kPaper);
}
void drawLoop(QPainter& p) {
    p.setPen(pen(kBlue, 1.6));
    p.drawArc(QRectF(2, 3, 12, 10), 30 * 16, 240 * 16);
    arrowHead(p, kBlue, QPointF(13.5, 5.5), QPointF(12.5, 9));
    circleMark(p, QPointF(8, 8), 1.3, kWave);
}
void drawDivide(QPainter& p) {
    panel(p);
    wave(p, QRectF(2.5, 4, 11, 8), flat, kWave, 3);
    p.setPen(QPen(kRed, 1.2, Qt::DashLine));
    p.drawLine(QPointF(6, 1), QPointF(6, 15));
    p.drawLine(QPointF(10, 1), QPointF(10, 15));
}
void drawDivideTracks(QPainter& p) {
    panel(p);
    wave(p, QRectF(2.5, 4, 4, 8), flat, kWave, 1.5);
    wave(p, QRectF(9.5, 4, 4, 8), flat, kWave, 1.5);
    line(p, kGrey, QPointF(6.5, 8), QPointF(9.5, 8), 1);
    line(p, kRed, QPointF(8, 1), QPointF(8, 15), 1.2);
}
void drawDivideLength(QPainter& p) {
    drawDivide(p);
    arrow(p, kInk, QPointF(8, 14.5), QPointF(10, 14.5));
    arrow(p, kInk, QPointF(8, 14.5), QPointF(6, 14.5));
}
void drawConcatenate(QPainter& p) {
    page(p, QRectF(0.5, 3, 6, 8));
    page(p, QRectF(9.5, 3, 6, 8));
    plus(p, QPointF(8, 7), 1.6, kWave);
    line(p, kBlue, QPointF(1, 14), QPointF(15, 14), 1.6);
}
void drawGlobe(QPainter& p) {
    p.setPen(pen(kBlue.darker(120), 1));
    p.setBrush(QColor(0xcf, 0xe3, 0xfa));
    p.drawEllipse(QPointF(8, 8), 6.5, 6.5);
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QPointF(8, 8), 3, 6.5);
    p.drawLine(QPointF(1.5, 8), QPointF(14.5, 8));
    p.drawLine(QPointF(8, 1.5), QPointF(8, 14.5));
}

// ---- View ----
void drawZoomSelection(QPainter& p) {
    magnifier(p);
    p.setPen(pen(kBlue, 1.1));
    p.drawPolyline(QPolygonF({QPointF(5, 4), QPointF(4, 4), QPointF(4, 9), QPointF(5, 9)}));
    p.drawPolyline(QPolygonF({QPointF(8, 4), QPointF(9, 4), QPointF(9, 9), QPointF(8, 9)}));
}
void drawZoomIn(QPainter& p) {
    magnifier(p);
    plus(p, QPointF(6.5, 6.5), 2.4, kInk);
}
void drawZoomOut(QPainter& p) {
    magnifier(p);
    minus(p, QPointF(6.5, 6.5), 2.4, kInk);
}
void drawSelectAll(QPainter& p) {
    panel(p);
    selection(p, QRectF(2, 3, 12, 10));
    wave(p, QRectF(2.5, 4, 11, 8), flat);
}
void drawSelectNone(QPainter& p) {
    panel(p);
    wave(p, QRectF(2.5, 4, 11, 8), flat, kGrey);
}
void drawSampleInfo(QPainter& p) {
    panel(p);
    wave(p, QRectF(2.5, 4, 11, 8), flat, kGrey, 1);
    line(p, kRed, QPointF(5.5, 3), QPointF(5.5, 13), 1);
    circleMark(p, QPointF(5.5, 4.4), 1.3, kRed);
}
void drawGrid(QPainter& p) {
    panel(p);
    p.setPen(pen(kGrey, 0.8));
    for (double x : {5.0, 8.0, 11.0}) p.drawLine(QPointF(x, 3), QPointF(x, 13));
    for (double y : {5.5, 8.0, 10.5}) p.drawLine(QPointF(2, y), QPointF(14, y));
    wave(p, QRectF(2.5, 4, 11, 8), flat, kWave, 1.5);
}
void drawVumeters(QPainter& p) {
    const double h[] = {11, 7};
    for (int i = 0; i < 2; ++i) {
        const qreal x = 3 + i * 6;
        p.setPen(pen(kInk, 0.8));
        p.setBrush(kPaper);
        p.drawRect(QRectF(x, 2, 4, 12));
        QLinearGradient g(0, 14, 0, 2);
        g.setColorAt(0, kWave);
        g.setColorAt(0.7, kAmber);
        g.setColorAt(1, kRed);
        p.setPen(Qt::NoPen);
        p.setBrush(g);
        p.drawRect(QRectF(x + 0.5, 14 - h[i], 3, h[i] - 0.5));
    }
    p.setBrush(Qt::NoBrush);
}
void drawVolume(QPainter& p) {
    speaker(p, -0.5);
    p.setPen(pen(kBlue, 1.1));
    p.drawArc(QRectF(6, 5, 4, 6), -60 * 16, 120 * 16);
    p.drawArc(QRectF(5, 2.5, 9, 11), -60 * 16, 120 * 16);
}
void drawAccessBar(QPainter& p) {
    panel(p, QRectF(1.5, 1.5, 13, 13));
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawRect(QRectF(2, 2, 4, 12.5));
    p.setBrush(Qt::NoBrush);
}
void drawToolBars(QPainter& p) {
    panel(p, QRectF(1.5, 1.5, 13, 13));
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawRect(QRectF(2, 2, 12.5, 2.5));
    p.setBrush(kBlue.lighter(140));
    p.drawRect(QRectF(2, 5, 12.5, 2.5));
    p.setBrush(Qt::NoBrush);
}

// The access bar's close box.
void drawCloseMark(QPainter& p) { cross(p, QPointF(8, 8), 4.5, kPaper); }

// The view brought to the cursor: the cursor line with the view moving to it.
void drawGoToCursor(QPainter& p) {
    panel(p);
    line(p, kRed, QPointF(10, 3), QPointF(10, 13), 1.3);
    arrow(p, kBlue, QPointF(3, 8), QPointF(8.5, 8));
}

// ---- Help ----
void drawHelp(QPainter& p) {
    circleMark(p, QPointF(8, 8), 6.5, kBlue);
    QFont f = p.font();
    f.setPixelSize(11);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(1.5, 1.5, 13, 13), Qt::AlignCenter, QStringLiteral("?"));
}
void drawAbout(QPainter& p) { infoMark(p, QPointF(8, 8), 6.5); }
void drawEmail(QPainter& p) {
    p.setPen(pen(kInk, 1));
    p.setBrush(kPaper);
    p.drawRect(QRectF(1.5, 3.5, 13, 9));
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({QPointF(1.5, 3.5), QPointF(8, 9), QPointF(14.5, 3.5)}));
}
// Other programs of the maker: four program tiles.
void drawOtherPrograms(QPainter& p) {
    const QColor fills[4] = {kBlue, kWave, kAmber, kRed};
    for (int i = 0; i < 4; ++i) {
        p.setPen(pen(fills[i].darker(130), 1));
        p.setBrush(fills[i]);
        p.drawRoundedRect(QRectF(1.5 + (i % 2) * 7, 1.5 + (i / 2) * 7, 6, 6), 1.5, 1.5);
    }
    p.setBrush(Qt::NoBrush);
}

const std::unordered_map<std::string, Draw>& pictures() {
    static const std::unordered_map<std::string, Draw> table = {
        {"SpeedButton8", drawNew}, {"SpeedButton7", drawOpen}, {"SpeedButton6", drawSave},
        {"SaveAs_SB", drawSaveAs}, {"SpeedButton12", drawSaveSelection}, {"CloseActive_SB", drawClose},
        {"CloseAll_SB", drawCloseAll}, {"Print_SB", drawPrint}, {"FileInfo_SB", drawFileInfo},
        {"DeviceInfo_SB", drawDeviceInfo}, {"Exit_SB", drawExit},

        {"SpeedButton18", drawUndo}, {"SpeedButton5", drawCut}, {"SpeedButton1", drawCopy},
        {"SpeedButton3", drawPaste}, {"SpeedButton4", drawMix}, {"MixSpecial_SB", drawMixSpecial},
        {"PasteAsNew_SB", drawPasteAsNew}, {"SpeedButton35", drawDelete}, {"Trim_SB", drawTrim},
        {"SpeedButton33", drawSilence}, {"SpeedButton13", drawRepeat}, {"DivideChannels_SB", drawDivideChannels},
        {"CombineChannels_SB", drawCombineChannels},

        {"SpeedButton21", drawNormalize}, {"SpeedButton29", drawAmplify}, {"SpeedButton22", drawFadeIn},
        {"SpeedButton23", drawFadeOut}, {"SpeedButton34", drawForceSilence}, {"InvertChannels_SB", drawSwapChannels},
        {"Invert_SB", drawInvert}, {"SpeedButton20", drawReverse}, {"TravellingStereo_SB", drawTravellingStereo},
        {"RemoveOffset_SB", drawRemoveOffset}, {"NoiseGate_SB", drawNoiseGate}, {"SpeedButton11", drawEffects},
        {"SpeedButton2", drawSpeed}, {"SpeedButton32", drawEcho}, {"SpeedButton19", drawReverb},
        {"Flange_SB", drawFlanger}, {"Resample_SB", drawResample},

        {"SpeedButton9", drawAdvancedFilter}, {"SpeedButton30", drawLowPass}, {"SpeedButton25", drawBandPass},
        {"SpeedButton26", drawHighPass}, {"SpeedButton24", drawFilterBank}, {"SpeedButton28", drawEqualize},
        {"SpeedButton27", drawMedianFilter}, {"ImprovedMedian_SB", drawImprovedMedian}, {"Average_SB", drawAverage},
        {"TopHat_SB", drawTopHat}, {"EdgeEnhancement_SB", drawEdgeEnhancement},
        {"DifferenceFilter_SB", drawDifference}, {"CustomizedFilterSB", drawCustomFilter},
        {"SpeedButton31", drawExpander}, {"STSA_SB", drawStsa}, {"Wavelet_SB", drawWavelet},
        {"SpeedButton45", drawCleaner}, {"Uniform_SB", drawUniformNoise}, {"Gaussian_SB", drawGaussianNoise},
        {"Pink_SB", drawPinkNoise}, {"Speckle_SB", drawSpeckleNoise}, {"Histogram_SB", drawHistogram},

        {"SpeedButton16", drawPlay}, {"SpeedButton14", drawPause}, {"SpeedButton17", drawStop},
        {"SpeedButton15", drawRecord}, {"SpeedButton10", drawCd}, {"SpeedButton47", drawConvert},

        {"Colors_SB", drawColors}, {"Loop_SB", drawLoop}, {"Divide_SB", drawDivide},
        {"Divideintotracks_SB", drawDivideTracks}, {"DivideByLength_SB", drawDivideLength},
        {"Concatenate_SB", drawConcatenate}, {"Websites_SB", drawWebsites},

        {"speedzoom", drawZoomToWindow}, {"ZoomInto_SB", drawZoomSelection}, {"ZoomIn_SB", drawZoomIn},
        {"ZoomOut_SB", drawZoomOut}, {"SelectAll_SB", drawSelectAll}, {"SelectNone_SB", drawSelectNone},
        {"SampleInfo_SB", drawSampleInfo}, {"Grid_SB", drawGrid}, {"Vumeters_SB", drawVumeters},
        {"Volume_SB", drawVolume}, {"viewaccessbar_sb", drawAccessBar}, {"viewtoolbars_sb", drawToolBars},

        {"boto_selectnone", drawSelectNone}, {"boto_zoomin", drawZoomIn}, {"boto_zoomout", drawZoomOut},
        {"boto_gotocursor", drawGoToCursor},

        {"Contents_SB", drawHelp}, {"About_SB", drawAbout}, {"SendEmail_SB", drawEmail},
        {"SVWebsite_SB", drawGlobe}, {"OtherProgram_SB", drawOtherPrograms},
        {"CloseAccessBar", drawCloseMark},
    };
    return table;
}

// Drawn at 1x and 2x so the pictures stay sharp on high density screens.
// side 0: the tool bars' 22 x 16 space with the 16 x 16 picture centred;
// otherwise a square picture of that side.
QSize canvas(int side) { return side ? QSize(side, side) : QSize(22, 16); }

QPixmap render(Draw draw, qreal ratio, int side) {
    QPixmap pix(canvas(side) * ratio);
    pix.setDevicePixelRatio(ratio);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    if (side) p.scale(side / 16.0, side / 16.0);
    else p.translate(3, 0);
    draw(p);
    return pix;
}

// Commands the freedesktop icon names mean: the desktop's icon theme shows
// them, and the Tango theme where the desktop's has none. The drawn
// picture stays for a machine with neither.
const std::unordered_map<std::string, const char*>& themePictures() {
    static const std::unordered_map<std::string, const char*> table = {
        {"SpeedButton8", "document-new"}, {"SpeedButton7", "document-open"}, {"SpeedButton6", "document-save"},
        {"SaveAs_SB", "document-save-as"}, {"Print_SB", "document-print"}, {"FileInfo_SB", "document-properties"},
        {"DeviceInfo_SB", "audio-card"}, {"Exit_SB", "system-log-out"},
        {"SpeedButton18", "edit-undo"}, {"SpeedButton5", "edit-cut"}, {"SpeedButton1", "edit-copy"},
        {"SpeedButton3", "edit-paste"}, {"SpeedButton35", "edit-delete"}, {"SelectAll_SB", "edit-select-all"},
        {"SpeedButton16", "media-playback-start"}, {"SpeedButton14", "media-playback-pause"},
        {"SpeedButton17", "media-playback-stop"}, {"SpeedButton15", "media-record"}, {"SpeedButton10", "media-optical"},
        {"Colors_SB", "preferences-desktop-theme"}, {"Volume_SB", "audio-volume-high"},
        {"Contents_SB", "help-browser"}, {"About_SB", "dialog-information"}, {"SendEmail_SB", "mail-message-new"},
        {"SVWebsite_SB", "internet-web-browser"},
        {"boto_gotobegin", "media-skip-backward"}, {"boto_gotoend", "media-skip-forward"}};
    return table;
}

// The theme's picture placed as the drawn ones are.
QPixmap centred(const QIcon& theme, qreal ratio, int side) {
    QPixmap pix(canvas(side) * ratio);
    pix.setDevicePixelRatio(ratio);
    pix.fill(Qt::transparent);
    QPainter p(&pix);
    const int edge = side ? side : 16;
    p.drawPixmap(QRectF(side ? 0 : 3, 0, edge, edge), theme.pixmap(QSize(edge, edge), ratio), QRectF());
    return pix;
}

QIcon fromTheme(const char* name) {
    // Without a desktop (no theme, or only the bare "hicolor" one) the
    // pictures come from Tango, which the set-up script installs.
    static const bool ready = [] {
        // Some platforms (the headless one among them) search no system
        // folder for themes.
        QStringList paths = QIcon::themeSearchPaths();
        for (const QString& dir :
             QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, QStringLiteral("icons"),
                                       QStandardPaths::LocateDirectory))
            if (!paths.contains(dir)) paths << dir;
        QIcon::setThemeSearchPaths(paths);
        const QString desktop = QIcon::themeName();
        if (desktop.isEmpty() || desktop == QLatin1String("hicolor")) QIcon::setThemeName(QStringLiteral("Tango"));
        else QIcon::setFallbackThemeName(QStringLiteral("Tango"));
        return true;
    }();
    (void)ready;
    return QIcon::fromTheme(QString::fromLatin1(name));
}

// A disabled button's picture: grey and faint. The style's own disabled
// look only greys a picture, which leaves one that is grey already (the
// copy's pages, the select-none wave) looking as usable as before.
QPixmap disabledLook(const QPixmap& pix) {
    QImage img = pix.toImage().convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const int g = qGray(line[x]);
            line[x] = qRgba(g, g, g, qAlpha(line[x]) * 2 / 5);
        }
    }
    QPixmap out = QPixmap::fromImage(img);
    out.setDevicePixelRatio(pix.devicePixelRatio());
    return out;
}

void addPicture(QIcon& icon, const QPixmap& pix) {
    icon.addPixmap(pix);
    icon.addPixmap(disabledLook(pix), QIcon::Disabled);
}

} // namespace

QIcon toolIcon(const std::string& buttonName, int side) {
    QIcon icon;
    const auto& themed = themePictures();
    if (const auto t = themed.find(buttonName); t != themed.end()) {
        // A theme may hold only scalable pictures this machine cannot draw.
        const QIcon theme = fromTheme(t->second);
        if (!theme.isNull() && !theme.pixmap(QSize(16, 16)).isNull()) {
            addPicture(icon, centred(theme, 1, side));
            addPicture(icon, centred(theme, 2, side));
            return icon;
        }
    }
    const auto& table = pictures();
    const auto it = table.find(buttonName);
    if (it == table.end()) return QIcon();
    addPicture(icon, render(it->second, 1, side));
    addPicture(icon, render(it->second, 2, side));
    return icon;
}

} // namespace sv
