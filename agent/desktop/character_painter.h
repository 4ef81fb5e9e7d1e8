#pragma once

#include <QImage>
#include <QPainter>
#include <QSize>

#include "agent/figure/character_pose.h"

namespace wobbet::desktop {

// Draws the character in a pose, filling a square of the given side from its top left corner.
void PaintCharacter(QPainter& painter, const figure::CharacterPose& pose, double side);

// The character in a pose on a transparent square image.
QImage RenderCharacter(const figure::CharacterPose& pose, int side);

}  // namespace wobbet::desktop
