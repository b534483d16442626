// Renders the program's icon drawing at every size of the freedesktop icon
// theme: make_icons <sonvela.svg> <output folder>, which receives
// hicolor/<n>x<n>/apps/sonvela.png and hicolor/scalable/apps/sonvela.svg.
// Run by the build.
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s icon.svg output-folder\n", argv[0]);
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QString svg = QString::fromLocal8Bit(argv[1]);
    const QString out = QString::fromLocal8Bit(argv[2]) + "/hicolor/";
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) {
        std::fprintf(stderr, "%s: not a drawing this renderer reads\n", argv[1]);
        return 1;
    }
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QString dir = out + QString("%1x%1/apps/").arg(size);
        QDir().mkpath(dir);
        QImage img(size, size, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        renderer.render(&p, QRectF(0, 0, size, size));
        p.end();
        if (!img.save(dir + "sonvela.png", "PNG")) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(dir + "sonvela.png"));
            return 1;
        }
    }
    const QString scalable = out + "scalable/apps/";
    QDir().mkpath(scalable);
    QFile::remove(scalable + "sonvela.svg");
    if (!QFile::copy(svg, scalable + "sonvela.svg")) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(scalable + "sonvela.svg"));
        return 1;
    }
    return 0;
}
