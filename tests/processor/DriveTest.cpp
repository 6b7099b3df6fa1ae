#include "processor/Drive.h"
#include "processor/StageChecks.h"
#include "support/BufferExpectations.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{
constexpr int tube = 0, fuzz = 1, boost = 2;

float gainOf (float decibels) { return juce::Decibels::decibelsToGain (decibels, -300.0f); }

// A rig with only the drive colouring the signal: the tone stage is off
// (the cabinet is off by default) and the gate opens at -80 dB.
struct DriveRig : ProcessorRig
{
    explicit DriveRig (double rate = 48000.0)
        : ProcessorRig (rate, 512)
        , sampleRate (rate)
    {
        set (ParamIds::toneEnabled, 0.0f);
    }

    float responseDb (double frequency, float amplitude)
    {
        return ::responseDb (*this, sampleRate, frequency, amplitude);
    }

    void drive (int mode, float amount)
    {
        set (ParamIds::driveMode, (float) mode);
        set (ParamIds::driveAmount, amount);
    }

    double sampleRate;
};
} // namespace

TEST (Drive, CurvesAreOddBoundedAndRising)
{
    struct Case
    {
        const char* name;
        Drive::Shaper shaper;
        float slopeAtZero;
    };

    const float infinity = std::numeric_limits<float>::infinity();

    for (const auto& c : { Case { "Tube", Drive::tubeShaper, 1.0f }, Case { "Fuzz", Drive::fuzzShaper, 1.0f },
                           Case { "Boost", Drive::boostShaper, 0.35f } })
    {
        SCOPED_TRACE (c.name);
        EXPECT_EQ (c.shaper (0.0f), 0.0f);
        EXPECT_NEAR (c.shaper (1.0e-4f) / 1.0e-4f, c.slopeAtZero, 1.0e-3f);
        EXPECT_NEAR (c.shaper (-1.0e-4f) / -1.0e-4f, c.slopeAtZero, 1.0e-3f);

        float previous = -1.0f;
        for (float x = -60.0f; x <= 60.0f; x += 0.01f)
        {
            const float y = c.shaper (x);
            ASSERT_FLOAT_EQ (c.shaper (-x), -y) << x;
            ASSERT_GE (y, previous) << x;
            ASSERT_LE (std::abs (y), 1.0f) << x;
            previous = y;
        }

        for (const float x : { 1.0e6f, 1.0e30f, infinity })
        {
            EXPECT_LE (c.shaper (x), 1.0f) << x;
            EXPECT_GE (c.shaper (-x), -1.0f) << x;
        }
    }

    // "Boost" stays close to its slope much further out than the other two.
    EXPECT_NEAR (Drive::boostShaper (1.0f), 0.35f, 0.015f);
    EXPECT_LT (Drive::tubeShaper (3.0f), 1.0f);
    EXPECT_GT (Drive::tubeShaper (3.0f), 0.99f);
}

TEST (Drive, CharacterSelectsTheCurveWithBoostForUnknownIndices)
{
    const std::pair<int, Drive::Shaper> cases[] = { { tube, Drive::tubeShaper },   { fuzz, Drive::fuzzShaper },
                                                    { boost, Drive::boostShaper }, { 3, Drive::boostShaper },
                                                    { -1, Drive::boostShaper },    { 1000, Drive::boostShaper } };

    for (const auto& [mode, shaper] : cases)
        EXPECT_EQ (Drive::shaperForMode (mode), shaper) << "mode " << mode;
}

TEST (Drive, GainsAndTheirCompensation)
{
    struct Case
    {
        float amount, driveDb, compensationDb;
    };

    for (const auto& c : { Case { 0.002f, 0.08f, -0.04f }, Case { 0.5f, 20.0f, -10.0f }, Case { 1.0f, 40.0f, -20.0f } })
    {
        const auto gains = Drive::gainsForAmount (c.amount);
        EXPECT_NEAR (juce::Decibels::gainToDecibels (gains.drive), c.driveDb, 1.0e-3f) << c.amount;
        EXPECT_NEAR (juce::Decibels::gainToDecibels (gains.compensation), c.compensationDb, 1.0e-3f) << c.amount;
    }

    // Full drive: whatever goes in, the curve's output stays within 0.1.
    EXPECT_FLOAT_EQ (Drive::gainsForAmount (1.0f).compensation, 0.1f);
}

