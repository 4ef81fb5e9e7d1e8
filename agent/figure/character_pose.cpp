#include "agent/figure/character_pose.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <numbers>

namespace wobbet::figure {
namespace {

constexpr double kPi = std::numbers::pi;

double Lerp(double from, double to, double t) {
    return from + (to - from) * t;
}

double Smooth(double t) {
    t = std::clamp(t, 0.0, 1.0);
    return t * t * (3.0 - 2.0 * t);
}

// 0 before start, rising to 1, holding, and falling back to 0 at end: how far into an
// animation's own pose the character is.
double Envelope(double progress, double rise = 0.2, double fall = 0.2) {
    if (progress < rise) {
        return Smooth(progress / rise);
    }
    if (progress > 1.0 - fall) {
        return Smooth((1.0 - progress) / fall);
    }
    return 1.0;
}

// A single bump from 0 to 1 and back between start and end.
double Bump(double progress, double start, double end) {
    if (progress <= start || progress >= end) {
        return 0.0;
    }
    return std::sin((progress - start) / (end - start) * kPi);
}

CharacterPose Show(double progress) {
    CharacterPose pose;
    // Pops up from nothing, overshoots a little and settles.
    pose.scale = progress < 0.6 ? Lerp(0.0, 1.12, Smooth(progress / 0.6))
                                : Lerp(1.12, 1.0, Smooth((progress - 0.6) / 0.4));
    pose.opacity = Smooth(progress / 0.3);
    pose.squash = -0.25 * Bump(progress, 0.3, 0.7) + 0.15 * Bump(progress, 0.7, 1.0);
    pose.eyesOpen = progress < 0.5 ? 0.1 : 1.0 - 0.9 * Bump(progress, 0.8, 0.95);
    pose.smile = Lerp(0.3, 0.6, Smooth(progress));
    return pose;
}

CharacterPose Hide(double progress) {
    CharacterPose pose;
    // Waves a small goodbye by crouching, then shrinks away.
    pose.squash = 0.25 * Bump(progress, 0.0, 0.4);
    pose.scale = progress < 0.35 ? 1.0 : Lerp(1.0, 0.0, Smooth((progress - 0.35) / 0.65));
    pose.opacity = progress < 0.7 ? 1.0 : Lerp(1.0, 0.0, Smooth((progress - 0.7) / 0.3));
    pose.eyesOpen = Lerp(1.0, 0.0, Smooth(progress / 0.4));
    pose.smile = 0.5;
    return pose;
}

CharacterPose Greet(double progress) {
    const double amount = Envelope(progress, 0.2, 0.2);
    CharacterPose pose;
    // Raises the right arm high and waves it three times, smiling with happy eyes.
    const double wave = std::sin(progress * 6.0 * kPi) * Envelope(progress, 0.25, 0.25);
    pose.rightArm = amount * (135.0 + 25.0 * wave);
    pose.lean = amount * -6.0;
    pose.smile = Lerp(0.6, 1.0, amount);
    pose.mouthOpen = 0.35 * amount;
    pose.happyEyes = amount;
    pose.blush = Lerp(0.35, 0.6, amount);
    pose.hop = 0.04 * Bump(progress, 0.05, 0.3);
    return pose;
}

CharacterPose Acknowledge(double progress) {
    CharacterPose pose;
    // Two firm nods, eyes half closed on each, a content smile.
    const double nods = Bump(progress, 0.1, 0.45) + Bump(progress, 0.5, 0.85);
    pose.nod = nods;
    pose.squash = 0.12 * nods;
    pose.lookY = 0.5 * nods;
    pose.eyesOpen = 1.0 - 0.55 * nods;
    pose.smile = Lerp(0.6, 0.85, Envelope(progress));
    return pose;
}

CharacterPose Pleased(double progress) {
    const double amount = Envelope(progress, 0.15, 0.2);
    CharacterPose pose;
    // Jumps for joy twice with both arms up, squashing on each landing; sparkles rise.
    const double jumps = Bump(progress, 0.1, 0.4) + Bump(progress, 0.45, 0.75);
    const double landings = Bump(progress, 0.38, 0.48) + Bump(progress, 0.73, 0.85);
    pose.hop = 0.15 * jumps;
    pose.squash = -0.18 * jumps + 0.22 * landings;
    pose.leftArm = 70.0 * amount + 30.0 * jumps;
    pose.rightArm = pose.leftArm;
    pose.happyEyes = amount;
    pose.smile = Lerp(0.6, 1.0, amount);
    pose.mouthOpen = 0.6 * amount;
    pose.blush = Lerp(0.35, 0.9, amount);
    pose.sparkle = progress < 0.1 ? 0.0 : (progress - 0.1) / 0.9;
    return pose;
}

CharacterPose Sad(double progress) {
    const double amount = Envelope(progress, 0.25, 0.2);
    CharacterPose pose;
    // Slumps, looks down with raised brows and a frown, and a tear runs down one cheek.
    pose.squash = 0.14 * amount;
    pose.hop = -0.03 * amount;
    pose.lean = 4.0 * std::sin(progress * 2.0 * kPi) * amount;
    pose.lookY = 0.7 * amount;
    pose.lookX = -0.2 * amount;
    pose.eyesOpen = Lerp(1.0, 0.65, amount);
    pose.sadBrows = amount;
    pose.smile = Lerp(0.6, -0.8, amount);
    pose.blush = Lerp(0.35, 0.1, amount);
    pose.tear = progress < 0.25 ? 0.0 : std::min(1.0, (progress - 0.25) / 0.6);
    return pose;
}

}  // namespace

CharacterPose CharacterPose::BlendedTo(const CharacterPose& other, double t) const {
    CharacterPose blended;
    blended.scale = Lerp(scale, other.scale, t);
    blended.opacity = Lerp(opacity, other.opacity, t);
    blended.hop = Lerp(hop, other.hop, t);
    blended.squash = Lerp(squash, other.squash, t);
    blended.lean = Lerp(lean, other.lean, t);
    blended.nod = Lerp(nod, other.nod, t);
    blended.eyesOpen = Lerp(eyesOpen, other.eyesOpen, t);
    blended.happyEyes = Lerp(happyEyes, other.happyEyes, t);
    blended.lookX = Lerp(lookX, other.lookX, t);
    blended.lookY = Lerp(lookY, other.lookY, t);
    blended.smile = Lerp(smile, other.smile, t);
    blended.mouthOpen = Lerp(mouthOpen, other.mouthOpen, t);
    blended.sadBrows = Lerp(sadBrows, other.sadBrows, t);
    blended.leftArm = Lerp(leftArm, other.leftArm, t);
    blended.rightArm = Lerp(rightArm, other.rightArm, t);
    blended.blush = Lerp(blush, other.blush, t);
    blended.tear = Lerp(tear, other.tear, t);
    blended.sparkle = Lerp(sparkle, other.sparkle, t);
    return blended;
}

CharacterPose CharacterAnimation::PoseAtTime(int elapsedMilliseconds) const {
    const double progress =
        milliseconds > 0 ? static_cast<double>(elapsedMilliseconds) / milliseconds : 1.0;
    return poseAt(std::clamp(progress, 0.0, 1.0));
}

const std::vector<CharacterAnimation>& CharacterAnimations() {
    static const std::vector<CharacterAnimation> animations = {
        {"Show", 700, Show},        {"Hide", 700, Hide},
        {"Greet", 1800, Greet},     {"Acknowledge", 1000, Acknowledge},
        {"Pleased", 1600, Pleased}, {"Sad", 2200, Sad},
    };
    return animations;
}

const CharacterAnimation* FindCharacterAnimation(std::string_view name) {
    const auto sameName = [name](const CharacterAnimation& animation) {
        return std::equal(name.begin(), name.end(), animation.name.begin(), animation.name.end(),
                          [](char a, char b) {
                              return std::tolower(static_cast<unsigned char>(a)) ==
                                     std::tolower(static_cast<unsigned char>(b));
                          });
    };
    const std::vector<CharacterAnimation>& animations = CharacterAnimations();
    const auto found = std::find_if(animations.begin(), animations.end(), sameName);
    return found == animations.end() ? nullptr : &*found;
}

CharacterPose IdlePose(int elapsedMilliseconds) {
    const double seconds = elapsedMilliseconds / 1000.0;
    CharacterPose pose;
    pose.squash = 0.03 * std::sin(seconds * 2.0 * kPi / 3.2);
    // A blink of 160 ms every 4.1 s, the first after 2 s, and now and then a double one.
    const double sinceBlink = std::fmod(seconds + 2.0, 4.1);
    pose.eyesOpen = 1.0 - Bump(sinceBlink, 0.0, 0.16) -
                    Bump(sinceBlink, 0.3, 0.46) * (std::fmod(seconds, 12.3) < 4.1);
    // A slow glance to one side and back every 9 s.
    const double sinceGlance = std::fmod(seconds, 9.0);
    pose.lookX = 0.6 * Bump(sinceGlance, 5.0, 7.0);
    return pose;
}

}  // namespace wobbet::figure
