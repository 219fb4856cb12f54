#include "gui/Artwork.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <functional>

namespace mv::art {

namespace {

const QColor kInk(13, 53, 80);
const QColor kBlue(31, 95, 139);
const QColor kRed(192, 57, 43);
const QColor kPeach(240, 202, 166);

using TDraw = std::function<void(QPainter&)>;

// Every icon is drawn on a 64 x 64 grid and scaled to the sizes asked for.
QImage Draw(int size, const TDraw& draw) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    draw(p);
    return image;
}

QIcon MakeIcon(const TDraw& draw) {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64})
        icon.addPixmap(QPixmap::fromImage(Draw(size, draw)));
    return icon;
}

QPen Pen(const QColor& c, double w) {
    return QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Sheet(QPainter& p, const QRectF& r) {
    const double fold = r.width() * 0.3;
    QPainterPath path;
    path.moveTo(r.topLeft());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.bottomRight());
    path.lineTo(r.bottomLeft());
    path.closeSubpath();
    p.setPen(Pen(kInk, 3));
    p.setBrush(Qt::white);
    p.drawPath(path);
    p.setBrush(QColor(220, 228, 236));
    p.drawPolygon(QPolygonF({QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold),
                             QPointF(r.right(), r.top() + fold)}));
}

void Folder(QPainter& p) {
    p.setPen(Pen(QColor(122, 84, 20), 3));
    p.setBrush(QColor(240, 190, 80));
    QPainterPath back;
    back.moveTo(6, 14);
    back.lineTo(24, 14);
    back.lineTo(29, 20);
    back.lineTo(56, 20);
    back.lineTo(56, 52);
    back.lineTo(6, 52);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(QColor(252, 214, 120));
    p.drawPolygon(QPolygonF({QPointF(6, 52), QPointF(14, 28), QPointF(62, 28), QPointF(56, 52)}));
}

void Floppy(QPainter& p) {
    p.setPen(Pen(kInk, 3));
    p.setBrush(kBlue);
    QPainterPath body;
    body.moveTo(8, 8);
    body.lineTo(48, 8);
    body.lineTo(56, 16);
    body.lineTo(56, 56);
    body.lineTo(8, 56);
    body.closeSubpath();
    p.drawPath(body);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(16, 34, 32, 22));
    p.setBrush(QColor(200, 210, 220));
    p.drawRect(QRectF(18, 8, 24, 15));
    p.setBrush(kBlue);
    p.drawRect(QRectF(33, 11, 5, 9));
}

} // namespace

