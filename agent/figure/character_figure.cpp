#include "agent/figure/character_figure.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace wobbet::figure {
namespace {

constexpr Colour kOutline{31, 86, 110};
constexpr Colour kBodyLight{140, 222, 240};
constexpr Colour kBodyDark{48, 150, 190};
constexpr Colour kBelly{214, 245, 250};
constexpr Colour kFeet{36, 118, 152};
constexpr Colour kPupil{30, 34, 48};
constexpr Colour kMouth{120, 30, 50};
constexpr Colour kTongue{240, 110, 120};
constexpr Colour kCheek{255, 120, 140};
constexpr Colour kTear{110, 190, 255};
constexpr Colour kSparkle{255, 214, 70};
constexpr Colour kWhite{255, 255, 255};

Point operator+(Point a, Point b) {
    return {a.x + b.x, a.y + b.y};
}

Colour WithAlpha(Colour colour, double alpha) {
    colour.alpha = alpha;
    return colour;
}

Fill Solid(Colour colour) {
    return {Fill::Kind::kSolid, colour, {}, {}, 0.0};
}

Stroke Pen(Colour colour, double width, bool round = false) {
    return {true, colour, width, round};
}

constexpr Fill kNoFill{};
constexpr Stroke kNoStroke{};

Outline Ellipse(Point centre, double radiusX, double radiusY) {
    return {Outline::Kind::kEllipse, centre, radiusX, radiusY, 0.0, {}};
}

// Builds a path; quadratic curves become the cubic ones they equal.
class PathBuilder {
public:
    PathBuilder& MoveTo(Point to) { return Add({PathElement::Kind::kMoveTo, to, {}, {}}); }
    PathBuilder& LineTo(Point to) { return Add({PathElement::Kind::kLineTo, to, {}, {}}); }
    PathBuilder& QuadTo(Point control, Point to) {
        const Point from = last_;
        return CubicTo({(from.x + 2 * control.x) / 3, (from.y + 2 * control.y) / 3},
                       {(to.x + 2 * control.x) / 3, (to.y + 2 * control.y) / 3}, to);
    }
    PathBuilder& CubicTo(Point control1, Point control2, Point to) {
        return Add({PathElement::Kind::kCubicTo, to, control1, control2});
    }
    Outline Build() { return {Outline::Kind::kPath, {}, 0.0, 0.0, 0.0, std::move(elements_)}; }

private:
    PathBuilder& Add(PathElement element) {
        elements_.push_back(element);
        last_ = element.to;
        return *this;
    }

    std::vector<PathElement> elements_;
    Point last_;
};

// Collects shapes under a current transform, the way a painter draws.
class Canvas {
public:
    explicit Canvas(CharacterFigure* figure) : figure_(figure) {}