TEST (DriveChain, RunsOnlyAboveOneTenthOfAPercent)
{
    const auto input = Signals::sine (2, 24000, 220.0, 48000.0, 0.1f);

    DriveRig off;
    off.set (ParamIds::driveEnabled, 0.0f);
    const auto undriven = off.run (input);

    struct Case
    {
        float amount;
        bool runs;
    };

    for (const auto& c : { Case { 0.0f, false }, Case { 0.1f, false }, Case { 0.2f, true }, Case { 100.0f, true } })
    {
        DriveRig rig;
        rig.drive (boost, c.amount);
        EXPECT_EQ (! identical (rig.run (input), undriven), c.runs) << c.amount << " %";
    }

    // Switched off, even full drive does nothing.
    DriveRig switchedOff;
    switchedOff.drive (tube, 100.0f);
    switchedOff.set (ParamIds::driveEnabled, 0.0f);
    EXPECT_TRUE (identical (switchedOff.run (input), undriven));
}

TEST (DriveChain, CharacterOutsideTheListShapesAsBoost)
{
    const auto input = Signals::sine (2, 24000, 220.0, 48000.0, 0.3f);

    const auto withMode = [&input] (float value)
    {
        DriveRig rig;
        rig.set (ParamIds::driveAmount, 50.0f);
        rig.forceRawValue (ParamIds::driveMode, value);
        return rig.run (input);
    };

    const auto boosted = withMode ((float) boost);
    EXPECT_FALSE (identical (boosted, withMode ((float) tube)));
    EXPECT_FALSE (identical (boosted, withMode ((float) fuzz)));

    for (const float outside : { 3.0f, 10.0f, -1.0f, std::numeric_limits<float>::quiet_NaN() })
        EXPECT_TRUE (identical (boosted, withMode (outside))) << outside;
}

TEST (DriveChain, SmallSignalGain)
{
    struct Case
    {
        int mode;
        float amount, expectedDb;
    };

    for (const auto& c : { Case { tube, 100.0f, 20.0f }, Case { fuzz, 100.0f, 20.0f }, Case { boost, 100.0f, 10.88f },
                           Case { tube, 50.0f, 10.0f }, Case { boost, 50.0f, 0.88f } })
    {
        DriveRig rig;
        rig.drive (c.mode, c.amount);
        EXPECT_NEAR (rig.responseDb (1000.0, gainOf (-70.0f)), c.expectedDb, 0.2f)
            << "mode " << c.mode << " at " << c.amount << " %";
    }
}

TEST (DriveChain, FullDriveHoldsAFullScaleInputNearTheCompensation)
{
    DriveRig rig;
    rig.drive (tube, 100.0f);

    const auto output = rig.run (Signals::sine (2, 48000, 110.0, 48000.0, 1.0f));
    const float settledPeak = Signals::peak (output, 24000);

    // 1.0 drives the curve with 100; it comes out near 0.1, and the
    // down-sampling filter adds only a little overshoot to the clipped wave.
    EXPECT_GT (settledPeak, 0.095f);
    EXPECT_LT (settledPeak, 0.115f);
}

TEST (DriveChain, OversamplingDelaysEvenWithTheDriveOffAndBypassDelaysAlike)
{
    DriveRig rig;
    rig.set (ParamIds::driveEnabled, 0.0f);

    const int latency = rig.processor.getLatencySamples();
    ASSERT_GT (latency, 0);

    const auto input = Signals::sine (2, 48000, 100.0, 48000.0, 0.25f);
    const auto output = rig.run (input);

    // After the fade-in: the input, late by the reported latency, through the
    // oversampling filters' response.
    float largestError = 0.0f;
    for (int i = 24000; i < input.getNumSamples(); ++i)
        largestError = juce::jmax (largestError, std::abs (output.getSample (0, i) - input.getSample (0, i - latency)));

    EXPECT_LT (largestError, 1.0e-4f);
    EXPECT_GT (maxAbsDifference (output, 24000, input, 24000, 24000), 0.01f);

    // Bypassed, exactly the input, as late.
    rig.set (ParamIds::bypass, 1.0f);
    EXPECT_TRUE (identical (rig.run (input), delayedBlock (input, input, latency)));
}
