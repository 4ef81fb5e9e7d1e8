#include "agent/desktop/character_painter.h"

#include <QPainterPath>
#include <QRadialGradient>

#include "agent/figure/character_figure.h"

namespace wobbet::desktop {
namespace {

QPointF ToQt(figure::Point point) {
    return {point.x, point.y};
}

QColor ToQt(figure::Colour colour) {
    QColor result(colour.red, colour.green, colour.blue);
    result.setAlphaF(static_cast<float>(colour.alpha));
    return result;
}

QPainterPath PathOf(const figure::Outline& outline) {
    QPainterPath path;
    switch (outline.kind) {
        case figure::Outline::Kind::kEllipse:
            path.addEllipse(ToQt(outline.at), outline.width, outline.height);
            break;
        case figure::Outline::Kind::kRoundedRect:
            path.addRoundedRect(QRectF(ToQt(outline.at), QSizeF(outline.width, outline.height)),
                                outline.cornerRadius, outline.cornerRadius);
            break;
        case figure::Outline::Kind::kPath:
            for (const figure::PathElement& element : outline.path) {
                switch (element.kind) {
                    case figure::PathElement::Kind::kMoveTo:
                        path.moveTo(ToQt(element.to));
                        break;
                    case figure::PathElement::Kind::kLineTo:
                        path.lineTo(ToQt(element.to));
                        break;
                    case figure::PathElement::Kind::kCubicTo:
                        path.cubicTo(ToQt(element.control1), ToQt(element.control2),
                                     ToQt(element.to));
                        break;
                }
            }
            break;
    }
    return path;
}

QBrush BrushOf(const figure::Fill& fill) {
    switch (fill.kind) {
        case figure::Fill::Kind::kNone:
            break;
        case figure::Fill::Kind::kSolid:
            return ToQt(fill.colour);
        case figure::Fill::Kind::kRadialGradient: {
            QRadialGradient gradient(ToQt(fill.centre), fill.radius);
            gradient.setColorAt(0.0, ToQt(fill.colour));
            gradient.setColorAt(1.0, ToQt(fill.outer));
            return gradient;
        }
    }
    return Qt::NoBrush;
}

QPen PenOf(const figure::Stroke& stroke) {
    if (!stroke.present) {
        return Qt::NoPen;
    }
    QPen pen(ToQt(stroke.colour), stroke.width);
    if (stroke.round) {
        pen.setCapStyle(Qt::RoundCap);
        pen.setJoinStyle(Qt::RoundJoin);
    }
    return pen;
}

}  // namespace

void PaintCharacter(QPainter& painter, const figure::CharacterPose& pose, double side) {
    const figure::CharacterFigure drawn = figure::DrawFigure(pose, side);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(drawn.opacity);
    const QTransform base = painter.transform();
    for (const figure::Shape& shape : drawn.shapes) {
        const figure::Transform& t = shape.transform;
        painter.setTransform(QTransform(t.m11, t.m12, t.m21, t.m22, t.dx, t.dy) * base);
        if (shape.clip) {
            painter.setClipPath(PathOf(*shape.clip));
        } else {
            painter.setClipping(false);
        }
        painter.setPen(PenOf(shape.stroke));
        painter.setBrush(BrushOf(shape.fill));
        if (shape.outline.kind == figure::Outline::Kind::kEllipse) {
            painter.drawEllipse(ToQt(shape.outline.at), shape.outline.width, shape.outline.height);
        } else {
            painter.drawPath(PathOf(shape.outline));
        }
    }
    painter.restore();
}

QImage RenderCharacter(const figure::CharacterPose& pose, int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    PaintCharacter(painter, pose, side);
    return image;
}

}  // namespace wobbet::desktop