    void Draw(Outline outline, Fill fill, Stroke stroke) {
        figure_->shapes.push_back({transform_, std::move(outline), fill, stroke, clip_});
    }
    void Translate(Point by) { transform_ = transform_.Translated(by); }
    void Scale(double factor) { transform_ = transform_.Scaled(factor); }
    void Rotate(double degrees) { transform_ = transform_.Rotated(degrees); }
    void SetClip(std::optional<Outline> clip) { clip_ = std::move(clip); }
    Transform Current() const { return transform_; }
    void Restore(Transform transform) {
        transform_ = transform;
        clip_.reset();
    }

private:
    CharacterFigure* figure_;
    Transform transform_;
    std::optional<Outline> clip_;
};

// A stubby arm hanging from the shoulder, raised by the angle (degrees) and pointing away from
// the body on the given side (1 left, -1 right).
void DrawArm(Canvas& canvas, Point shoulder, double raised, int side, double radius) {
    const Transform saved = canvas.Current();
    canvas.Translate(shoulder);
    canvas.Rotate(side * (20.0 + raised));
    canvas.Draw({Outline::Kind::kRoundedRect,
                 {-radius * 0.17, -radius * 0.05},
                 radius * 0.34,
                 radius * 0.78,
                 radius * 0.17,
                 {}},
                Solid(kBodyDark), Pen(kOutline, std::max(1.0, radius * 0.05)));
    canvas.Restore(saved);
}

void DrawEye(Canvas& canvas, Point centre, const CharacterPose& pose, double radius, int side) {
    const double width = radius * 0.32;
    const double height = radius * 0.42;
    const Stroke line = Pen(kPupil, std::max(1.5, radius * 0.06), true);
    if (pose.happyEyes > 0.5) {
        // A smiling arc, like ^.
        canvas.Draw(PathBuilder()
                        .MoveTo(centre + Point{-width * 0.55, height * 0.15})
                        .QuadTo(centre + Point{0.0, -height * 0.55},
                                centre + Point{width * 0.55, height * 0.15})
                        .Build(),
                    kNoFill, line);
        return;
    }
    const double open = std::clamp(pose.eyesOpen, 0.0, 1.0);
    if (open < 0.15) {
        canvas.Draw(PathBuilder()
                        .MoveTo(centre + Point{-width * 0.5, 0.0})
                        .LineTo(centre + Point{width * 0.5, 0.0})
                        .Build(),
                    kNoFill, line);
        return;
    }
    const Outline eye = Ellipse(centre, width * 0.5, height * 0.5 * open);
    canvas.Draw(eye, Solid(kWhite), Pen(kOutline, std::max(1.0, radius * 0.03)));
    // The pupil looks about but stays inside the eye; the lid clips it when half closed.
    const Transform saved = canvas.Current();
    canvas.SetClip(eye);
    const Point pupil = centre + Point{pose.lookX * width * 0.22 + side * width * 0.04,
                                       pose.lookY * height * 0.22 + height * 0.05};
    canvas.Draw(Ellipse(pupil, width * 0.3, height * 0.3), Solid(kPupil), kNoStroke);
    canvas.Draw(Ellipse(pupil + Point{-width * 0.1, -height * 0.12}, width * 0.1, width * 0.1),
                Solid(kWhite), kNoStroke);
    canvas.Restore(saved);
}

void DrawMouth(Canvas& canvas, Point centre, const CharacterPose& pose, double radius) {
    const double halfWidth = radius * (0.2 + 0.06 * std::max(0.0, pose.smile));
    const double curve = pose.smile * radius * 0.22;
    const double open = std::clamp(pose.mouthOpen, 0.0, 1.0) * radius * 0.3;
    const Point left = centre + Point{-halfWidth, -curve * 0.3};
    const Point right = centre + Point{halfWidth, -curve * 0.3};
    const Stroke line = Pen(kPupil, std::max(1.5, radius * 0.05), true);
    if (open < radius * 0.02) {
        canvas.Draw(PathBuilder().MoveTo(left).QuadTo(centre + Point{0.0, curve}, right).Build(),
                    kNoFill, line);
        return;
    }
    const Outline mouth = PathBuilder()
                              .MoveTo(left)
                              .QuadTo(centre + Point{0.0, curve * 0.4 - open * 0.2}, right)
                              .QuadTo(centre + Point{0.0, curve + open * 1.6}, left)
                              .Build();
    canvas.Draw(mouth, Solid(kMouth), line);
    const Transform saved = canvas.Current();
    canvas.SetClip(mouth);
    canvas.Draw(
        Ellipse(centre + Point{0.0, curve * 0.6 + open * 0.9}, halfWidth * 0.55, open * 0.5),
        Solid(kTongue), kNoStroke);
    canvas.Restore(saved);
}

void DrawSparkles(Canvas& canvas, Point centre, double progress, double radius) {
    for (int i = 0; i < 5; ++i) {
        const double phase = progress * 1.4 - i * 0.15;
        if (phase <= 0.0 || phase >= 1.0) {
            continue;
        }
        const double angle = -2.6 + i * 0.55;
        const double distance = radius * (1.05 + 0.35 * phase);
        const Point at = centre + Point{std::cos(angle) * distance,
                                        std::sin(angle) * distance - radius * 0.3 * phase};
        const double size = radius * 0.13 * std::sin(phase * 3.14159);
        canvas.Draw(PathBuilder()
                        .MoveTo(at + Point{0, -size})
                        .QuadTo(at, at + Point{size, 0})
                        .QuadTo(at, at + Point{0, size})
                        .QuadTo(at, at + Point{-size, 0})
                        .QuadTo(at, at + Point{0, -size})
                        .Build(),
                    Solid(WithAlpha(kSparkle, static_cast<float>(std::sin(phase * 3.14159)))),
                    kNoStroke);
    }
}

void DrawTear(Canvas& canvas, Point eye, double fall, double radius) {
    const Point drop = eye + Point{radius * 0.05, radius * (0.18 + 0.5 * fall)};
    const auto fade = static_cast<float>(1.0 - fall * fall);
    canvas.Draw(
        PathBuilder()
            .MoveTo(drop + Point{0.0, -radius * 0.2})
            .CubicTo(drop + Point{radius * 0.03, -radius * 0.08},
                     drop + Point{radius * 0.13, radius * 0.08}, drop + Point{0.0, radius * 0.08})
            .CubicTo(drop + Point{-radius * 0.13, radius * 0.08},
                     drop + Point{-radius * 0.03, -radius * 0.08}, drop + Point{0.0, -radius * 0.2})
            .Build(),
        Solid(WithAlpha(kTear, fade)),
        Pen(WithAlpha(kWhite, static_cast<int>(220 * fade) / 255.0), radius * 0.03));
}

}  // namespace

Transform Transform::Translated(Point by) const {
    Transform result = *this;
    result.dx += by.x * m11 + by.y * m21;
    result.dy += by.y * m22 + by.x * m12;
    return result;
}

Transform Transform::Scaled(double factor) const {
    return {m11 * factor, m12 * factor, m21 * factor, m22 * factor, dx, dy};
}

