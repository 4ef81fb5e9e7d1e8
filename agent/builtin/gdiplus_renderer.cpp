#include "agent/builtin/gdiplus_renderer.h"

#include <objidl.h>
// GDI+ after the COM declarations it builds on.
#include <gdiplus.h>

#include <algorithm>
#include <cmath>

namespace wobbet::builtin {
namespace {

using Gdiplus::REAL;

REAL Real(double value) {
    return static_cast<REAL>(value);
}

Gdiplus::PointF ToGdiplus(figure::Point point) {
    return {Real(point.x), Real(point.y)};
}

Gdiplus::Color ToGdiplus(figure::Colour colour, double opacity) {
    const double alpha = std::clamp(colour.alpha * opacity, 0.0, 1.0);
    return Gdiplus::Color(static_cast<BYTE>(std::lround(alpha * 255)), colour.red, colour.green,
                          colour.blue);
}

void AddRoundedRect(Gdiplus::GraphicsPath& path, REAL left, REAL top, REAL width, REAL height,
                    REAL radius) {
    const REAL diameter = std::min({radius * 2, width, height});
    path.AddArc(left, top, diameter, diameter, 180, 90);
    path.AddArc(left + width - diameter, top, diameter, diameter, 270, 90);
    path.AddArc(left + width - diameter, top + height - diameter, diameter, diameter, 0, 90);
    path.AddArc(left, top + height - diameter, diameter, diameter, 90, 90);
    path.CloseFigure();
}

void AddOutline(Gdiplus::GraphicsPath& path, const figure::Outline& outline) {
    switch (outline.kind) {
        case figure::Outline::Kind::kEllipse:
            path.AddEllipse(Real(outline.at.x - outline.width), Real(outline.at.y - outline.height),
                            Real(outline.width * 2), Real(outline.height * 2));
            return;
        case figure::Outline::Kind::kRoundedRect:
            AddRoundedRect(path, Real(outline.at.x), Real(outline.at.y), Real(outline.width),
                           Real(outline.height), Real(outline.cornerRadius));
            return;
        case figure::Outline::Kind::kPath:
            break;
    }
    Gdiplus::PointF last;
    for (const figure::PathElement& element : outline.path) {
        const Gdiplus::PointF to = ToGdiplus(element.to);
        switch (element.kind) {
            case figure::PathElement::Kind::kMoveTo:
                path.StartFigure();
                break;
            case figure::PathElement::Kind::kLineTo:
                path.AddLine(last, to);
                break;
            case figure::PathElement::Kind::kCubicTo:
                path.AddBezier(last, ToGdiplus(element.control1), ToGdiplus(element.control2), to);
                break;
        }
        last = to;
    }
}

void Fill(Gdiplus::Graphics& graphics, const Gdiplus::GraphicsPath& path, const figure::Fill& fill,
          double opacity) {
    switch (fill.kind) {
        case figure::Fill::Kind::kNone:
            return;
        case figure::Fill::Kind::kSolid: {
            const Gdiplus::SolidBrush brush(ToGdiplus(fill.colour, opacity));
            graphics.FillPath(&brush, &path);
            return;
        }
        case figure::Fill::Kind::kRadialGradient: {
            // The outer colour everywhere, then the gradient over its circle.
            const Gdiplus::SolidBrush outer(ToGdiplus(fill.outer, opacity));
            graphics.FillPath(&outer, &path);
            Gdiplus::GraphicsPath circle;
            circle.AddEllipse(Real(fill.centre.x - fill.radius), Real(fill.centre.y - fill.radius),
                              Real(fill.radius * 2), Real(fill.radius * 2));
            Gdiplus::PathGradientBrush gradient(&circle);
            gradient.SetCenterPoint(ToGdiplus(fill.centre));
            gradient.SetCenterColor(ToGdiplus(fill.colour, opacity));
            Gdiplus::Color surround = ToGdiplus(fill.outer, opacity);
            INT count = 1;
            gradient.SetSurroundColors(&surround, &count);
            graphics.FillPath(&gradient, &path);
            return;
        }
    }
}

void Stroke(Gdiplus::Graphics& graphics, const Gdiplus::GraphicsPath& path,
            const figure::Stroke& stroke, double opacity) {
    if (!stroke.present) {
        return;
    }
    Gdiplus::Pen pen(ToGdiplus(stroke.colour, opacity), Real(stroke.width));
    if (stroke.round) {
        pen.SetLineCap(Gdiplus::LineCapRound, Gdiplus::LineCapRound, Gdiplus::DashCapRound);
        pen.SetLineJoin(Gdiplus::LineJoinRound);
    } else {
        pen.SetLineCap(Gdiplus::LineCapSquare, Gdiplus::LineCapSquare, Gdiplus::DashCapFlat);
        pen.SetLineJoin(Gdiplus::LineJoinBevel);
    }
    graphics.DrawPath(&pen, &path);
}

PremultipliedImage BlankImage(int width, int height) {
    return {width, height,
            std::vector<std::uint32_t>(static_cast<std::size_t>(std::max(0, width * height)))};
}

// A bitmap that draws straight into the image's pixels.
Gdiplus::Bitmap BitmapOver(PremultipliedImage& image) {
    return Gdiplus::Bitmap(image.width, image.height, image.width * 4, PixelFormat32bppPARGB,
                           reinterpret_cast<BYTE*>(image.pixels.data()));
}

// The first of the fonts that this system has; a clean system may lack any one of them.
std::unique_ptr<Gdiplus::Font> BalloonFont(double pixels) {
    for (const wchar_t* family : {L"Tahoma", L"MS Shell Dlg", L"Arial", L"DejaVu Sans"}) {
        const Gdiplus::FontFamily found(family);
        if (found.GetLastStatus() != Gdiplus::Ok) {
            continue;
        }
        auto font = std::make_unique<Gdiplus::Font>(&found, Real(pixels), Gdiplus::FontStyleRegular,
                                                    Gdiplus::UnitPixel);
        if (font->GetLastStatus() == Gdiplus::Ok) {
            return font;
        }
    }
    return nullptr;
}

}  // namespace

GdiplusSession::GdiplusSession() {
    const Gdiplus::GdiplusStartupInput input;
    started_ = Gdiplus::GdiplusStartup(&token_, &input, nullptr) == Gdiplus::Ok;
}

GdiplusSession::~GdiplusSession() {
    if (started_) {
        Gdiplus::GdiplusShutdown(token_);
    }
}

PremultipliedImage RenderFigure(const figure::CharacterFigure& figure, int side) {
    PremultipliedImage image = BlankImage(side, side);
    Gdiplus::Bitmap bitmap = BitmapOver(image);
    Gdiplus::Graphics graphics(&bitmap);
    if (graphics.GetLastStatus() != Gdiplus::Ok) {
        return image;
    }
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    graphics.SetPixelOffsetMode(Gdiplus::PixelOffsetModeHalf);
    for (const figure::Shape& shape : figure.shapes) {
        const figure::Transform& t = shape.transform;
        const Gdiplus::Matrix transform(Real(t.m11), Real(t.m12), Real(t.m21), Real(t.m22),
                                        Real(t.dx), Real(t.dy));
        graphics.SetTransform(&transform);
        graphics.ResetClip();
        if (shape.clip) {
            Gdiplus::GraphicsPath clip;
            AddOutline(clip, *shape.clip);
            graphics.SetClip(&clip);
        }
        Gdiplus::GraphicsPath path;
        AddOutline(path, shape.outline);
        Fill(graphics, path, shape.fill, figure.opacity);
        Stroke(graphics, path, shape.stroke, figure.opacity);
    }
    graphics.Flush(Gdiplus::FlushIntentionSync);
    return image;
}

BalloonPainter::BalloonPainter(double scale)
    : scale_(scale),
      padding_(static_cast<int>(std::lround(10 * scale))),
      tail_(static_cast<int>(std::lround(14 * scale))),
      maxTextWidth_(static_cast<int>(std::lround(240 * scale))),
      font_(BalloonFont(13 * scale)),
      format_(std::make_unique<Gdiplus::StringFormat>()) {}

BalloonPainter::~BalloonPainter() = default;

SIZE BalloonPainter::Measure(const std::wstring& text) const {
    SIZE size{maxTextWidth_ / 2, static_cast<LONG>(std::lround(16 * scale_))};
    HDC screen = GetDC(nullptr);
    if (font_ != nullptr) {
        Gdiplus::Graphics graphics(screen);
        Gdiplus::RectF bounds;
        if (graphics.MeasureString(text.c_str(), static_cast<INT>(text.size()), font_.get(),
                                   Gdiplus::RectF(0, 0, Real(maxTextWidth_), 100000), format_.get(),
                                   &bounds) == Gdiplus::Ok) {
            size = {std::max(24L, static_cast<LONG>(std::ceil(bounds.Width))),
                    static_cast<LONG>(std::ceil(bounds.Height))};
        }
    }
    ReleaseDC(nullptr, screen);
    return {size.cx + 2 * padding_, size.cy + 2 * padding_ + tail_};
}

PremultipliedImage BalloonPainter::Render(const std::wstring& text, SIZE size, bool tailBelow,
                                          int tailX) const {
    PremultipliedImage image = BlankImage(size.cx, size.cy);
    Gdiplus::Bitmap bitmap = BitmapOver(image);
    Gdiplus::Graphics graphics(&bitmap);
    if (graphics.GetLastStatus() != Gdiplus::Ok) {
        return image;
    }
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    graphics.SetTextRenderingHint(Gdiplus::TextRenderingHintAntiAlias);
    const REAL body = Real(size.cy - tail_);
    const REAL top = tailBelow ? 1 : Real(tail_ + 1);
    const Gdiplus::RectF frame(1, top, Real(size.cx - 2), body - 2);
    // One outline around frame and tail, so that no line crosses where they meet.
    const REAL diameter = Real(20 * scale_);
    const REAL x = Real(tailX);
    const REAL edge = tailBelow ? frame.GetBottom() : frame.Y;
    const REAL tip = tailBelow ? edge + Real(tail_) - 2 : edge - Real(tail_) + 2;
    const Gdiplus::PointF tail[] = {
        {x - Real(tail_ * 0.6), edge}, {x + Real(tail_ * 0.2), tip}, {x + Real(tail_ * 0.5), edge}};
    const Gdiplus::PointF tailBackwards[] = {tail[2], tail[1], tail[0]};
    Gdiplus::GraphicsPath balloon;
    balloon.AddArc(frame.X, frame.Y, diameter, diameter, 180, 90);
    if (!tailBelow) {
        balloon.AddLines(tail, 3);
    }
    balloon.AddArc(frame.GetRight() - diameter, frame.Y, diameter, diameter, 270, 90);
    balloon.AddArc(frame.GetRight() - diameter, frame.GetBottom() - diameter, diameter, diameter, 0,
                   90);
    if (tailBelow) {
        balloon.AddLines(tailBackwards, 3);
    }
    balloon.AddArc(frame.X, frame.GetBottom() - diameter, diameter, diameter, 90, 90);
    balloon.CloseFigure();
    const Gdiplus::SolidBrush paper(Gdiplus::Color(255, 255, 255, 235));
    const Gdiplus::Pen line(Gdiplus::Color(255, 60, 60, 70), Real(1.5 * scale_));
    graphics.FillPath(&paper, &balloon);
    graphics.DrawPath(&line, &balloon);
    if (font_ != nullptr) {
        const Gdiplus::SolidBrush ink(Gdiplus::Color(255, 20, 20, 30));
        graphics.DrawString(
            text.c_str(), static_cast<INT>(text.size()), font_.get(),
            Gdiplus::RectF(frame.X + Real(padding_ - 1), frame.Y + Real(padding_ - 1),
                           Real(maxTextWidth_ + 2), body),
            format_.get(), &ink);
    }
    graphics.Flush(Gdiplus::FlushIntentionSync);
    return image;
}

}  // namespace wobbet::builtin
