#include "app/qt/program_icon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace wobbet {
namespace {

// The picture is laid out on a 48 by 48 grid and scaled to the size asked for.
constexpr double kGrid = 48.0;

QPainterPath BubbleOutline() {
    QPainterPath bubble;
    bubble.addRoundedRect(QRectF(3, 4, 42, 32), 11, 11);
    QPainterPath tail;
    tail.moveTo(11, 30);
    tail.lineTo(8, 45);
    tail.lineTo(24, 33);
    tail.closeSubpath();
    return bubble.united(tail);
}

void DrawEye(QPainter* painter, QPointF centre) {
    painter->setPen(Qt::NoPen);
    painter->setBrush(Qt::white);
    painter->drawEllipse(centre, 5.0, 6.0);
    painter->setBrush(QColor(0x1a, 0x2a, 0x40));
    painter->drawEllipse(centre + QPointF(1.2, 1.0), 2.6, 3.0);
}

}  // namespace

QImage DrawProgramIcon(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / kGrid, size / kGrid);

    QLinearGradient body(0, 4, 0, 45);
    body.setColorAt(0.0, QColor(0x6c, 0xb8, 0xf0));
    body.setColorAt(1.0, QColor(0x23, 0x63, 0xb0));
    painter.setBrush(body);
    painter.setPen(QPen(QColor(0x15, 0x3e, 0x75), 2.0));
    painter.drawPath(BubbleOutline());

    DrawEye(&painter, QPointF(17, 16));
    DrawEye(&painter, QPointF(31, 16));

    QPen smile(Qt::white, 3.0, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(smile);
    painter.setBrush(Qt::NoBrush);
    painter.drawArc(QRectF(15, 15, 18, 13), 200 * 16, 140 * 16);
    return image;
}

QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128}) {
        icon.addPixmap(QPixmap::fromImage(DrawProgramIcon(size)));
    }
    return icon;
}

}  // namespace wobbet