Transform Transform::Rotated(double degrees) const {
    if (degrees == 0.0) {
        return *this;
    }
    const double radians = degrees * std::numbers::pi / 180.0;
    const double sine = std::sin(radians);
    const double cosine = std::cos(radians);
    return {cosine * m11 + sine * m21,
            cosine * m12 + sine * m22,
            -sine * m11 + cosine * m21,
            -sine * m12 + cosine * m22,
            dx,
            dy};
}

CharacterFigure DrawFigure(const CharacterPose& pose, double side) {
    CharacterFigure figure;
    if (pose.scale <= 0.01 || pose.opacity <= 0.01) {
        return figure;
    }
    figure.opacity = std::clamp(pose.opacity, 0.0, 1.0);
    Canvas canvas(&figure);

    const double radius = side * 0.31;
    const double ground = side * 0.93;
    const double lift = pose.hop * radius * 2.0;

    // The shadow stays on the ground and shrinks as the character rises.
    const double shadow = std::max(0.3, 1.0 - pose.hop * 2.5) * pose.scale;
    canvas.Draw(Ellipse({side * 0.5, ground}, radius * 0.85 * shadow, radius * 0.16 * shadow),
                Solid({0, 0, 0, 50 / 255.0}), kNoStroke);

    // Everything else scales about the feet, so the character grows out of the ground.
    canvas.Translate({side * 0.5, ground - lift});
    canvas.Scale(pose.scale);
    canvas.Rotate(pose.lean);
    const double width = radius * (1.0 + pose.squash * 0.3);
    const double height = radius * (1.0 - pose.squash * 0.3);
    const Point centre{0.0, -height - radius * 0.12};
    const Stroke outline = Pen(kOutline, std::max(1.0, radius * 0.05));

    canvas.Draw(Ellipse({-radius * 0.4, -radius * 0.1}, radius * 0.26, radius * 0.14), Solid(kFeet),
                outline);
    canvas.Draw(Ellipse({radius * 0.4, -radius * 0.1}, radius * 0.26, radius * 0.14), Solid(kFeet),
                outline);

    DrawArm(canvas, centre + Point{-width * 0.82, height * 0.1}, pose.leftArm, 1, radius);
    DrawArm(canvas, centre + Point{width * 0.82, height * 0.1}, pose.rightArm, -1, radius);

    canvas.Draw(Ellipse(centre, width, height),
                {Fill::Kind::kRadialGradient, kBodyLight, kBodyDark,
                 centre + Point{-width * 0.35, -height * 0.45}, radius * 1.6},
                outline);
    canvas.Draw(Ellipse(centre + Point{0.0, height * 0.45}, width * 0.55, height * 0.4),
                Solid(kBelly), kNoStroke);
    canvas.Draw(Ellipse(centre + Point{-width * 0.45, -height * 0.55}, width * 0.18, height * 0.1),
                Solid(WithAlpha(kWhite, 110 / 255.0)), kNoStroke);

    const Point face = centre + Point{0.0, pose.nod * radius * 0.18};
    const Point leftEye = face + Point{-radius * 0.33, -radius * 0.2};
    const Point rightEye = face + Point{radius * 0.33, -radius * 0.2};
    if (pose.blush > 0.0) {
        const Fill cheek =
            Solid(WithAlpha(kCheek, static_cast<float>(std::clamp(pose.blush, 0.0, 1.0) * 0.6)));
        canvas.Draw(
            Ellipse(leftEye + Point{-radius * 0.12, radius * 0.32}, radius * 0.13, radius * 0.08),
            cheek, kNoStroke);
        canvas.Draw(
            Ellipse(rightEye + Point{radius * 0.12, radius * 0.32}, radius * 0.13, radius * 0.08),
            cheek, kNoStroke);
    }
    DrawEye(canvas, leftEye, pose, radius, 1);
    DrawEye(canvas, rightEye, pose, radius, -1);
    if (pose.sadBrows > 0.05) {
        const double tilt = pose.sadBrows * radius * 0.1;
        const Stroke brow = Pen(kPupil, std::max(1.5, radius * 0.05), true);
        canvas.Draw(PathBuilder()
                        .MoveTo(leftEye + Point{-radius * 0.14, -radius * 0.24})
                        .LineTo(leftEye + Point{radius * 0.12, -radius * 0.24 - tilt})
                        .Build(),
                    kNoFill, brow);
        canvas.Draw(PathBuilder()
                        .MoveTo(rightEye + Point{radius * 0.14, -radius * 0.24})
                        .LineTo(rightEye + Point{-radius * 0.12, -radius * 0.24 - tilt})
                        .Build(),
                    kNoFill, brow);
    }
    DrawMouth(canvas, face + Point{0.0, radius * 0.28}, pose, radius);

    if (pose.tear > 0.0 && pose.tear < 1.0) {
        DrawTear(canvas, rightEye, pose.tear, radius);
    }
    if (pose.sparkle > 0.0) {
        DrawSparkles(canvas, centre, pose.sparkle, radius);
    }
    return figure;
}

}  // namespace wobbet::figure
