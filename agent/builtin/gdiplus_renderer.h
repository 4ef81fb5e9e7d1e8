#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "agent/figure/character_figure.h"

namespace Gdiplus {
class Font;
class StringFormat;
}  // namespace Gdiplus

namespace wobbet::builtin {

// GDI+ for as long as this lives; everything drawn below needs one.
class GdiplusSession {
public:
    GdiplusSession();
    ~GdiplusSession();
    GdiplusSession(const GdiplusSession&) = delete;
    GdiplusSession& operator=(const GdiplusSession&) = delete;

    bool Started() const { return started_; }

private:
    ULONG_PTR token_ = 0;
    bool started_ = false;
};

// 32-bit pixels with premultiplied alpha, rows from the top, blue in the lowest byte: what
// UpdateLayeredWindow takes.
struct PremultipliedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> pixels;
};

// The figure drawn over a transparent square of the given side. Stays transparent when GDI+
// fails.
PremultipliedImage RenderFigure(const figure::CharacterFigure& figure, int side);

// Draws the speech balloon: a rounded frame with the text and a tail pointing at the character.
class BalloonPainter {
public:
    // The scale is the screen's pixels per 96 dots per inch.
    explicit BalloonPainter(double scale);
    ~BalloonPainter();
    BalloonPainter(const BalloonPainter&) = delete;
    BalloonPainter& operator=(const BalloonPainter&) = delete;

    // The balloon's size for the text, tail included.
    SIZE Measure(const std::wstring& text) const;
    // The tail points down from the frame when tailBelow, else up, at tailX from the left.
    PremultipliedImage Render(const std::wstring& text, SIZE size, bool tailBelow, int tailX) const;
    int Tail() const { return tail_; }

private:
    const double scale_;
    const int padding_;
    const int tail_;
    const int maxTextWidth_;
    std::unique_ptr<Gdiplus::Font> font_;
    std::unique_ptr<Gdiplus::StringFormat> format_;
};

}  // namespace wobbet::builtin
