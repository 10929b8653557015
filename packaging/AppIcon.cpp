// Paints the application icon at the sizes of the hicolor theme: a dark tile with three lanes
// of context runs, as the timeline shows them, under a CPU load curve.
//
// usage: kavrin-paint-app-icon OUTPUT-FOLDER NAME
// writes OUTPUT-FOLDER/hicolor/SxS/apps/NAME.png for every size S.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <array>
#include <cstdio>

namespace {

struct Run {
    double start; // share of the width
    double length;
};

struct Lane {
    QColor colour;
    std::array<Run, 3> runs;
};

const std::array<Lane, 3> Lanes{{
    {QColor(0xf2, 0x9e, 0x38), {{{0.10, 0.12}, {0.42, 0.10}, {0.74, 0.12}}}},
    {QColor(0x5c, 0xc8, 0x6e), {{{0.22, 0.20}, {0.52, 0.08}, {0.86, 0.06}}}},
    {QColor(0x5a, 0xa9, 0xf0), {{{0.04, 0.06}, {0.60, 0.14}, {0.30, 0.08}}}},
}};

QImage paintIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    const double margin = s / 16.0;
    const QRectF tile(margin, margin, s - 2 * margin, s - 2 * margin);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1d, 0x2b, 0x3f));
    painter.drawRoundedRect(tile, s * 0.16, s * 0.16);

    const double inner = tile.width() * 0.84;
    const double left = tile.left() + (tile.width() - inner) / 2;
    const double laneHeight = tile.height() * 0.13;
    for (size_t lane = 0; lane < Lanes.size(); ++lane) {
        const double top = tile.top() + tile.height() * (0.46 + 0.17 * double(lane));
        painter.setBrush(Lanes[lane].colour);
        for (const Run& run : Lanes[lane].runs)
            painter.drawRect(QRectF(left + run.start * inner, top, run.length * inner, laneHeight));
    }

    QPainterPath load;
    const std::array<double, 7> levels{0.55, 0.30, 0.62, 0.40, 0.75, 0.45, 0.58};
    const double graphTop = tile.top() + tile.height() * 0.12;
    const double graphHeight = tile.height() * 0.26;
    for (size_t i = 0; i < levels.size(); ++i) {
        const QPointF point(left + inner * double(i) / double(levels.size() - 1),
                            graphTop + graphHeight * (1.0 - levels[i]));
        if (i == 0)
            load.moveTo(point);
        else
            load.lineTo(point);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(
        QPen(Qt::white, std::max(1.0, s / 24.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(load);
    return image;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fputs("usage: kavrin-paint-app-icon OUTPUT-FOLDER NAME\n", stderr);
        return 1;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        const QString dir = QStringLiteral("%1/hicolor/%2x%2/apps").arg(folder).arg(size);
        const QString file = dir + u'/' + name + QStringLiteral(".png");
        if (!QDir().mkpath(dir) || !paintIcon(size).save(file)) {
            std::fprintf(stderr, "kavrin-paint-app-icon: cannot write %s\n",
                         file.toLocal8Bit().constData());
            return 1;
        }
    }
    return 0;
}
