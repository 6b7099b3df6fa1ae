#include "processor/StageChecks.h"
#include "processor/ToneCab.h"

#include <gtest/gtest.h>

namespace
{
constexpr int scoop = 0, flat = 1, bright = 2;
constexpr int combo = 0, stack = 1, directInput = 2;

// Only the filter stage under test colours the signal: the drive does not run
// at its default amount and the gate opens at -80 dB.
struct FilterRig : ProcessorRig
{
    explicit FilterRig (double rate = 48000.0)
        : ProcessorRig (rate, 512)
        , sampleRate (rate)
    {
    }

    float responseDb (double frequency) { return ::responseDb (*this, sampleRate, frequency); }

    void tone (float tilt, int mode, float midHz)
    {
        set (ParamIds::toneTilt, tilt);
        set (ParamIds::toneMode, (float) mode);
        set (ParamIds::toneMidFreq, midHz);
    }

    void cabinetOnly (int mode)
    {
        set (ParamIds::toneEnabled, 0.0f);
        set (ParamIds::cabEnabled, 1.0f);
        set (ParamIds::cabMode, (float) mode);
    }

    double sampleRate;
};
} // namespace

TEST (ToneCab, VoicingsWithTheirFallBacks)
{
    struct ToneCase
    {
        int mode;
        float low, high;
    };

    for (const auto& c : { ToneCase { scoop, 250, 3000 }, ToneCase { flat, 400, 2000 }, ToneCase { bright, 500, 1500 },
                           ToneCase { 3, 500, 1500 }, ToneCase { -1, 500, 1500 } })
    {
        const auto corners = ToneCab::shelfCornersForMode (c.mode);
        EXPECT_EQ (corners.lowHz, c.low) << "tone mode " << c.mode;
        EXPECT_EQ (corners.highHz, c.high) << "tone mode " << c.mode;
    }

    struct CabCase
    {
        int mode;
        float highPass, lowPass, peak, peakDb;
    };

    for (const auto& c : { CabCase { combo, 120, 6500, 3000, 2 }, CabCase { stack, 90, 5500, 2500, 3 },
                           CabCase { 3, 90, 5500, 2500, 3 }, CabCase { -1, 90, 5500, 2500, 3 } })
    {
        const auto voicing = ToneCab::cabinetVoicingForMode (c.mode);
        EXPECT_EQ (voicing.highPassHz, c.highPass) << "cabinet mode " << c.mode;
        EXPECT_EQ (voicing.lowPassHz, c.lowPass) << "cabinet mode " << c.mode;
        EXPECT_EQ (voicing.peakHz, c.peak) << "cabinet mode " << c.mode;
        EXPECT_EQ (voicing.peakGainDb, c.peakDb) << "cabinet mode " << c.mode;
    }
}

TEST (ToneCab, FrequenciesAreHeldBelowNyquistOnlyAtLowRates)
{
    for (const double rate : { 13000.0, 44100.0, 48000.0, 384000.0 })
        for (const float hz : { 90.0f, 250.0f, 2500.0f, 3000.0f, 5500.0f, 6500.0f })
            EXPECT_EQ (ToneCab::limitedFrequency (hz, rate), hz) << hz << " Hz at " << rate;

    EXPECT_EQ (ToneCab::limitedFrequency (3000.0f, 8000.0), 3000.0f);
    EXPECT_FLOAT_EQ (ToneCab::limitedFrequency (6500.0f, 8000.0), 3600.0f);
    EXPECT_FLOAT_EQ (ToneCab::limitedFrequency (5500.0f, 11025.0), 4961.25f);
}

TEST (ToneChain, MeasuredResponse)
{
    struct Case
    {
        float tilt;
        int mode;
        float midHz;
        double frequency;
        float expectedDb;
    };

    // Tilt 0 leaves only the +4 dB peak; +12 dB "Flat" cuts the lows by about
    // 6 dB and raises the highs by about 6 dB around that peak.
    for (const auto& c : { Case { 0.0f, flat, 800.0f, 800.0, 4.0f }, Case { 0.0f, flat, 800.0f, 40.0, 0.0f },
                           Case { 0.0f, flat, 800.0f, 12000.0, 0.0f }, Case { 0.0f, scoop, 2000.0f, 2000.0, 4.0f },
                           Case { 12.0f, flat, 800.0f, 40.0, -6.0f }, Case { 12.0f, flat, 800.0f, 12000.0, 6.0f },
                           Case { 12.0f, flat, 800.0f, 800.0, 3.8f }, Case { -12.0f, scoop, 800.0f, 40.0, 6.0f },
                           Case { -12.0f, scoop, 800.0f, 12000.0, -6.0f } })
    {
        FilterRig rig;
        rig.tone (c.tilt, c.mode, c.midHz);
        EXPECT_NEAR (rig.responseDb (c.frequency), c.expectedDb, 0.1f)
            << "tilt " << c.tilt << " mode " << c.mode << " mid " << c.midHz << " at " << c.frequency << " Hz";
    }
}

TEST (CabinetChain, MeasuredResponse)
{
    struct Case
    {
        int mode;
        double frequency;
        float expectedDb;
    };

    // Two Butterworth passes at each corner give -6 dB there; the presence
    // peak adds its lift between them.
    for (const auto& c :
         { Case { combo, 30.0, -48.2f }, Case { combo, 120.0, -6.0f }, Case { combo, 1000.0, 0.24f },
           Case { combo, 3000.0, 1.68f }, Case { combo, 6500.0, -5.56f }, Case { stack, 90.0, -6.0f },
           Case { stack, 120.0, -2.38f }, Case { stack, 2500.0, 2.68f }, Case { stack, 5500.0, -5.33f } })
    {
        FilterRig rig;
        rig.cabinetOnly (c.mode);
        EXPECT_NEAR (rig.responseDb (c.frequency), c.expectedDb, c.expectedDb < -20.0f ? 0.5f : 0.1f)
            << "cabinet mode " << c.mode << " at " << c.frequency << " Hz";
    }
}

