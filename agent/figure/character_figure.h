#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "agent/figure/character_pose.h"

namespace wobbet::figure {

struct Point {
    double x = 0.0;
    double y = 0.0;
};

// Straight (not premultiplied) colour; alpha from 0 to 1.
struct Colour {
    std::uint8_t red = 0;
    std::uint8_t green = 0;
    std::uint8_t blue = 0;
    double alpha = 1.0;
};

// An affine map, x' = m11 x + m21 y + dx and y' = m12 x + m22 y + dy. Translated, Scaled and
// Rotated apply the new step before this one, as a painter's transform does.
struct Transform {
    double m11 = 1.0, m12 = 0.0, m21 = 0.0, m22 = 1.0, dx = 0.0, dy = 0.0;

    Transform Translated(Point by) const;
    Transform Scaled(double factor) const;
    Transform Rotated(double degrees) const;
};

struct PathElement {
    enum class Kind { kMoveTo, kLineTo, kCubicTo };
    Kind kind = Kind::kMoveTo;
    Point to;
    Point control1;
    Point control2;
};

// The outline of one part, in the shape's own coordinates.
struct Outline {
    enum class Kind { kEllipse, kRoundedRect, kPath };
    Kind kind = Kind::kPath;
    // Ellipse: centre and radii. Rounded rectangle: top left, width and height, corner radius.
    Point at;
    double width = 0.0;
    double height = 0.0;
    double cornerRadius = 0.0;
    std::vector<PathElement> path;
};

struct Fill {
    enum class Kind { kNone, kSolid, kRadialGradient };
    Kind kind = Kind::kNone;
    Colour colour;
    // A radial gradient runs from colour at the centre to outer at the radius, and stays outer.
    Colour outer;
    Point centre;
    double radius = 0.0;
};

struct Stroke {
    bool present = false;
    Colour colour;
    double width = 1.0;
    // Round caps and joins; otherwise square caps and bevelled joins.
    bool round = false;
};

// One part of the figure: filled first, then stroked, and cut to the clip when there is one.
struct Shape {
    Transform transform;
    Outline outline;
    Fill fill;
    Stroke stroke;
    std::optional<Outline> clip;
};

// The character as a list of shapes to draw in order, over a square of the given side from its
// top left corner. Every platform's renderer draws these, so the figure is the same everywhere.
struct CharacterFigure {
    double opacity = 1.0;
    std::vector<Shape> shapes;
};

CharacterFigure DrawFigure(const CharacterPose& pose, double side);

}  // namespace wobbet::figure
