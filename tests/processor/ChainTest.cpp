#include "support/ProcessorRig.h"
#include "support/Signals.h"

#include <gtest/gtest.h>

#include <limits>

namespace
{
// Every stage on, the cabinet included, with audible amounts.
const ParameterSettings everyStageOn { { ParamIds::gateAmount, 20.0f },    { ParamIds::driveEnabled, 1.0f },
                                       { ParamIds::driveAmount, 60.0f },   { ParamIds::toneEnabled, 1.0f },
                                       { ParamIds::toneTilt, 4.0f },       { ParamIds::cabEnabled, 1.0f },
                                       { ParamIds::spaceEnabled, 1.0f },   { ParamIds::spaceAmount, 40.0f },
                                       { ParamIds::spacePreDelay, 12.3f }, { ParamIds::modEnabled, 1.0f },
                                       { ParamIds::modAmount, 50.0f },     { ParamIds::echoEnabled, 1.0f },
                                       { ParamIds::echoAmount, 40.0f },    { ParamIds::echoDivision, 1.0f },
                                       { ParamIds::blend, 70.0f },         { ParamIds::outputTrim, -3.0f } };

// A tone with noise on top, then silence, so that the tails play as well.
juce::AudioBuffer<float> playedPhrase (int numSamples, double sampleRate)
{
    auto input = Signals::sine (2, numSamples, 220.0, sampleRate, 0.3f);
    const auto noise = Signals::noise (2, numSamples, 0.1f);
    const int silenceFrom = numSamples / 2;

    for (int ch = 0; ch < 2; ++ch)
    {
        input.addFrom (ch, 0, noise, ch, 0, numSamples);
        input.clear (ch, silenceFrom, numSamples - silenceFrom);
    }

    return input;
}

//==============================================================================
class ChainBlockSizes : public testing::TestWithParam<float>
{
};

TEST_P (ChainBlockSizes, DoNotChangeTheOutput)
{
    constexpr double sampleRate = 44100.0;
    constexpr int preparedMaximum = 1024;
    const auto input = playedPhrase (32768, sampleRate);

    const auto runWithBlocks = [&] (int blockSize)
    {
        ProcessorRig rig (sampleRate, preparedMaximum);
        rig.set (everyStageOn);
        rig.set (ParamIds::modMode, GetParam());
        return rig.run (input, blockSize);
    };

    const auto reference = runWithBlocks (preparedMaximum);
    ASSERT_GT (Signals::peak (reference), 0.05f);

#if JUCE_DSP_ENABLE_SNAP_TO_ZERO
    // The framework then snaps tiny filter states to zero at the end of every
    // block; the changed last bits reach the cabinet's low corner, whose float
    // round-off noise grows them to about 3e-5.
    const float tolerance = 1.0e-4f;
#else
    const float tolerance = 1.0e-5f;
#endif

    for (const int blockSize : { 1, 7, 64, 512 })
        EXPECT_LT (maxAbsDifference (runWithBlocks (blockSize), reference), tolerance) << blockSize << "-sample blocks";
}

std::string modulationName (const testing::TestParamInfo<float>& info)
{
    static const char* const names[] = { "Chorus", "Flanger", "Phaser" };
    return names[(int) info.param];
}

INSTANTIATE_TEST_SUITE_P (Chain, ChainBlockSizes, testing::Values (0.0f, 1.0f, 2.0f), modulationName);

//==============================================================================
struct BurstCase
{
    const char* name;
    int burstStart;
};

class NonFiniteInput : public testing::TestWithParam<BurstCase>
{
};

// Samples that are not finite must not stick in any stage's state: after them
// the chain plays on as if they had been silence.
TEST_P (NonFiniteInput, LeavesTheChainAsSilenceWould)
{
    constexpr double sampleRate = 44100.0;
    constexpr int burstLength = 1000;
    const auto burst = GetParam();
    const int numSamples = 3 * 44100;

    auto withSilence = Signals::sine (2, numSamples, 330.0, sampleRate, 0.4f);
    for (int ch = 0; ch < 2; ++ch)
        withSilence.clear (ch, burst.burstStart, burstLength);

    auto withBurst = withSilence;
    const float bad[] = { std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity() };
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < burstLength; ++i)
            withBurst.setSample (ch, burst.burstStart + i, bad[(i + ch) % 3]);

