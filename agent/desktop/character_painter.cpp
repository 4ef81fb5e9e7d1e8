#include "agent/desktop/character_painter.h"

#include <QPainterPath>
#include <QRadialGradient>
#include <algorithm>
#include <cmath>

namespace wobbet::desktop {
namespace {

const QColor kOutline(31, 86, 110);
const QColor kBodyLight(140, 222, 240);
const QColor kBodyDark(48, 150, 190);
const QColor kBelly(214, 245, 250);
const QColor kFeet(36, 118, 152);
const QColor kPupil(30, 34, 48);
const QColor kMouth(120, 30, 50);
const QColor kTongue(240, 110, 120);
const QColor kCheek(255, 120, 140);
const QColor kTear(110, 190, 255);
const QColor kSparkle(255, 214, 70);

// A stubby arm hanging from the shoulder at (x, y), raised by the angle (degrees) and pointing
// away from the body on the given side (-1 left, 1 right).
void PaintArm(QPainter& painter, QPointF shoulder, double raised, int side, double radius) {
    painter.save();
    painter.translate(shoulder);
    painter.rotate(side * (20.0 + raised));
    const QRectF arm(-radius * 0.17, -radius * 0.05, radius * 0.34, radius * 0.78);
    painter.setBrush(kBodyDark);
    painter.drawRoundedRect(arm, radius * 0.17, radius * 0.17);
    painter.restore();
}

void PaintEye(QPainter& painter, QPointF centre, const CharacterPose& pose, double radius,
              int side) {
    const double width = radius * 0.32;
    const double height = radius * 0.42;
    const QPen line(kPupil, std::max(1.5, radius * 0.06), Qt::SolidLine, Qt::RoundCap);
    if (pose.happyEyes > 0.5) {
        // A smiling arc, like ^.
        painter.setPen(line);
        painter.setBrush(Qt::NoBrush);
        QPainterPath arc;
        arc.moveTo(centre + QPointF(-width * 0.55, height * 0.15));
        arc.quadTo(centre + QPointF(0.0, -height * 0.55),
                   centre + QPointF(width * 0.55, height * 0.15));
        painter.drawPath(arc);
        return;
    }
    const double open = std::clamp(pose.eyesOpen, 0.0, 1.0);
    if (open < 0.15) {
        painter.setPen(line);
        painter.drawLine(centre + QPointF(-width * 0.5, 0.0), centre + QPointF(width * 0.5, 0.0));
        return;
    }
    painter.setPen(QPen(kOutline, std::max(1.0, radius * 0.03)));
    painter.setBrush(Qt::white);
    painter.drawEllipse(centre, width * 0.5, height * 0.5 * open);
    // The pupil looks about but stays inside the eye; the lid clips it when half closed.
    painter.save();
    QPainterPath eye;
    eye.addEllipse(centre, width * 0.5, height * 0.5 * open);
    painter.setClipPath(eye);
    const QPointF pupil = centre + QPointF(pose.lookX * width * 0.22 + side * width * 0.04,
                                           pose.lookY * height * 0.22 + height * 0.05);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kPupil);
    painter.drawEllipse(pupil, width * 0.3, height * 0.3);
    painter.setBrush(Qt::white);
    painter.drawEllipse(pupil + QPointF(-width * 0.1, -height * 0.12), width * 0.1, width * 0.1);
    painter.restore();
}

void PaintMouth(QPainter& painter, QPointF centre, const CharacterPose& pose, double radius) {
    const double halfWidth = radius * (0.2 + 0.06 * std::max(0.0, pose.smile));
    const double curve = pose.smile * radius * 0.22;
    const double open = std::clamp(pose.mouthOpen, 0.0, 1.0) * radius * 0.3;
    const QPointF left = centre + QPointF(-halfWidth, -curve * 0.3);
    const QPointF right = centre + QPointF(halfWidth, -curve * 0.3);
    const QPen line(kPupil, std::max(1.5, radius * 0.05), Qt::SolidLine, Qt::RoundCap,
                    Qt::RoundJoin);
    if (open < radius * 0.02) {
        QPainterPath smile;
        smile.moveTo(left);
        smile.quadTo(centre + QPointF(0.0, curve), right);
        painter.setPen(line);
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(smile);
        return;
    }
    QPainterPath mouth;
    mouth.moveTo(left);
    mouth.quadTo(centre + QPointF(0.0, curve * 0.4 - open * 0.2), right);
    mouth.quadTo(centre + QPointF(0.0, curve + open * 1.6), left);
    painter.setPen(line);
    painter.setBrush(kMouth);
    painter.drawPath(mouth);
    painter.save();
    painter.setClipPath(mouth);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kTongue);
    painter.drawEllipse(centre + QPointF(0.0, curve * 0.6 + open * 0.9), halfWidth * 0.55,
                        open * 0.5);
    painter.restore();
}

void PaintSparkles(QPainter& painter, QPointF centre, double progress, double radius) {
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 5; ++i) {
        const double phase = progress * 1.4 - i * 0.15;
        if (phase <= 0.0 || phase >= 1.0) {
            continue;
        }
        const double angle = -2.6 + i * 0.55;
        const double distance = radius * (1.05 + 0.35 * phase);
        const QPointF at = centre + QPointF(std::cos(angle) * distance,
                                            std::sin(angle) * distance - radius * 0.3 * phase);
        const double size = radius * 0.13 * std::sin(phase * 3.14159);
        QPainterPath star;
        star.moveTo(at + QPointF(0, -size));
        star.quadTo(at, at + QPointF(size, 0));
        star.quadTo(at, at + QPointF(0, size));
        star.quadTo(at, at + QPointF(-size, 0));
        star.quadTo(at, at + QPointF(0, -size));
        QColor colour = kSparkle;
        colour.setAlphaF(static_cast<float>(std::sin(phase * 3.14159)));
        painter.setBrush(colour);
        painter.drawPath(star);
    }
}

}  // namespace

