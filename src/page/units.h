#pragma once
// Units the page model shares with every printer.
#include <cstdint>

// Twips of font size (or of a raise) per half-point.
inline constexpr int32_t kTwipsPerHalfPoint = 10;

// The paper is this much wider and taller than the page picture (twips);
// with margins of 0 the width is also that of the page's text.
inline constexpr int32_t kPaperExtraWidth = 50;
inline constexpr int32_t kPaperExtraHeight = 100;

// Half-points for a distance in twips, rounded to the nearest (halves away
// from zero): how far a piece is raised or lowered.
inline int32_t RoundedHalfPoints(int32_t twips)
{
    return twips >= 0 ? (twips + kTwipsPerHalfPoint / 2) / kTwipsPerHalfPoint
                      : -((-twips + kTwipsPerHalfPoint / 2) / kTwipsPerHalfPoint);
}
