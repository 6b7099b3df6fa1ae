#pragma once

// The drive's curves and gains, as free functions so that they can be checked
// without a whole processor around them.
namespace Drive
{
using Shaper = float (*) (float);

// "Tube": tanh(x).
float tubeShaper (float x) noexcept;
// "Fuzz": an odd exponential knee, 1 - e^-x for x >= 0 and e^x - 1 below.
float fuzzShaper (float x) noexcept;
// "Boost": tanh(0.35 x), gentler and nearly linear further out.
float boostShaper (float x) noexcept;

// "Tube", "Fuzz", "Boost"; any other index shapes as "Boost".
Shaper shaperForMode (int modeIndex) noexcept;

// The drive runs only above this fraction of "driveAmount" (exclusive).
constexpr float minimumAmount = 0.001f;

struct Gains
{
    float drive;        // into the curve: +40 dB at full amount
    float compensation; // after it: half the drive gain in dB taken off again
};

// amount is "driveAmount" as a fraction (0 to 1).
Gains gainsForAmount (float amount) noexcept;
} // namespace Drive