void PaintCharacter(QPainter& painter, const CharacterPose& pose, double side) {
    if (pose.scale <= 0.01 || pose.opacity <= 0.01) {
        return;
    }
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(std::clamp(pose.opacity, 0.0, 1.0));

    const double radius = side * 0.31;
    const double ground = side * 0.93;
    const double lift = pose.hop * radius * 2.0;

    // The shadow stays on the ground and shrinks as the character rises.
    const double shadow = std::max(0.3, 1.0 - pose.hop * 2.5) * pose.scale;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0, 0, 0, 50));
    painter.drawEllipse(QPointF(side * 0.5, ground), radius * 0.85 * shadow,
                        radius * 0.16 * shadow);

    // Everything else scales about the feet, so the character grows out of the ground.
    painter.translate(side * 0.5, ground - lift);
    painter.scale(pose.scale, pose.scale);
    painter.rotate(pose.lean);
    const double width = radius * (1.0 + pose.squash * 0.3);
    const double height = radius * (1.0 - pose.squash * 0.3);
    const QPointF centre(0.0, -height - radius * 0.12);

    painter.setPen(QPen(kOutline, std::max(1.0, radius * 0.05)));
    painter.setBrush(kFeet);
    painter.drawEllipse(QPointF(-radius * 0.4, -radius * 0.1), radius * 0.26, radius * 0.14);
    painter.drawEllipse(QPointF(radius * 0.4, -radius * 0.1), radius * 0.26, radius * 0.14);

    PaintArm(painter, centre + QPointF(-width * 0.82, height * 0.1), pose.leftArm, 1, radius);
    PaintArm(painter, centre + QPointF(width * 0.82, height * 0.1), pose.rightArm, -1, radius);

    QRadialGradient body(centre + QPointF(-width * 0.35, -height * 0.45), radius * 1.6);
    body.setColorAt(0.0, kBodyLight);
    body.setColorAt(1.0, kBodyDark);
    painter.setPen(QPen(kOutline, std::max(1.0, radius * 0.05)));
    painter.setBrush(body);
    painter.drawEllipse(centre, width, height);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kBelly);
    painter.drawEllipse(centre + QPointF(0.0, height * 0.45), width * 0.55, height * 0.4);
    painter.setBrush(QColor(255, 255, 255, 110));
    painter.drawEllipse(centre + QPointF(-width * 0.45, -height * 0.55), width * 0.18,
                        height * 0.1);

    const QPointF face = centre + QPointF(0.0, pose.nod * radius * 0.18);
    const QPointF leftEye = face + QPointF(-radius * 0.33, -radius * 0.2);
    const QPointF rightEye = face + QPointF(radius * 0.33, -radius * 0.2);
    if (pose.blush > 0.0) {
        QColor cheek = kCheek;
        cheek.setAlphaF(static_cast<float>(std::clamp(pose.blush, 0.0, 1.0) * 0.6));
        painter.setPen(Qt::NoPen);
        painter.setBrush(cheek);
        painter.drawEllipse(leftEye + QPointF(-radius * 0.12, radius * 0.32), radius * 0.13,
                            radius * 0.08);
        painter.drawEllipse(rightEye + QPointF(radius * 0.12, radius * 0.32), radius * 0.13,
                            radius * 0.08);
    }
    PaintEye(painter, leftEye, pose, radius, 1);
    PaintEye(painter, rightEye, pose, radius, -1);
    if (pose.sadBrows > 0.05) {
        const double tilt = pose.sadBrows * radius * 0.1;
        painter.setPen(QPen(kPupil, std::max(1.5, radius * 0.05), Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(leftEye + QPointF(-radius * 0.14, -radius * 0.24),
                         leftEye + QPointF(radius * 0.12, -radius * 0.24 - tilt));
        painter.drawLine(rightEye + QPointF(radius * 0.14, -radius * 0.24),
                         rightEye + QPointF(-radius * 0.12, -radius * 0.24 - tilt));
    }
    PaintMouth(painter, face + QPointF(0.0, radius * 0.28), pose, radius);

    if (pose.tear > 0.0 && pose.tear < 1.0) {
        const double fall = pose.tear;
        const QPointF drop = rightEye + QPointF(radius * 0.05, radius * (0.18 + 0.5 * fall));
        QPainterPath tear;
        tear.moveTo(drop + QPointF(0.0, -radius * 0.2));
        tear.cubicTo(drop + QPointF(radius * 0.03, -radius * 0.08),
                     drop + QPointF(radius * 0.13, radius * 0.08),
                     drop + QPointF(0.0, radius * 0.08));
        tear.cubicTo(drop + QPointF(-radius * 0.13, radius * 0.08),
                     drop + QPointF(-radius * 0.03, -radius * 0.08),
                     drop + QPointF(0.0, -radius * 0.2));
        const auto fade = static_cast<float>(1.0 - fall * fall);
        QColor colour = kTear;
        colour.setAlphaF(fade);
        painter.setPen(QPen(QColor(255, 255, 255, static_cast<int>(220 * fade)), radius * 0.03));
        painter.setBrush(colour);
        painter.drawPath(tear);
    }
    if (pose.sparkle > 0.0) {
        PaintSparkles(painter, centre, pose.sparkle, radius);
    }
    painter.restore();
}

QImage RenderCharacter(const CharacterPose& pose, int side) {
    QImage image(side, side, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    PaintCharacter(painter, pose, side);
    return image;
}

}  // namespace wobbet::desktop