    ProcessorRig burstRig (sampleRate, 512), silenceRig (sampleRate, 512);
    burstRig.set (everyStageOn);
    silenceRig.set (everyStageOn);
    const auto output = burstRig.run (withBurst);
    const auto expected = silenceRig.run (withSilence);

    EXPECT_TRUE (Signals::allFinite (output));
    EXPECT_GT (Signals::peak (output, numSamples - 4096), 0.05f);

    const int settled = burst.burstStart + burstLength + 44100;
    EXPECT_LT (maxAbsDifference (output, settled, expected, settled, numSamples - settled), 1.0e-5f);
}

INSTANTIATE_TEST_SUITE_P (Chain, NonFiniteInput,
                          testing::Values (BurstCase { "BeforeTheTone", 0 }, BurstCase { "WithinTheTone", 20000 }),
                          [] (const auto& info) { return std::string (info.param.name); });

//==============================================================================
class ExtremeSampleRates : public testing::TestWithParam<double>
{
};

TEST_P (ExtremeSampleRates, GiveFiniteOutputWithEveryStageOn)
{
    const double sampleRate = GetParam();
    const auto input = playedPhrase ((int) (sampleRate / 2), sampleRate); // half a second

    for (const float modMode : { 0.0f, 1.0f, 2.0f })
        for (const float cabMode : { 0.0f, 1.0f })
        {
            ProcessorRig rig (sampleRate, 512);
            rig.set (everyStageOn);
            rig.set ({ { ParamIds::modMode, modMode }, { ParamIds::cabMode, cabMode } });
            const auto output = rig.run (input);

            EXPECT_TRUE (Signals::allFinite (output)) << "mod " << modMode << ", cab " << cabMode;
            EXPECT_GT (Signals::peak (output), 0.01f) << "mod " << modMode << ", cab " << cabMode;
        }
}

INSTANTIATE_TEST_SUITE_P (Chain, ExtremeSampleRates, testing::Values (8000.0, 384000.0),
                          [] (const auto& info) { return std::to_string ((int) info.param) + "Hz"; });

//==============================================================================
TEST (ChainBlend, AtZeroLeavesThePostCabinetSignalWithoutEffects)
{
    const auto input = playedPhrase (32768, 44100.0);

    ProcessorRig effectsOn;
    effectsOn.set (everyStageOn);
    effectsOn.set (ParamIds::blend, 0.0f);

    ProcessorRig effectsOff;
    effectsOff.set (everyStageOn);
    effectsOff.set (allSendsOff());
    effectsOff.set (ParamIds::blend, 100.0f);

    const auto blended = effectsOn.run (input);
    ASSERT_GT (Signals::peak (blended), 0.05f);
    EXPECT_LT (maxAbsDifference (blended, effectsOff.run (input)), 1.0e-6f);
}

void setPlain (VaskelQuorlinProcessor& processor, const juce::String& id, float plainValue)
{
    auto* parameter = processor.apvts.getParameter (id);
    parameter->setValueNotifyingHost (parameter->convertTo0to1 (plainValue));
}

TEST (ChainBeforePrepare, SkipsTheEffectSends)
{
    // Before prepareToPlay the sends have no storage; switched on, they must
    // simply not run.
    const auto input = Signals::noise (2, 512, 0.5f);
    juce::MidiBuffer midi;

    VaskelQuorlinProcessor withSends, withoutSends;
    for (const auto& [id, value] : everyStageOn)
    {
        setPlain (withSends, id, value);
        setPlain (withoutSends, id, value);
    }
    for (const auto& [id, value] : allSendsOff())
        setPlain (withoutSends, id, value);

    auto output = input, expected = input;
    withSends.processBlock (output, midi);
    withoutSends.processBlock (expected, midi);

    EXPECT_TRUE (Signals::allFinite (output));
    EXPECT_EQ (maxAbsDifference (output, expected), 0.0f);
}
} // namespace
