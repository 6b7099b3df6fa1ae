#pragma once

// The tone and cabinet voicings, as free functions so that they can be checked
// without a whole processor around them.
namespace ToneCab
{
// Corner frequencies of the tone stage's shelves, in Hz.
struct ShelfCorners
{
    float lowHz;
    float highHz;
};

// "Scoop", "Flat", "Bright"; any other index voices as "Bright".
ShelfCorners shelfCornersForMode (int toneModeIndex) noexcept;

// The "cabMode" index of "DI": the cabinet stage leaves the signal alone.
constexpr int directInputMode = 2;

struct CabinetVoicing
{
    float highPassHz;
    float lowPassHz;
    float peakHz;
    float peakGainDb;
};

// "Combo" for index 0, "Stack" for any other index ("DI" never reaches here).
CabinetVoicing cabinetVoicingForMode (int cabModeIndex) noexcept;

// The frequency handed to a coefficient maker, which needs it at or below half
// the sample rate. From 13 kHz on every voicing (up to 6.5 kHz) fits and comes
// back unchanged; below 13 kHz frequencies are held to 0.45 of the sample rate,
// where the biquad designs keep their poles well inside the unit circle.
float limitedFrequency (float frequencyHz, double sampleRate) noexcept;
} // namespace ToneCab
