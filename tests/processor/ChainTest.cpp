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
struct HugeSampleCase
{
    const char* name;
    float value;
    float inputTrimDb;
    bool driveOn;
};

class HugeInputSample : public testing::TestWithParam<HugeSampleCase>
{
};

// A finite sample far beyond any signal (an uninitialised host buffer, say)
// could overflow inside the oversampler and leave every later sample NaN. No
// output block may hold anything but finite samples, and within a second of
// the sample the chain plays as if it had been silence.
TEST_P (HugeInputSample, NeverMakesTheOutputNonFinite)
{
    constexpr double sampleRate = 44100.0;
    constexpr int at = 20000;
    const auto huge = GetParam();
    const int numSamples = 3 * 44100;

    auto withSilence = Signals::sine (2, numSamples, 330.0, sampleRate, 0.4f);
    withSilence.setSample (0, at, 0.0f);
    auto withHuge = withSilence;
    withHuge.setSample (0, at, huge.value);

    ProcessorRig hugeRig (sampleRate, 512), silenceRig (sampleRate, 512);
    for (auto* rig : { &hugeRig, &silenceRig })
    {
        rig->set (everyStageOn);
        rig->set (
            { { ParamIds::driveEnabled, huge.driveOn ? 1.0f : 0.0f }, { ParamIds::inputTrim, huge.inputTrimDb } });
    }

    const auto output = hugeRig.run (withHuge);
    const auto expected = silenceRig.run (withSilence);

    EXPECT_TRUE (Signals::allFinite (output));
    EXPECT_GT (Signals::peak (output, numSamples - 4096), 0.05f);

    const int settled = at + 44100;
    EXPECT_LT (maxAbsDifference (output, settled, expected, settled, numSamples - settled), 1.0e-5f);
}

INSTANTIATE_TEST_SUITE_P (Chain, HugeInputSample,
                          testing::Values (HugeSampleCase { "Plus3e38DriveOn", 3.0e38f, 0.0f, true },
                                           HugeSampleCase { "Plus3e38DriveOff", 3.0e38f, 0.0f, false },
                                           HugeSampleCase { "Minus3e38DriveOn", -3.0e38f, 0.0f, true },
                                           HugeSampleCase { "Minus3e38DriveOff", -3.0e38f, 0.0f, false },
                                           HugeSampleCase { "LargestFloat", std::numeric_limits<float>::max(), 0.0f,
                                                            true },
                                           HugeSampleCase { "Plus1e37ThroughFullInputTrim", 1.0e37f, 24.0f, false }),
                          [] (const auto& info) { return std::string (info.param.name); });

//==============================================================================
struct PoisonedParameterCase
{
    const char* name;
    const char* id;
};

class NotANumberParameter : public testing::TestWithParam<PoisonedParameterCase>
{
};

// A host can hand over a parameter value that is not a number (the VST3 client
// passes any normalised value on to setValueNotifyingHost), which then reaches
// a recursive state inside a stage. Every output block stays finite: a block
// that would not be is silence, and from the next block on the chain plays as
// one prepared at that moment would. That happens within a second of the value
// becoming a number again.
TEST_P (NotANumberParameter, LeavesNoStateBehind)
{
    constexpr double sampleRate = 44100.0;
    constexpr int blockSize = 512;
    const auto poisoned = GetParam();
    const int before = 40 * blockSize, during = 20 * blockSize, after = 160 * blockSize;

    const auto input = Signals::sine (2, before + during + after, 220.0, sampleRate, 0.3f);

    ProcessorRig rig (sampleRate, blockSize);
    rig.set (everyStageOn);
    auto* parameter = rig.processor.apvts.getParameter (poisoned.id);
    const float goodValue = parameter->getValue();

    auto output = input;
    rig.process (output, 0, before);
    parameter->setValueNotifyingHost (std::numeric_limits<float>::quiet_NaN());
    rig.process (output, before, during);
    parameter->setValueNotifyingHost (goodValue);
    rig.process (output, before + during, after);

    EXPECT_TRUE (Signals::allFinite (output));

    int recoveredAt = 0;
    for (int start = 0; start < output.getNumSamples(); start += blockSize)
        if (Signals::peak (output, start, blockSize) == 0.0f)
            recoveredAt = start + blockSize;

    ASSERT_GE (recoveredAt, before) << "no block was silenced";
    EXPECT_LE (recoveredAt, before + during + 44100);

    ProcessorRig reference (sampleRate, blockSize);
    reference.set (everyStageOn);
    auto warmUp = input;
    reference.process (warmUp, 0, blockSize);
    reference.processor.prepareToPlay (sampleRate, blockSize);
    auto expected = input;
    reference.process (expected, recoveredAt, input.getNumSamples() - recoveredAt);

    EXPECT_EQ (maxAbsDifference (output, recoveredAt, expected, recoveredAt, input.getNumSamples() - recoveredAt),
               0.0f);
    EXPECT_GT (Signals::peak (output, input.getNumSamples() - 4096), 0.05f);
}

INSTANTIATE_TEST_SUITE_P (Chain, NotANumberParameter,
                          testing::Values (PoisonedParameterCase { "EchoFeedback", "echoFeedback" },
                                           PoisonedParameterCase { "ToneMidFrequency", "toneMidFreq" }),
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
