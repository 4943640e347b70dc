// Build-time helper: draws an SVG icon as a square PNG of the given size, for
// the hicolor theme sizes that desktops look up as bitmaps.
//   qm_render_icon IN.svg SIZE OUT.png
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: qm_render_icon IN.svg SIZE OUT.png\n");
        return 2;
    }
    // No display is needed to draw into an image.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int size = std::atoi(argv[2]);
    QSvgRenderer renderer(QString::fromLocal8Bit(argv[1]));
    if (!renderer.isValid() || size < 1 || size > 1024) {
        std::fprintf(stderr, "qm_render_icon: cannot draw %s at %s pixels\n", argv[1], argv[2]);
        return 1;
    }
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter);
    painter.end();
    if (!image.save(QString::fromLocal8Bit(argv[3]), "PNG")) {
        std::fprintf(stderr, "qm_render_icon: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
