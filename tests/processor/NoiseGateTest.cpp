#include "processor/NoiseGate.h"
#include "processor/StageChecks.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{
float gainOf (float decibels) { return juce::Decibels::decibelsToGain (decibels, -300.0f); }

// One channel of the gate, stepped a sample at a time so that its state can be
// read after every sample.
struct SteppedGate
{
    explicit SteppedGate (NoiseGate::Settings s)
        : settings (s)
    {
    }

    float step (float x)
    {
        NoiseGate::processChannel (&x, 1, settings, { envelope, gain, holdCounter, open });
        return x;
    }

    void feed (float x, int count)
    {
        for (int i = 0; i < count; ++i)
            step (x);
    }

    float levelDb() const { return juce::Decibels::gainToDecibels (envelope); }

    NoiseGate::Settings settings;
    float envelope = 0.0f;
    float gain = 0.0f;
    int holdCounter = 0;
    bool open = false;
};

// The gate with its level test written as the plain dB comparison, one
// logarithm per sample: what the linear comparison must always agree with.
struct DecibelGate
{
    float step (float x, const NoiseGate::Settings& s)
    {
        const float magnitude = std::abs (x);
        envelope = (magnitude - envelope) * (magnitude > envelope ? s.envelopeAttack : s.envelopeRelease) + envelope;
        const float level = juce::Decibels::gainToDecibels (envelope);

        if (! open)
        {
            if (level > s.open.thresholdDb)
            {
                open = true;
                holdCounter = s.holdSamples;
            }
        }
        else if (level > s.close.thresholdDb)
            holdCounter = s.holdSamples;
        else if (holdCounter > 0)
            --holdCounter;
        else
            open = false;

        const float target = open ? 1.0f : 0.0f;
        gain = (target - gain) * (target > gain ? s.gainAttack : s.gainRelease) + gain;
        return gain * x;
    }

    float envelope = 0.0f;
    float gain = 0.0f;
    int holdCounter = 0;
    bool open = false;
};
} // namespace

TEST (NoiseGate, CharacterTimesWithFastForUnknownIndices)
{
    struct Case
    {
        int mode;
        float attack, hold, release;
    };

    for (const auto& c : { Case { 0, 3, 15, 60 }, Case { 1, 6, 30, 150 }, Case { 2, 12, 60, 300 },
                           Case { -1, 3, 15, 60 }, Case { 3, 3, 15, 60 }, Case { 1000, 3, 15, 60 } })
    {
        const auto times = NoiseGate::timesForMode (c.mode);
        EXPECT_EQ (times.attackMs, c.attack) << "mode " << c.mode;
        EXPECT_EQ (times.holdMs, c.hold) << "mode " << c.mode;
        EXPECT_EQ (times.releaseMs, c.release) << "mode " << c.mode;
    }
}

TEST (NoiseGate, HoldLengthsInSamples)
{
    struct Case
    {
        double rate;
        int fast, med, slow;
    };

    for (const auto& c : { Case { 44100.0, 661, 1323, 2646 }, Case { 48000.0, 720, 1440, 2880 } })
    {
        EXPECT_EQ (NoiseGate::makeSettings (0.0f, 0, c.rate).holdSamples, c.fast) << c.rate;
        EXPECT_EQ (NoiseGate::makeSettings (0.0f, 1, c.rate).holdSamples, c.med) << c.rate;
        EXPECT_EQ (NoiseGate::makeSettings (0.0f, 2, c.rate).holdSamples, c.slow) << c.rate;
    }
}

// Opens above T, holds between T - 6 dB and T, and closes exactly one hold
// length after the level has fallen to T - 6 dB or below.
TEST (NoiseGate, ThresholdsHysteresisAndHoldAtBothEndsOfTheAmount)
{
    for (const auto [amount, openDb] : { std::pair { 0.0f, -80.0f }, std::pair { 100.0f, -20.0f } })
    {
        SCOPED_TRACE (amount);
        const auto settings = NoiseGate::makeSettings (amount, 0, 44100.0);
        const float closeDb = openDb - 6.0f;
        ASSERT_EQ (settings.open.thresholdDb, openDb);
        ASSERT_EQ (settings.close.thresholdDb, closeDb);
        ASSERT_EQ (settings.holdSamples, 661);

        SteppedGate justAbove (settings);
        justAbove.feed (gainOf (openDb + 0.05f), 4410);
        EXPECT_TRUE (justAbove.open);

        SteppedGate justBelow (settings);
        justBelow.feed (gainOf (openDb - 0.05f), 44100);
        EXPECT_FALSE (justBelow.open);
        EXPECT_EQ (justBelow.gain, 0.0f);

        // Between the thresholds: a closed gate stays muted, an open one stays open.
        SteppedGate closedBetween (settings);
        closedBetween.feed (gainOf (openDb - 3.0f), 44100);
        EXPECT_FALSE (closedBetween.open);
        EXPECT_EQ (closedBetween.step (gainOf (openDb - 3.0f)), 0.0f);

        SteppedGate openBetween (settings);
        openBetween.feed (1.0f, 4410);
        ASSERT_TRUE (openBetween.open);

        for (int i = 0; i < 44100 && openBetween.open; ++i)
            openBetween.step (gainOf (closeDb + 0.05f));

        EXPECT_TRUE (openBetween.open);

        // Let the envelope fall to a level below T - 6 dB.
        SteppedGate closing (settings);
        closing.feed (1.0f, 4410);
        const float below = gainOf (closeDb - 10.0f);

        while (closing.open && closing.levelDb() > closeDb)
            closing.step (below);

        ASSERT_TRUE (closing.open);

        // The sample just stepped was the first at or below T - 6 dB.
        int samplesAtOrBelow = 1;
        while (closing.open)
        {
            closing.step (below);
            ++samplesAtOrBelow;
            ASSERT_LE (closing.levelDb(), closeDb);
        }

        // 661 samples still open, closed on the 662nd.
        EXPECT_EQ (samplesAtOrBelow, 662);

        // From there the gain falls with the 60 ms release.
        const float gainAtClose = closing.gain;
        closing.feed (below, 2646);
        EXPECT_NEAR (closing.gain / gainAtClose, std::exp (-1.0f), 0.005f);
    }
}