QImage AppImage(int size) {
    return Draw(size, [](QPainter& p) {
        p.setPen(Qt::NoPen);
        p.setBrush(kBlue);
        p.drawRoundedRect(QRectF(2, 2, 60, 60), 10, 10);
        p.setPen(Pen(kInk, 1.5));
        p.setBrush(Qt::white);
        p.drawRoundedRect(QRectF(10, 8, 34, 44), 2, 2);
        QPainterPath curve;
        curve.moveTo(15, 44);
        curve.cubicTo(19, 20, 33, 40, 39, 14);
        p.setPen(Pen(kRed, 2.5));
        p.setBrush(Qt::NoBrush);
        p.drawPath(curve);
        p.setPen(Pen(QColor(127, 140, 141), 1));
        p.drawLine(QPointF(15, 44), QPointF(19, 20));
        p.drawLine(QPointF(39, 14), QPointF(33, 40));
        p.setPen(Qt::NoPen);
        p.setBrush(kInk);
        p.drawRect(QRectF(13, 42, 4, 4));
        p.drawRect(QRectF(37, 12, 4, 4));
        p.setPen(Pen(kInk, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(17, 18, 4, 4));
        p.drawRect(QRectF(31, 38, 4, 4));
        p.setPen(Pen(kInk, 1.5));
        p.setBrush(kPeach);
        p.drawPolygon(QPolygonF({QPointF(36, 46), QPointF(48, 46), QPointF(48, 40), QPointF(58, 50),
                                 QPointF(48, 60), QPointF(48, 54), QPointF(36, 54)}));
    });
}

QIcon AppIcon() {
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addPixmap(QPixmap::fromImage(AppImage(size)));
    return icon;
}

QIcon NewIcon() {
    return MakeIcon([](QPainter& p) {
        Sheet(p, QRectF(12, 6, 40, 52));
        p.setPen(Pen(QColor(230, 160, 0), 3));
        for (int i = 0; i < 4; ++i) {
            QTransform t;
            t.translate(46, 46);
            t.rotate(45.0 * i);
            p.drawLine(t.map(QPointF(-9, 0)), t.map(QPointF(9, 0)));
        }
    });
}

QIcon OpenIcon() {
    return MakeIcon([](QPainter& p) { Folder(p); });
}

QIcon SaveIcon() {
    return MakeIcon([](QPainter& p) { Floppy(p); });
}

QIcon SaveAsIcon() {
    return MakeIcon([](QPainter& p) {
        Floppy(p);
        // A pencil across the label: save under a new name.
        p.setPen(Pen(kInk, 2));
        p.setBrush(QColor(250, 200, 60));
        p.drawPolygon(QPolygonF({QPointF(34, 60), QPointF(30, 56), QPointF(54, 32), QPointF(58, 36)}));
        p.setBrush(kRed);
        p.drawPolygon(QPolygonF({QPointF(54, 32), QPointF(58, 28), QPointF(62, 32), QPointF(58, 36)}));
    });
}

QIcon SelectPageIcon() {
    return MakeIcon([](QPainter& p) {
        Sheet(p, QRectF(8, 4, 34, 44));
        p.setPen(Pen(kRed, 3));
        p.setBrush(Qt::NoBrush);
        p.drawLine(QPointF(14, 38), QPointF(34, 16));
        // A magnifier: picking files.
        p.setPen(Pen(kInk, 5));
        p.drawLine(QPointF(50, 50), QPointF(60, 60));
        p.setPen(Pen(kInk, 4));
        p.setBrush(QColor(200, 230, 255, 200));
        p.drawEllipse(QPointF(42, 42), 11, 11);
    });
}

QIcon ConvertPageIcon() {
    return MakeIcon([](QPainter& p) {
        Sheet(p, QRectF(4, 8, 26, 34));
        Sheet(p, QRectF(34, 22, 26, 34));
        p.setPen(Pen(kInk, 2));
        p.setBrush(kPeach);
        p.drawPolygon(QPolygonF({QPointF(14, 48), QPointF(24, 48), QPointF(24, 42), QPointF(34, 52),
                                 QPointF(24, 62), QPointF(24, 56), QPointF(14, 56)}));
    });
}

QIcon WebIcon() {
    return MakeIcon([](QPainter& p) {
        p.setPen(Pen(kInk, 3));
        p.setBrush(QColor(120, 190, 240));
        p.drawEllipse(QPointF(32, 32), 26, 26);
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(QPointF(32, 32), 11, 26);
        p.drawLine(QPointF(6, 32), QPointF(58, 32));
        p.drawLine(QPointF(32, 6), QPointF(32, 58));
        p.drawLine(QPointF(10, 19), QPointF(54, 19));
        p.drawLine(QPointF(10, 45), QPointF(54, 45));
    });
}

QIcon AboutIcon() {
    return MakeIcon([](QPainter& p) {
        p.setPen(Pen(kInk, 3));
        p.setBrush(kBlue);
        p.drawEllipse(QPointF(32, 32), 27, 27);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::white);
        p.drawEllipse(QPointF(32, 18), 5, 5);
        p.drawRoundedRect(QRectF(27, 27, 10, 24), 3, 3);
    });
}

QIcon CancelIcon() {
    return MakeIcon([](QPainter& p) {
        p.setPen(Pen(QColor(120, 20, 20), 3));
        p.setBrush(kRed);
        p.drawEllipse(QPointF(32, 32), 27, 27);
        p.setPen(Pen(Qt::white, 7));
        p.drawLine(QPointF(21, 21), QPointF(43, 43));
        p.drawLine(QPointF(43, 21), QPointF(21, 43));
    });
}

QIcon HomeIcon() {
    return MakeIcon([](QPainter& p) {
        p.setPen(Pen(kInk, 3));
        p.setBrush(kPeach);
        p.drawPolygon(QPolygonF({QPointF(12, 30), QPointF(12, 58), QPointF(52, 58), QPointF(52, 30)}));
        p.setBrush(kRed);
        p.drawPolygon(QPolygonF({QPointF(4, 32), QPointF(32, 6), QPointF(60, 32)}));
        p.setBrush(kBlue);
        p.drawRect(QRectF(26, 40, 12, 18));
    });
}

