// Paints the program's 16x16 icons. Run it after changing a picture and commit the PNGs:
//   kavrin-paint-icons presentation/models/icons app/icons
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>

#include <cstdio>
#include <functional>
#include <vector>

namespace {

using Draw = std::function<void(QPainter&)>;

struct Icon {
    const char* name;
    Draw draw;
};

QColor rgb(unsigned value) {
    return QColor::fromRgb(value);
}

void disc(QPainter& p, QColor fill, QRectF rect = {2.5, 2.5, 11, 11}) {
    p.setPen(QPen(fill.darker(160), 1));
    p.setBrush(fill);
    p.drawEllipse(rect);
}

void box(QPainter& p, QColor fill, QRectF rect = {2.5, 2.5, 11, 11}) {
    p.setPen(QPen(fill.darker(160), 1));
    p.setBrush(fill);
    p.drawRect(rect);
}

void polygon(QPainter& p, QColor fill, const QPolygonF& points) {
    p.setPen(QPen(fill.darker(160), 1));
    p.setBrush(fill);
    p.drawPolygon(points);
}

// An arrow pointing right (dx 1) or left (dx -1) through the middle.
void arrow(QPainter& p, QColor fill, int dx) {
    const double tip = dx > 0 ? 14.5 : 1.5;
    const double base = dx > 0 ? 8.5 : 7.5;
    const double tail = dx > 0 ? 1.5 : 14.5;
    polygon(p, fill,
            {{{tail, 6.5},
              {base, 6.5},
              {base, 2.5},
              {tip, 8},
              {base, 13.5},
              {base, 9.5},
              {tail, 9.5}}});
}

void verticalArrow(QPainter& p, QColor fill, int dy) {
    const double tip = dy > 0 ? 14.5 : 1.5;
    const double base = dy > 0 ? 8.5 : 7.5;
    const double tail = dy > 0 ? 1.5 : 14.5;
    polygon(p, fill,
            {{{6.5, tail},
              {6.5, base},
              {2.5, base},
              {8, tip},
              {13.5, base},
              {9.5, base},
              {9.5, tail}}});
}

void letter(QPainter& p, QColor colour, const char* text, int pixelSize = 11) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QString::fromLatin1(text));
}

void lettered(QPainter& p, QColor fill, const char* text, bool round = false) {
    if (round)
        disc(p, fill, {0.5, 0.5, 15, 15});
    else
        box(p, fill, {0.5, 0.5, 15, 15});
    letter(p, Qt::white, text);
}

void lens(QPainter& p, bool plus) {
    p.setPen(QPen(rgb(0x404040), 2));
    p.drawLine(QPointF(10, 10), QPointF(14.5, 14.5));
    disc(p, rgb(0xDDEEFF), {1.5, 1.5, 10, 10});
    p.setPen(QPen(rgb(0x203060), 1.5));
    p.drawLine(QPointF(4, 6.5), QPointF(9, 6.5));
    if (plus)
        p.drawLine(QPointF(6.5, 4), QPointF(6.5, 9));
}

// A window frame with a picture of its content drawn by `inner`.
void pane(QPainter& p, const Draw& inner) {
    box(p, Qt::white, {0.5, 1.5, 15, 13});
    p.fillRect(QRectF(1, 2, 14, 3), rgb(0x5070A0));
    inner(p);
}

void stripes(QPainter& p, QColor colour, int count) {
    p.setPen(QPen(colour, 1));
    for (int i = 0; i < count; ++i)
        p.drawLine(QPointF(3, 7.5 + 2 * i), QPointF(13, 7.5 + 2 * i));
}