TEST (NoiseGate, FastAttackReachesTheTimeConstantIn132SamplesAt44100)
{
    SteppedGate gate (NoiseGate::makeSettings (0.0f, 0, 44100.0));

    gate.step (0.5f);
    ASSERT_TRUE (gate.open); // well above T, the gate opens on the first sample

    gate.feed (0.5f, 131);
    EXPECT_NEAR (gate.gain, 0.63f, 0.005f);

    gate.feed (0.5f, 4410);
    EXPECT_GT (gate.gain, 0.9999f);
    EXPECT_LE (gate.gain, 1.0f);
}

// The level test compares the envelope with the thresholds' gains and takes the
// logarithm only close to them; on a long, varied signal every decision and
// every sample must be those of the plain dB comparison.
TEST (NoiseGate, LinearLevelTestMatchesTheDecibelComparison)
{
    constexpr double rate = 44100.0;
    juce::Random random (20240611);
    std::vector<float> signal;

    while (signal.size() < (size_t) (30 * rate))
    {
        const int length = 200 + random.nextInt (8000);
        const float levelDb = -115.0f + 115.0f * random.nextFloat();
        const float amplitude = gainOf (levelDb);
        const int kind = random.nextInt (5);
        const double frequency = 20.0 + 8000.0 * random.nextDouble();

        for (int i = 0; i < length; ++i)
        {
            const float t = (float) i / (float) length;
            switch (kind)
            {
                case 0:
                    signal.push_back (amplitude *
                                      (float) std::sin (juce::MathConstants<double>::twoPi * frequency * i / rate));
                    break;
                case 1: signal.push_back (amplitude * (2.0f * random.nextFloat() - 1.0f)); break;
                case 2:
                    signal.push_back (gainOf (-115.0f + 115.0f * t) * (i % 2 == 0 ? 1.0f : -1.0f));
                    break; // rising sweep
                case 3: signal.push_back (0.0f); break;
                default: signal.push_back (amplitude); break;
            }
        }
    }

    int nearThreshold = 0;

    for (const float amount : { 0.0f, 37.3f, 100.0f })
    {
        // Steady levels exactly at the thresholds and one float step either side.
        auto probe = signal;
        const auto probeSettings = NoiseGate::makeSettings (amount, 0, rate);
        for (const float db : { probeSettings.open.thresholdDb, probeSettings.close.thresholdDb })
            for (const float level :
                 { gainOf (db), std::nextafter (gainOf (db), 0.0f), std::nextafter (gainOf (db), 1.0f) })
            {
                probe.insert (probe.end(), 3000, 1.0f);
                probe.insert (probe.end(), 20000, level);
            }

        for (const int mode : { 0, 1, 2 })
        {
            SCOPED_TRACE (testing::Message() << "amount " << amount << " mode " << mode);
            const auto settings = NoiseGate::makeSettings (amount, mode, rate);

            SteppedGate stepped (settings);
            DecibelGate reference;
            std::vector<float> steppedOut;
            steppedOut.reserve (probe.size());

            for (size_t i = 0; i < probe.size(); ++i)
            {
                const float expected = reference.step (probe[i], settings);
                steppedOut.push_back (stepped.step (probe[i]));

                ASSERT_EQ (stepped.open, reference.open) << "sample " << i;
                ASSERT_EQ (stepped.holdCounter, reference.holdCounter) << "sample " << i;
                ASSERT_NEAR (steppedOut.back(), expected, 1.0e-6f) << "sample " << i;

                for (const auto& threshold : { settings.open, settings.close })
                    if (reference.envelope >= threshold.certainlyBelow &&
                        reference.envelope <= threshold.certainlyAbove)
                        ++nearThreshold;
            }

            // Whole blocks of varying length give the same samples as single steps.
            auto blocks = probe;
            float envelope = 0.0f, gain = 0.0f;
            int holdCounter = 0;
            bool open = false;

            for (size_t start = 0; start < blocks.size();)
            {
                const int n = (int) juce::jmin ((size_t) (1 + random.nextInt (700)), blocks.size() - start);
                NoiseGate::processChannel (blocks.data() + start, n, settings, { envelope, gain, holdCounter, open });
                start += (size_t) n;
            }

            ASSERT_TRUE (blocks == steppedOut);
        }
    }

    // The signal really did visit the narrow band where the logarithm decides.
    EXPECT_GT (nearThreshold, 10000);
}