QIcon RootIcon() {
    return MakeIcon([](QPainter& p) {
        // A drive.
        p.setPen(Pen(kInk, 3));
        p.setBrush(QColor(200, 205, 210));
        p.drawRoundedRect(QRectF(6, 20, 52, 26), 5, 5);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(40, 200, 60));
        p.drawEllipse(QPointF(48, 33), 4, 4);
        p.setPen(Pen(kInk, 2));
        p.drawLine(QPointF(14, 33), QPointF(36, 33));
    });
}

QImage DecorationPicture(QSize size) {
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    if (size.isEmpty()) return image;
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    // Drawn on a 200 x 260 grid, centred and scaled to fit.
    const double scale = std::min(size.width() / 200.0, size.height() / 260.0);
    p.translate((size.width() - 200 * scale) / 2, (size.height() - 260 * scale) / 2);
    p.scale(scale, scale);

    // The metafile: a sheet with a picture of curves and filled shapes.
    p.save();
    p.translate(18, 28);
    p.rotate(-6);
    p.setPen(Pen(QColor(60, 90, 60), 2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(0, 0, 96, 120));
    p.setPen(Pen(kRed, 3));
    p.setBrush(QColor(250, 220, 200));
    p.drawEllipse(QRectF(14, 16, 40, 40));
    p.setBrush(QColor(150, 200, 240));
    p.setPen(Pen(kBlue, 3));
    p.drawRect(QRectF(44, 40, 38, 30));
    QPainterPath wave;
    wave.moveTo(10, 100);
    wave.cubicTo(30, 70, 60, 125, 86, 86);
    p.setBrush(Qt::NoBrush);
    p.setPen(Pen(QColor(40, 120, 60), 3));
    p.drawPath(wave);
    p.restore();

    // The arrow of the conversion.
    p.setPen(Pen(QColor(90, 40, 20), 2));
    p.setBrush(kPeach);
    p.drawPolygon(QPolygonF({QPointF(86, 140), QPointF(110, 140), QPointF(110, 128), QPointF(134, 152),
                             QPointF(110, 176), QPointF(110, 164), QPointF(86, 164)}));

    // The DXF drawing: the same shapes as thin lines on a drafting grid.
    p.save();
    p.translate(92, 150);
    p.rotate(5);
    p.setPen(Pen(QColor(60, 90, 60), 2));
    p.setBrush(QColor(24, 40, 64));
    p.drawRect(QRectF(0, 0, 96, 104));
    p.setPen(QPen(QColor(60, 90, 120), 0.8));
    for (int i = 12; i < 96; i += 12)
        p.drawLine(QPointF(i, 2), QPointF(i, 102));
    for (int i = 12; i < 104; i += 12)
        p.drawLine(QPointF(2, i), QPointF(94, i));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 90, 90), 1.6));
    p.drawEllipse(QRectF(14, 12, 36, 36));
    p.setPen(QPen(QColor(110, 200, 255), 1.6));
    p.drawRect(QRectF(42, 34, 36, 28));
    QPainterPath wave2;
    wave2.moveTo(10, 90);
    wave2.cubicTo(30, 62, 58, 110, 84, 74);
    p.setPen(QPen(QColor(120, 230, 140), 1.6));
    p.drawPath(wave2);
    p.setPen(QPen(Qt::white, 1));
    p.setBrush(Qt::white);
    for (const QPointF& q : {QPointF(10, 90), QPointF(84, 74), QPointF(32, 30), QPointF(42, 34)})
        p.drawRect(QRectF(q.x() - 2, q.y() - 2, 4, 4));
    p.restore();

    // A drafting compass over the sheets.
    p.save();
    p.translate(150, 20);
    p.setPen(Pen(QColor(70, 70, 80), 4));
    p.drawLine(QPointF(0, 14), QPointF(-22, 92));
    p.drawLine(QPointF(0, 14), QPointF(22, 92));
    p.setPen(Pen(QColor(70, 70, 80), 2));
    p.drawLine(QPointF(-22, 92), QPointF(-24, 102));
    p.setBrush(QColor(200, 160, 40));
    p.drawEllipse(QPointF(0, 12), 7, 7);
    p.drawRect(QRectF(-3, -4, 6, 10));
    p.restore();
    return image;
}

} // namespace mv::art
