#pragma once

// The noise gate's per-block settings and its per-channel sample loop, as free
// functions so that they can be checked without a whole processor around them.
namespace NoiseGate
{
// Gain attack, hold and gain release of one gate character, in milliseconds.
struct Times
{
    float attackMs;
    float holdMs;
    float releaseMs;
};

// "Fast", "Med", "Slow"; any other index gates as "Fast".
Times timesForMode (int modeIndex) noexcept;

// A level test "envelope in dB > thresholdDb". Envelopes clearly on one side of
// the threshold are decided by a linear comparison; only those within a narrow
// band around it pay for the logarithm, so the decision is always the one the
// dB comparison gives.
struct Threshold
{
    float thresholdDb;
    float certainlyBelow; // envelopes under this are at or below the threshold
    float certainlyAbove; // envelopes over this are above it

    static Threshold fromDecibels (float thresholdDb) noexcept;
    bool isExceededBy (float envelope) const noexcept;
};

// Everything the sample loop needs, made once per block.
struct Settings
{
    Threshold open;  // the gate opens above this
    Threshold close; // an open gate starts its hold at or below this (6 dB lower)
    float envelopeAttack;
    float envelopeRelease;
    float gainAttack;
    float gainRelease;
    int holdSamples;
};

// One-pole smoothing coefficient for a time constant of timeMs at sampleRate.
float smoothingCoefficient (float sampleRate, float timeMs) noexcept;

// amountPercent is "gateAmount" (0 to 100), modeIndex the "gateMode" index.
Settings makeSettings (float amountPercent, int modeIndex, double sampleRate) noexcept;

// The state of one channel; it lives in the processor from block to block.
struct ChannelState
{
    float& envelope;
    float& gain;
    int& holdCounter;
    bool& open;
};

// Gates numSamples samples in place.
void processChannel (float* samples, int numSamples, const Settings& settings, ChannelState state) noexcept;

// Gates two channels, each with its own state, exactly as two processChannel
// calls would.
void processChannelPair (float* left, float* right, int numSamples, const Settings& settings, ChannelState leftState,
                         ChannelState rightState) noexcept;
} // namespace NoiseGate