TEST (NoiseGate, ChannelPairGatesEachChannelOnItsOwn)
{
    const auto settings = NoiseGate::makeSettings (40.0f, 1, 48000.0);
    auto loud = Signals::noise (1, 20000, 0.3f, 1);
    auto bursts = Signals::noise (1, 20000, 0.3f, 2);
    bursts.clear (0, 5000, 10000);

    std::vector<float> left (loud.getReadPointer (0), loud.getReadPointer (0) + 20000);
    std::vector<float> right (bursts.getReadPointer (0), bursts.getReadPointer (0) + 20000);
    auto leftAlone = left, rightAlone = right;

    float envelope[4] {}, gain[4] {};
    int holdCounter[4] {};
    bool open[4] {};
    const auto state = [&] (int i) {
        return NoiseGate::ChannelState { envelope[i], gain[i], holdCounter[i], open[i] };
    };

    for (int start = 0; start < 20000; start += 700)
    {
        const int n = juce::jmin (700, 20000 - start);
        NoiseGate::processChannelPair (left.data() + start, right.data() + start, n, settings, state (0), state (1));
        NoiseGate::processChannel (leftAlone.data() + start, n, settings, state (2));
        NoiseGate::processChannel (rightAlone.data() + start, n, settings, state (3));
    }

    EXPECT_TRUE (left == leftAlone);
    EXPECT_TRUE (right == rightAlone);
}

TEST (NoiseGateChain, SilenceAndLevelsBelowTheThresholdLeaveExactZeros)
{
    ProcessorRig rig (44100.0, 512);

    juce::AudioBuffer<float> silence (2, 44100);
    silence.clear();
    auto noise = Signals::noise (2, 44100, gainOf (-90.0f));

    for (auto* input : { &silence, &noise })
    {
        const auto output = rig.run (*input);
        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < output.getNumSamples(); ++i)
                ASSERT_EQ (output.getSample (ch, i), 0.0f) << "channel " << ch << " sample " << i;
    }
}

TEST (NoiseGateChain, AmountSetsTheOpeningLevel)
{
    struct Case
    {
        float amount;
        float sinePeakDb;
        bool passes;
    };

    for (const auto& c : { Case { 0.0f, -75.0f, true }, Case { 0.0f, -85.0f, false }, Case { 100.0f, -15.0f, true },
                           Case { 100.0f, -25.0f, false } })
    {
        ProcessorRig rig (44100.0, 512);
        rig.set (ParamIds::gateAmount, c.amount);

        const auto output = rig.run (Signals::sine (2, 22050, 440.0, 44100.0, gainOf (c.sinePeakDb)));
        EXPECT_EQ (Signals::peak (output) > 0.0f, c.passes) << c.amount << " % at " << c.sinePeakDb << " dB";
    }
}

TEST (NoiseGateChain, CharacterOutsideTheListGatesAsFast)
{
    // Tone bursts with gaps long enough for each character's hold and release.
    juce::AudioBuffer<float> bursts (2, 3 * 22050);
    Signals::Sine tone { 330.0, 44100.0, 0.3f };
    for (int burst = 0; burst < 3; ++burst)
    {
        juce::AudioBuffer<float> part (bursts.getArrayOfWritePointers(), 2, burst * 22050, 22050);
        tone.fill (part);
        part.clear (4410, 22050 - 4410);
    }

    const auto withMode = [&bursts] (float value)
    {
        ProcessorRig rig (44100.0, 512);
        rig.forceRawValue (ParamIds::gateMode, value);
        return rig.run (bursts);
    };

    const auto fast = withMode (0.0f);
    EXPECT_FALSE (identical (fast, withMode (2.0f)));

    for (const float outside : { 3.0f, 7.0f, -1.0f, std::numeric_limits<float>::quiet_NaN() })
        EXPECT_TRUE (identical (fast, withMode (outside))) << outside;
}

TEST (NoiseGateChain, ChannelsBeyondTheSecondPassUngated)
{
    ProcessorRig rig (44100.0, 512);

    // Below the -80 dB threshold: channels 0 and 1 stay muted, channel 2 passes.
    auto warmUp = Signals::noise (3, 4096, gainOf (-90.0f));
    rig.process (warmUp);

    const auto input = Signals::noise (3, 2048, gainOf (-90.0f), 99);
    const auto output = rig.run (input);

    for (int i = 0; i < input.getNumSamples(); ++i)
    {
        ASSERT_EQ (output.getSample (0, i), 0.0f);
        ASSERT_EQ (output.getSample (1, i), 0.0f);
        ASSERT_EQ (output.getSample (2, i), input.getSample (2, i));
    }
}