std::vector<Icon> modelIcons() {
    const QColor isr = rgb(0xD62430), task = rgb(0x3467B8), idle = rgb(0x44A639);
    const QColor timer = rgb(0xD8AA40), api = rgb(0x694AB3), neutral = rgb(0x808080);
    return {
        // Event kinds of the event list.
        {"event_sync",
         [=](QPainter& p) {
             disc(p, neutral, {5.5, 5.5, 5, 5});
         }},
        {"event_overflow", [](QPainter& p) { lettered(p, rgb(0xF06D15), "!"); }},
        {"event_isr_enter", [=](QPainter& p) { arrow(p, isr, 1); }},
        {"event_isr_exit", [=](QPainter& p) { arrow(p, isr, -1); }},
        {"event_task_run",
         [=](QPainter& p) {
             polygon(p, task, {{{4, 2}, {13, 8}, {4, 14}}});
         }},
        {"event_task_stop",
         [=](QPainter& p) {
             box(p, task, {3.5, 3.5, 9, 9});
         }},
        {"event_task_ready", [=](QPainter& p) { verticalArrow(p, task, -1); }},
        {"event_task_block", [=](QPainter& p) { verticalArrow(p, task, 1); }},
        {"event_idle", [=](QPainter& p) { disc(p, idle); }},
        {"event_timer_enter", [=](QPainter& p) { lettered(p, timer, "T", true); }},
        {"event_timer_exit",
         [=](QPainter& p) {
             disc(p, Qt::white, {0.5, 0.5, 15, 15});
             letter(p, timer.darker(130), "T");
         }},
        {"event_api_end",
         [=](QPainter& p) {
             polygon(p, api, {{{12, 2}, {3, 8}, {12, 14}}});
         }},
        {"event_api_open", [=](QPainter& p) { lettered(p, api, "f"); }},
        {"event_api_closed",
         [=](QPainter& p) {
             box(p, Qt::white, {0.5, 0.5, 15, 15});
             letter(p, api, "f");
         }},
        {"event_log_info", [](QPainter& p) { lettered(p, rgb(0x3CB08B), "i"); }},
        {"event_log_warning", [](QPainter& p) { lettered(p, rgb(0xCAC401), "w"); }},
        {"event_log_error", [](QPainter& p) { lettered(p, rgb(0xAA1D24), "e"); }},
        // Message levels of the terminal and the message-severity pixmaps.
        {"message_info", [](QPainter& p) { lettered(p, rgb(0x2A5191), "i", true); }},
        {"message_warning",
         [](QPainter& p) {
             polygon(p, rgb(0xFFCC53), {{{8, 1}, {15, 14.5}, {1, 14.5}}});
             letter(p, Qt::black, "!", 10);
         }},
        {"message_error", [](QPainter& p) { lettered(p, rgb(0xD62430), "x", true); }},
        {"message_other", [=](QPainter& p) { lettered(p, neutral, "?", true); }},
        // Kinds of the contexts list's Type column.
        {"context_interrupt", [=](QPainter& p) { lettered(p, isr, "I"); }},
        {"context_scheduler", [](QPainter& p) { lettered(p, rgb(0x4B5978), "S"); }},
        {"context_timer", [=](QPainter& p) { lettered(p, timer, "T"); }},
        {"context_task", [=](QPainter& p) { lettered(p, task, "t"); }},
        {"context_idle", [=](QPainter& p) { lettered(p, idle, "z"); }},
        // System information groups and rows.
        {"info_group",
         [](QPainter& p) {
             box(p, rgb(0xFFE9A8), {1.5, 3.5, 13, 10});
         }},
        {"info_row",
         [=](QPainter& p) {
             disc(p, rgb(0x769DDA), {5.5, 5.5, 5, 5});
         }},
    };
}

std::vector<Icon> appIcons() {
    return {
        {"zoom_in", [](QPainter& p) { lens(p, true); }},
        {"zoom_out", [](QPainter& p) { lens(p, false); }},
        {"record_start", [](QPainter& p) { disc(p, rgb(0xE02020)); }},
        {"record_stop",
         [](QPainter& p) {
             box(p, rgb(0x505050), {3.5, 3.5, 9, 9});
         }},
        {"record_read",
         [](QPainter& p) {
             box(p, rgb(0xC7CEDE), {1.5, 9.5, 13, 5});
             verticalArrow(p, rgb(0x2E7D64), 1);
         }},
        {"window_events",
         [](QPainter& p) { pane(p, [](QPainter& q) { stripes(q, Qt::black, 3); }); }},
        {"window_system",
         [](QPainter& p) {
             pane(p, [](QPainter& q) {
                 stripes(q, rgb(0x808080), 3);
                 q.fillRect(QRectF(3, 7, 3, 6), rgb(0xFFCC53));
             });
         }},
        {"window_time",
         [](QPainter& p) {
             pane(p, [](QPainter& q) {
                 q.fillRect(QRectF(2, 7, 5, 2), rgb(0x3467B8));
                 q.fillRect(QRectF(7, 10, 4, 2), rgb(0xD62430));
                 q.fillRect(QRectF(11, 7, 3, 2), rgb(0x3467B8));
             });
         }},
        {"window_load",
         [](QPainter& p) {
             pane(p, [](QPainter& q) {
                 q.fillRect(QRectF(3, 9, 2, 5), rgb(0x44A639));
                 q.fillRect(QRectF(6, 7, 2, 7), rgb(0x44A639));
                 q.fillRect(QRectF(9, 10, 2, 4), rgb(0x44A639));
                 q.fillRect(QRectF(12, 8, 2, 6), rgb(0x44A639));
             });
         }},
        {"window_contexts",
         [](QPainter& p) {
             pane(p, [](QPainter& q) {
                 stripes(q, Qt::black, 3);
                 q.fillRect(QRectF(3, 7, 2, 6), rgb(0x3467B8));
             });
         }},
        {"window_terminal",
         [](QPainter& p) {
             box(p, Qt::black, {0.5, 1.5, 15, 13});
             letter(p, rgb(0x40FF40), ">_", 8);
         }},
        {"window_log",
         [](QPainter& p) { pane(p, [](QPainter& q) { stripes(q, rgb(0xA71D23), 3); }); }},
        {"status_recording",
         [](QPainter& p) {
             disc(p, rgb(0xFF2020), {3.5, 3.5, 9, 9});
         }},
    };
}

bool paintAll(const std::vector<Icon>& icons, const QString& directory) {
    QDir().mkpath(directory);
    for (const Icon& icon : icons) {
        QImage image(16, 16, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        icon.draw(painter);
        painter.end();
        const QString path = directory + u'/' + QString::fromLatin1(icon.name) + ".png";
        if (!image.save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return false;
        }
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    QGuiApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: kavrin-paint-icons MODELS_ICON_DIR APP_ICON_DIR\n");
        return 1;
    }
    const bool written = paintAll(modelIcons(), QString::fromLocal8Bit(argv[1])) &&
                         paintAll(appIcons(), QString::fromLocal8Bit(argv[2]));
    return written ? 0 : 2;
}
