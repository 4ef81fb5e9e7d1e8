#include "agent/builtin/gdiplus_renderer.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace wobbet::builtin {
namespace {

int Alpha(std::uint32_t pixel) {
    return static_cast<int>(pixel >> 24);
}

std::uint32_t At(const PremultipliedImage& image, int x, int y) {
    return image.pixels[static_cast<std::size_t>(y * image.width + x)];
}

// Every colour channel within its alpha, as UpdateLayeredWindow needs.
bool Premultiplied(const PremultipliedImage& image) {
    return std::all_of(image.pixels.begin(), image.pixels.end(), [](std::uint32_t pixel) {
        return ((pixel >> 16) & 0xFF) <= pixel >> 24 && ((pixel >> 8) & 0xFF) <= pixel >> 24 &&
               (pixel & 0xFF) <= pixel >> 24;
    });
}

TEST(GdiplusRenderer, DrawsTheFigureOpaqueOnATransparentGround) {
    const GdiplusSession session;
    ASSERT_TRUE(session.Started());
    constexpr int kSide = 144;
    for (const char* animation : {"Show", "Greet", "Pleased", "Sad"}) {
        const figure::CharacterAnimation* found = figure::FindCharacterAnimation(animation);
        const PremultipliedImage image =
            RenderFigure(figure::DrawFigure(found->PoseAtTime(found->milliseconds), kSide), kSide);
        ASSERT_EQ(image.pixels.size(), std::size_t{kSide * kSide});
        EXPECT_TRUE(Premultiplied(image)) << animation;
        for (const auto& [x, y] : {std::pair{0, 0}, {kSide - 1, 0}, {0, kSide - 1}}) {
            EXPECT_EQ(Alpha(At(image, x, y)), 0) << animation;
        }
        EXPECT_EQ(Alpha(At(image, kSide / 2, kSide * 5 / 8)), 255) << animation;
    }
    // A figure on its way out is drawn faded.
    figure::CharacterPose fading;
    fading.opacity = 0.5;
    const int body =
        Alpha(At(RenderFigure(figure::DrawFigure(fading, kSide), kSide), kSide / 2, kSide * 5 / 8));
    EXPECT_GT(body, 100);
    EXPECT_LT(body, 255);
}

// Also where the usual fonts are missing, the text is drawn into an opaque balloon.
TEST(GdiplusRenderer, WritesTheTextIntoTheBalloon) {
    const GdiplusSession session;
    const BalloonPainter painter(1.0);
    const SIZE shortText = painter.Measure(L"Hi.");
    const SIZE longText = painter.Measure(std::wstring(60, L'w'));
    EXPECT_GT(longText.cy, shortText.cy);
    const PremultipliedImage image = painter.Render(L"Hello there.", shortText, true, 30);
    ASSERT_EQ(image.width, shortText.cx);
    EXPECT_TRUE(Premultiplied(image));
    EXPECT_EQ(Alpha(At(image, 0, image.height - 1)), 0);
    const auto ink = std::count_if(
        image.pixels.begin(), image.pixels.end(),
        [](std::uint32_t pixel) { return Alpha(pixel) == 255 && (pixel & 0xFF) < 45; });
    EXPECT_GT(ink, 10);
}

}  // namespace
}  // namespace wobbet::builtin