TEST (ToneCabChain, CharactersOutsideTheListFallBack)
{
    const auto input = Signals::noise (2, 24000, 0.2f);

    const auto run = [&input] (const juce::String& id, float value)
    {
        FilterRig rig;
        rig.set (ParamIds::cabEnabled, 1.0f);
        rig.set (ParamIds::toneTilt, 6.0f);
        rig.forceRawValue (id, value);
        return rig.run (input);
    };

    const auto brightTone = run (ParamIds::toneMode, (float) bright);
    EXPECT_FALSE (identical (brightTone, run (ParamIds::toneMode, (float) flat)));
    EXPECT_TRUE (identical (brightTone, run (ParamIds::toneMode, 3.0f)));
    EXPECT_TRUE (identical (brightTone, run (ParamIds::toneMode, -1.0f)));

    const auto stacked = run (ParamIds::cabMode, (float) stack);
    EXPECT_FALSE (identical (stacked, run (ParamIds::cabMode, (float) combo)));
    EXPECT_TRUE (identical (stacked, run (ParamIds::cabMode, 3.0f)));
    EXPECT_TRUE (identical (stacked, run (ParamIds::cabMode, -1.0f)));
}

TEST (CabinetChain, OffAndDirectInputLeaveTheSignalAlone)
{
    const auto input = Signals::noise (2, 24000, 0.2f);

    FilterRig reference;
    const auto untouched = reference.run (input); // the cabinet is off by default

    const auto withCabinet = [&input] (bool enabled, int mode)
    {
        FilterRig rig;
        rig.set (ParamIds::cabEnabled, enabled ? 1.0f : 0.0f);
        rig.set (ParamIds::cabMode, (float) mode);
        return rig.run (input);
    };

    EXPECT_TRUE (identical (untouched, withCabinet (true, directInput)));
    EXPECT_TRUE (identical (untouched, withCabinet (false, combo)));
    EXPECT_TRUE (identical (untouched, withCabinet (false, stack)));
    EXPECT_FALSE (identical (untouched, withCabinet (true, combo)));
}

// A stage that does not run keeps its filter states: switched on again it
// continues from them, so after a stretch of silence it rings with what it
// held, where a cleared filter would stay silent.
TEST (ToneCabChain, FilterStatesResumeAfterAStageDidNotRun)
{
    struct Case
    {
        const char* name;
        juce::String id;
        float runs, pauses;
    };

    for (const auto& c : { Case { "tone off", ParamIds::toneEnabled, 1.0f, 0.0f },
                           Case { "cabinet off", ParamIds::cabEnabled, 1.0f, 0.0f },
                           Case { "cabinet DI", ParamIds::cabMode, (float) combo, (float) directInput } })
    {
        SCOPED_TRACE (c.name);
        FilterRig rig;
        rig.set (ParamIds::toneEnabled, c.id == ParamIds::toneEnabled ? 1.0f : 0.0f);
        rig.set (ParamIds::cabEnabled, c.id == ParamIds::toneEnabled ? 0.0f : 1.0f);
        rig.set (c.id, c.runs);

        auto loud = Signals::noise (2, 24000, 0.5f);
        rig.process (loud);

        // Paused through two seconds of silence: everything before the stage
        // has rung out to exact zeros.
        rig.set (c.id, c.pauses);
        juce::AudioBuffer<float> silence (2, 96000);
        silence.clear();
        rig.process (silence);
        ASSERT_EQ (Signals::peak (silence, 48000), 0.0f);

        rig.set (c.id, c.runs);
        juce::AudioBuffer<float> resumed (2, 512);
        resumed.clear();
        rig.process (resumed);
        EXPECT_GT (Signals::peak (resumed, 0, 64), 1.0e-3f);
    }
}

TEST (ToneCabChain, FiniteAtTheLowestAndHighestRates)
{
    for (const double rate : { 8000.0, 384000.0 })
    {
        for (const int cabinet : { combo, stack })
        {
            ProcessorRig rig (rate, 512);
            rig.set (ParamIds::driveAmount, 60.0f);
            rig.set (ParamIds::toneTilt, 12.0f);
            rig.set (ParamIds::toneMode, (float) scoop);
            rig.set (ParamIds::toneMidFreq, 3000.0f);
            rig.set (ParamIds::cabEnabled, 1.0f);
            rig.set (ParamIds::cabMode, (float) cabinet);

            const auto output = rig.run (Signals::noise (2, (int) rate * 2, 0.5f));
            EXPECT_TRUE (Signals::allFinite (output)) << rate << " Hz";
            EXPECT_LT (Signals::peak (output), 2.0f) << rate << " Hz";
            EXPECT_GT (Signals::rms (output, 0, (int) rate), 1.0e-3f) << rate << " Hz";
        }
    }
}

TEST (ToneCabChain, OutputDoesNotDependOnBlockBoundaries)
{
    const auto input = Signals::noise (2, 48000, 0.3f);

    const auto inBlocksOf = [&input] (int length)
    {
        FilterRig rig;
        rig.set (ParamIds::toneTilt, -6.0f);
        rig.set (ParamIds::cabEnabled, 1.0f);
        return rig.run (input, length);
    };

    EXPECT_LE (maxAbsDifference (inBlocksOf (64), inBlocksOf (512)), 1.0e-5f);
    EXPECT_LE (maxAbsDifference (inBlocksOf (37), inBlocksOf (512)), 1.0e-5f);
}
