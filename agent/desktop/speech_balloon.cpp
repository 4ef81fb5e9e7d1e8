#include "agent/desktop/speech_balloon.h"

#include <QBitmap>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <algorithm>

#include "agent/desktop/display_compositor.h"

namespace wobbet::desktop {
namespace {

constexpr int kPadding = 10;
constexpr int kTail = 14;
constexpr int kTextFlags = Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop;

}  // namespace

SpeechBalloon::SpeechBalloon(QWidget* parent)
    : QWidget(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::ToolTip) {
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    QFont font = this->font();
    font.setPointSizeF(std::max(10.0, font.pointSizeF()));
    setFont(font);
}

void SpeechBalloon::ShowText(const QString& text, const QRect& character) {
    text_ = text;
    const QFontMetrics metrics(font());
    textRect_ = metrics.boundingRect(QRect(0, 0, kMaxTextWidth, 10000), kTextFlags, text_);
    textRect_.setWidth(std::max(textRect_.width(), 24));
    Place(character);
    show();
    raise();
    update();
}

void SpeechBalloon::Follow(const QRect& character) {
    if (isVisible()) {
        Place(character);
    }
}

void SpeechBalloon::Place(const QRect& character) {
    const QSize size(textRect_.width() + 2 * kPadding, textRect_.height() + 2 * kPadding + kTail);
    setFixedSize(size);
    QScreen* screen = QGuiApplication::screenAt(character.center());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(character);
    tailBelow_ = character.top() - size.height() >= area.top();
    const int top = tailBelow_ ? character.top() - size.height() + 6 : character.bottom() - 6;
    const int left = std::clamp(character.center().x() - size.width() / 2, area.left(),
                                std::max(area.left(), area.right() - size.width()));
    move(left, top);
    tailX_ = std::clamp(character.center().x() - left, kPadding + kTail, size.width() - 2 * kTail);
    if (DisplayComposites()) {
        clearMask();
        return;
    }
    // Drawn whole, not through the last reply's mask, so that a longer reply is not cut to the
    // shape of a shorter one.
    QImage shape(size, QImage::Format_ARGB32_Premultiplied);
    shape.fill(Qt::transparent);
    QPainter painter(&shape);
    render(&painter, QPoint(), QRegion(), RenderFlags(DrawChildren | IgnoreMask));
    painter.end();
    setMask(QBitmap::fromImage(shape.createAlphaMask()));
}

void SpeechBalloon::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const double body = height() - kTail;
    const QRectF frame = tailBelow_ ? QRectF(1, 1, width() - 2, body - 2)
                                    : QRectF(1, kTail + 1, width() - 2, body - 2);
    QPainterPath balloon;
    balloon.addRoundedRect(frame, 10, 10);
    QPainterPath tail;
    const double x = tailX_;
    if (tailBelow_) {
        tail.moveTo(x - kTail * 0.6, frame.bottom() - 2);
        tail.lineTo(x + kTail * 0.2, frame.bottom() + kTail - 2);
        tail.lineTo(x + kTail * 0.5, frame.bottom() - 2);
    } else {
        tail.moveTo(x - kTail * 0.6, frame.top() + 2);
        tail.lineTo(x + kTail * 0.2, frame.top() - kTail + 2);
        tail.lineTo(x + kTail * 0.5, frame.top() + 2);
    }
    tail.closeSubpath();
    painter.setPen(QPen(QColor(60, 60, 70), 1.5));
    painter.setBrush(QColor(255, 255, 235));
    painter.drawPath(balloon.united(tail));
    painter.setPen(QColor(20, 20, 30));
    painter.drawText(QRectF(frame.left() + kPadding - 1, frame.top() + kPadding - 1,
                            textRect_.width() + 2, textRect_.height() + 2),
                     kTextFlags, text_);
}

}  // namespace wobbet::desktop
