#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace wobbet::figure {

// Everything that moves on the character, as numbers that can be blended. The figure is a round
// body with two eyes, a mouth, stubby arms and feet; lengths are fractions of the body.
struct CharacterPose {
    double scale = 1.0;  // the whole figure, for appearing and leaving
    double opacity = 1.0;
    double hop = 0.0;        // lift off the ground, in body heights
    double squash = 0.0;     // above 0 flatter and wider, below 0 taller and thinner
    double lean = 0.0;       // degrees, clockwise
    double nod = 0.0;        // the face dips by this much (0 to 1)
    double eyesOpen = 1.0;   // 0 closed
    double happyEyes = 0.0;  // 1: eyes become upward arcs
    double lookX = 0.0;      // pupils, -1 to 1
    double lookY = 0.0;
    double smile = 0.6;      // -1 frown to 1 broad smile
    double mouthOpen = 0.0;  // 0 to 1
    double sadBrows = 0.0;   // 0 to 1: inner ends of the brows raised
    double leftArm = 0.0;    // degrees raised from hanging down
    double rightArm = 0.0;
    double blush = 0.35;
    double tear = 0.0;     // 0 none; then a tear runs down the cheek until 1
    double sparkle = 0.0;  // 0 none; then sparkles rise until 1

    // The pose a fraction t of the way from this one to the other.
    CharacterPose BlendedTo(const CharacterPose& other, double t) const;
};

// A named movement, from the resting pose back to it (Show starts from nothing and Hide ends
// in nothing).
struct CharacterAnimation {
    std::string name;
    int milliseconds = 0;
    // The pose at a fraction of the way through, 0 to 1.
    CharacterPose (*poseAt)(double progress) = nullptr;

    CharacterPose PoseAtTime(int elapsedMilliseconds) const;
};

// Show, Hide, Greet, Acknowledge, Pleased and Sad.
const std::vector<CharacterAnimation>& CharacterAnimations();
// The animation of that name, ignoring case, or nullptr.
const CharacterAnimation* FindCharacterAnimation(std::string_view name);

// The figure at rest: breathing, blinking now and then, glancing about.
CharacterPose IdlePose(int elapsedMilliseconds);

}  // namespace wobbet::figure
