#include "processor/VaskelQuorlinProcessor.h"

#include "common/ParamIds.h"
#include "support/BufferExpectations.h"
#include "support/ParameterHelpers.h"
#include "support/Signals.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace
{
constexpr double sampleRate = 44100.0;
constexpr int blockSize = 512;
constexpr int fadeSamples = 882; // 20 ms at 44.1 kHz

void process (VaskelQuorlinProcessor& processor, juce::AudioBuffer<float>& buffer)
{
    juce::MidiBuffer midi;
    processor.processBlock (buffer, midi);
}

// Runs `input` through the processor in blocks of `length` and returns the output.
juce::AudioBuffer<float> run (VaskelQuorlinProcessor& processor, const juce::AudioBuffer<float>& input,
                              int length = blockSize)
{
    auto output = input;
    for (int start = 0; start < output.getNumSamples(); start += length)
    {
        const int n = juce::jmin (length, output.getNumSamples() - start);
        juce::AudioBuffer<float> block (output.getArrayOfWritePointers(), output.getNumChannels(), start, n);
        process (processor, block);
    }
    return output;
}

// Past the trims' fade-in, so that later blocks see the trims' plain gains.
void prepareAndSettle (VaskelQuorlinProcessor& processor, double rate = sampleRate, int maximumBlockSize = blockSize)
{
    processor.prepareToPlay (rate, maximumBlockSize);
    juce::AudioBuffer<float> silence (2, 2048);
    silence.clear();
    run (processor, silence, maximumBlockSize);
}

void switchEveryStageOn (VaskelQuorlinProcessor& processor)
{
    auto& state = processor.apvts;
    setPlainValue (state, ParamIds::gateAmount, 30.0f);
    setPlainValue (state, ParamIds::driveAmount, 50.0f);
    setPlainValue (state, ParamIds::toneTilt, -4.0f);
    setPlainValue (state, ParamIds::cabEnabled, 1.0f);
    setPlainValue (state, ParamIds::modAmount, 60.0f);
    setPlainValue (state, ParamIds::spaceAmount, 50.0f);
    setPlainValue (state, ParamIds::spacePreDelay, 15.0f);
    setPlainValue (state, ParamIds::echoAmount, 50.0f);
    setPlainValue (state, ParamIds::blend, 80.0f);
}

float levelDb (float peak) { return juce::Decibels::gainToDecibels (peak); }

std::unique_ptr<VaskelQuorlinProcessor> makeMonoInputProcessor()
{
    auto processor = std::make_unique<VaskelQuorlinProcessor>();
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (juce::AudioChannelSet::mono());
    layout.outputBuses.add (juce::AudioChannelSet::stereo());
    EXPECT_TRUE (processor->setBusesLayout (layout));
    return processor;
}
} // namespace

//==============================================================================
TEST (BlockFrame, BypassPassesTheInputAsLateAsTheChainAndMetersItsPeak)
{
    VaskelQuorlinProcessor processor;
    switchEveryStageOn (processor);
    prepareAndSettle (processor);
    const int latency = processor.getLatencySamples();
    ASSERT_GT (latency, 0);

    // The input just before the bypass comes out first.
    const auto before = Signals::noise (2, blockSize, 0.3f, 2);
    run (processor, before);
    setPlainValue (processor.apvts, ParamIds::bypass, 1.0f);

    const auto input = Signals::noise (2, blockSize, 0.7f, 3);
    auto output = input;
    process (processor, output);

    expectIdentical (output, delayedBlock (before, input, latency));
    EXPECT_EQ (processor.inputLevelDb.load(), levelDb (input.getMagnitude (0, blockSize)));
    EXPECT_EQ (processor.outputLevelDb.load(), processor.inputLevelDb.load());
}

// Either bypass, the processor's own parameter or the host's, plays the input
// exactly `latency` samples late, the way the chain plays it; switching back
// plays what the delay still holds before the chain takes over. So across any
// block size no sample is skipped or played twice at either switch.
TEST (BlockFrame, BypassSwitchesNeitherSkipNorRepeatASample)
{
    for (const bool hostBypass : { false, true })
    {
        for (const int size : { 1, 2, 5, 6, 7, 64, blockSize })
        {
            SCOPED_TRACE ((hostBypass ? "host bypass, " : "bypass parameter, ") + juce::String (size) + " samples");
            VaskelQuorlinProcessor processor;
            prepareAndSettle (processor);
            const int latency = processor.getLatencySamples();

            // Switches at block boundaries, some hundred samples apart.
            const auto boundaryFrom = [size] (int sample) { return (sample + size - 1) / size * size; };
            const int bypassFrom = boundaryFrom (512), bypassTo = boundaryFrom (bypassFrom + 300);
            const int length = bypassTo + boundaryFrom (600);

            // A ramp: every sample different, and exact in float.
            juce::AudioBuffer<float> input (2, length);
            for (int i = 0; i < length; ++i)
                for (int ch = 0; ch < 2; ++ch)
                    input.setSample (ch, i, (float) (i + 1) * (ch == 0 ? 0.001f : -0.001f));
            auto output = input;
            juce::MidiBuffer midi;

            for (int start = 0; start < length; start += size)
            {
                const int n = juce::jmin (size, length - start);
                juce::AudioBuffer<float> block (output.getArrayOfWritePointers(), 2, start, n);
                const bool bypassed = start >= bypassFrom && start < bypassTo;

                if (hostBypass && bypassed)
                {
                    processor.processBlockBypassed (block, midi);
                }
                else
                {
                    setPlainValue (processor.apvts, ParamIds::bypass, bypassed ? 1.0f : 0.0f);
                    processor.processBlock (block, midi);
                }
            }

            // From the switch on until the delay has handed over to the chain.
            for (int ch = 0; ch < 2; ++ch)
                for (int i = bypassFrom; i < bypassTo + latency; ++i)
                    ASSERT_EQ (output.getSample (ch, i), input.getSample (ch, i - latency)) << ch << ", " << i;

            // Before it and after the hand-over, the chain plays: late by the
            // latency too, through its filters.
            EXPECT_NE (output.getSample (0, bypassFrom - 1), input.getSample (0, bypassFrom - 1 - latency));
            EXPECT_NEAR (output.getSample (0, bypassFrom - 1), input.getSample (0, bypassFrom - 1 - latency), 0.01f);
            EXPECT_NE (output.getSample (0, bypassTo + latency), input.getSample (0, bypassTo));
        }
    }
}

TEST (BlockFrame, BypassedBlocksLeaveEveryStageAsItWas)
{
    VaskelQuorlinProcessor withBypass, without;

    for (auto* processor : { &withBypass, &without })
    {
        switchEveryStageOn (*processor);
        processor->prepareToPlay (sampleRate, blockSize);
    }

    const auto before = Signals::noise (2, 4 * blockSize, 0.5f, 11);
    const auto during = Signals::noise (2, 3 * blockSize, 0.9f, 12);
    const auto after = Signals::sine (2, 8 * blockSize, 330.0, sampleRate, 0.4f);

    run (withBypass, before);
    run (without, before);

    setPlainValue (withBypass.apvts, ParamIds::bypass, 1.0f);
    run (withBypass, during);
    setPlainValue (withBypass.apvts, ParamIds::bypass, 0.0f);

    // The chain resumes as if the bypassed blocks had not been; only its first
    // `latency` samples are the end of the bypassed input, still in the delay.
    const int latency = withBypass.getLatencySamples();
    auto resumed = run (withBypass, after);
    const auto expectedStart = delayedBlock (during, after, latency);

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < latency; ++i)
        {
            ASSERT_EQ (resumed.getSample (ch, i), expectedStart.getSample (ch, i)) << ch << ", " << i;
            resumed.setSample (ch, i, 0.0f);
        }

    auto unbypassed = run (without, after);
    unbypassed.clear (0, latency);
    expectIdentical (resumed, unbypassed);
}

TEST (BlockFrame, ASwitchCountsAsOnOnlyAboveOneHalf)
{
    VaskelQuorlinProcessor processor;
    prepareAndSettle (processor);
    const auto input = Signals::sine (2, blockSize, 1000.0, sampleRate, 0.5f);

    processor.apvts.getRawParameterValue (ParamIds::bypass)->store (0.5f);
    auto processed = input;
    process (processor, processed);
    EXPECT_NE (processed.getSample (0, 100), input.getSample (0, 100));

    processor.apvts.getRawParameterValue (ParamIds::bypass)->store (0.5001f);
    auto bypassed = input;
    process (processor, bypassed);
    expectIdentical (bypassed, delayedBlock (input, input, processor.getLatencySamples()));
}

TEST (BlockFrame, AMonoInputFeedsBothChannels)
{
    auto mono = makeMonoInputProcessor();
    VaskelQuorlinProcessor stereo;

    for (auto* processor : { mono.get(), &stereo })
    {
        switchEveryStageOn (*processor);
        processor->prepareToPlay (sampleRate, blockSize);
    }

    // The host's second channel holds whatever it likes; a mono input means
    // the first channel on both sides.
    auto monoInput = Signals::noise (2, 6 * blockSize, 0.5f, 21);
    auto stereoInput = monoInput;
    stereoInput.copyFrom (1, 0, stereoInput, 0, 0, stereoInput.getNumSamples());

    expectIdentical (run (*mono, monoInput), run (stereo, stereoInput));
}

TEST (BlockFrame, AMonoInputIsCopiedAlsoWhenBypassed)
{
    auto processor = makeMonoInputProcessor();
    prepareAndSettle (*processor);
    setPlainValue (processor->apvts, ParamIds::bypass, 1.0f);

    const auto input = Signals::noise (2, blockSize, 0.5f, 5);
    auto output = input;
    process (*processor, output);

    // After the silence the processor settled on, late by the latency.
    const int latency = processor->getLatencySamples();
    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < blockSize; ++i)
            ASSERT_EQ (output.getSample (ch, i), i < latency ? 0.0f : input.getSample (0, i - latency));
}

//==============================================================================
TEST (BlockFrame, MetersFloorAtMinus100)
{
    VaskelQuorlinProcessor processor;
    prepareAndSettle (processor);
    auto loud = Signals::sine (2, blockSize, 440.0, sampleRate, 0.5f);
    juce::MidiBuffer midi;

    // Digital silence, after a loud block so that the meters have to move.
    process (processor, loud);
    juce::AudioBuffer<float> silence (2, blockSize);
    silence.clear();
    for (int i = 0; i < 30; ++i) // until the chain's own tail has died away
    {
        juce::AudioBuffer<float> block (2, blockSize);
        block.clear();
        process (processor, block);
    }
    EXPECT_EQ (processor.inputLevelDb.load(), -100.0f);
    EXPECT_EQ (processor.outputLevelDb.load(), -100.0f);

    // A block of no samples.
    loud = Signals::sine (2, blockSize, 440.0, sampleRate, 0.5f);
    process (processor, loud);
    ASSERT_GT (processor.inputLevelDb.load(), -100.0f);
    juce::AudioBuffer<float> empty (2, 0);
    process (processor, empty);
    EXPECT_EQ (processor.inputLevelDb.load(), -100.0f);
    EXPECT_EQ (processor.outputLevelDb.load(), -100.0f);

    // The same while bypassed.
    setPlainValue (processor.apvts, ParamIds::bypass, 1.0f);
    loud = Signals::sine (2, blockSize, 440.0, sampleRate, 0.5f);
    process (processor, loud);
    ASSERT_GT (processor.outputLevelDb.load(), -100.0f);
    process (processor, empty);
    EXPECT_EQ (processor.inputLevelDb.load(), -100.0f);
    EXPECT_EQ (processor.outputLevelDb.load(), -100.0f);
}

TEST (BlockFrame, ABufferFlaggedClearMetersTheFloor)
{
    VaskelQuorlinProcessor processor;
    prepareAndSettle (processor);

    for (int i = 0; i < 30; ++i)
    {
        juce::AudioBuffer<float> cleared (2, blockSize);
        cleared.clear();
        ASSERT_TRUE (cleared.hasBeenCleared());
        process (processor, cleared);
        EXPECT_TRUE (Signals::allFinite (cleared));
    }

    EXPECT_EQ (processor.inputLevelDb.load(), -100.0f);
    EXPECT_EQ (processor.outputLevelDb.load(), -100.0f);
}

TEST (BlockFrame, MetersReadPeaksInDecibels)
{
    VaskelQuorlinProcessor processor;
    prepareAndSettle (processor);

    // The input meter reads after the input trim, which is exactly 1 at 0 dB.
    juce::AudioBuffer<float> block (2, 64);
    Signals::fillImpulse (block, 10, 1.0f);
    process (processor, block);
    EXPECT_EQ (processor.inputLevelDb.load(), 0.0f);

    Signals::fillImpulse (block, 10, -0.5f);
    process (processor, block);
    EXPECT_NEAR (processor.inputLevelDb.load(), -6.0206f, 1e-4f);

    setPlainValue (processor.apvts, ParamIds::bypass, 1.0f);
    Signals::fillImpulse (block, 3, 1.0f);
    process (processor, block);
    EXPECT_EQ (processor.inputLevelDb.load(), 0.0f);
    EXPECT_EQ (processor.outputLevelDb.load(), 0.0f);
}

//==============================================================================
TEST (BlockFrame, InputTrimScalesTheInputMeter)
{
    struct Case
    {
        float trimDb;
        float gain;
    };

    for (const auto c : { Case { 24.0f, 15.849f }, Case { -24.0f, 0.0631f }, Case { 0.0f, 1.0f } })
    {
        VaskelQuorlinProcessor processor;
        setPlainValue (processor.apvts, ParamIds::inputTrim, c.trimDb);
        prepareAndSettle (processor);

        juce::AudioBuffer<float> block (2, blockSize);
        Signals::fillConstant (block, 0.01f);
        process (processor, block);

        const auto measuredGain = juce::Decibels::decibelsToGain (processor.inputLevelDb.load()) / 0.01f;
        EXPECT_NEAR (measuredGain, c.gain, c.gain * 1e-3f) << c.trimDb;
    }
}

TEST (BlockFrame, TrimsScaleTheWholeChainLinearly)
{
    struct Case
    {
        const juce::String& id;
        float trimDb;
        float gain;
    };

    const Case cases[] = {
        { ParamIds::inputTrim, 24.0f, 15.849f },
        { ParamIds::inputTrim, -24.0f, 0.0631f },
        { ParamIds::outputTrim, -60.0f, 0.001f },
        { ParamIds::outputTrim, 24.0f, 15.849f },
    };

    const auto input = Signals::sine (2, 16 * blockSize, 250.0, sampleRate, 0.01f);

    VaskelQuorlinProcessor reference;
    prepareAndSettle (reference);
    const auto referenceOutput = run (reference, input);

    for (const auto& c : cases)
    {
        VaskelQuorlinProcessor trimmed;
        setPlainValue (trimmed.apvts, c.id, c.trimDb);
        prepareAndSettle (trimmed);
        const auto output = run (trimmed, input);

        // Compare the settled second half, sample by sample where the signal is clear.
        for (int i = output.getNumSamples() / 2; i < output.getNumSamples(); ++i)
        {
            const auto expected = referenceOutput.getSample (0, i);
            if (std::abs (expected) > 1e-3f)
                ASSERT_NEAR (output.getSample (0, i) / expected, c.gain, c.gain * 2e-3f)
                    << c.id << " " << c.trimDb << " at " << i;
        }

        EXPECT_NEAR (trimmed.outputLevelDb.load() - reference.outputLevelDb.load(),
                     juce::Decibels::gainToDecibels (c.gain), 0.02f)
            << c.id << " " << c.trimDb;
    }
}

TEST (BlockFrame, TheFirstPreparationFadesTheInputInOver20Milliseconds)
{
    VaskelQuorlinProcessor processor;
    processor.prepareToPlay (sampleRate, blockSize);

    // One sample per block: the input meter then shows the trim's gain at
    // every step of the ramp.
    for (int k = 0; k < fadeSamples + 10; ++k)
    {
        juce::AudioBuffer<float> one (2, 1);
        Signals::fillConstant (one, 1.0f);
        process (processor, one);

        const auto gain = k < fadeSamples ? (float) (k + 1) / (float) fadeSamples : 1.0f;
        ASSERT_NEAR (juce::Decibels::decibelsToGain (processor.inputLevelDb.load()), gain, 1e-4f) << "sample " << k;
    }
}

TEST (BlockFrame, OnlyTheFirstPreparationFadesIn)
{
    VaskelQuorlinProcessor fresh, preparedTwice;
    fresh.prepareToPlay (sampleRate, blockSize);
    prepareAndSettle (preparedTwice);
    preparedTwice.prepareToPlay (sampleRate, blockSize);

    juce::AudioBuffer<float> dc (2, 4 * blockSize);
    Signals::fillConstant (dc, 0.5f);

    juce::AudioBuffer<float> first (2, 1);
    Signals::fillConstant (first, 0.5f);
    process (preparedTwice, first);
    EXPECT_NEAR (juce::Decibels::decibelsToGain (preparedTwice.inputLevelDb.load()), 0.5f, 1e-6f);

    const auto faded = run (fresh, dc);
    const auto direct = run (preparedTwice, dc);

    // Both trims ramp in the fresh processor: at a quarter of the ramp its
    // output is far below that of the twice prepared one, which is near its
    // settled level by half the ramp's length.
    const auto settled = direct.getSample (0, dc.getNumSamples() - 1);
    ASSERT_GT (std::abs (settled), 0.4f);
    EXPECT_GT (direct.getSample (0, fadeSamples / 2), 0.9f * settled);
    EXPECT_LT (std::abs (faded.getSample (0, fadeSamples / 4)),
               0.1f * std::abs (direct.getSample (0, fadeSamples / 4)));
    EXPECT_NEAR (faded.getSample (0, dc.getNumSamples() - 1), settled, 1e-3f * std::abs (settled));
}

TEST (BlockFrame, BeforeAnyPreparationATrimTakesItsTargetAtOnce)
{
    VaskelQuorlinProcessor processor;
    setPlainValue (processor.apvts, ParamIds::inputTrim, -6.0f);

    auto block = Signals::sine (2, 256, 440.0, sampleRate, 0.5f);
    block.setSample (0, 7, 1.0f);
    process (processor, block);

    EXPECT_NEAR (processor.inputLevelDb.load(), -6.0f, 1e-4f);
    EXPECT_TRUE (Signals::allFinite (block));
}

//==============================================================================
TEST (BlockFrame, BlendAtZeroLeavesOnlyThePostCabinetSignal)
{
    VaskelQuorlinProcessor effectsOn, effectsOff;
    switchEveryStageOn (effectsOn);
    switchEveryStageOn (effectsOff);

    for (auto* id : { &ParamIds::spaceEnabled, &ParamIds::modEnabled, &ParamIds::echoEnabled })
        setPlainValue (effectsOff.apvts, *id, 0.0f);

    for (auto* processor : { &effectsOn, &effectsOff })
    {
        setPlainValue (processor->apvts, ParamIds::blend, 0.0f);
        processor->prepareToPlay (sampleRate, blockSize);
    }

    const auto input = Signals::noise (2, 10 * blockSize, 0.4f, 31);
    expectIdentical (run (effectsOn, input), run (effectsOff, input));
}

TEST (BlockFrame, BlendMakesNoDifferenceWhileTheSendsAreIdle)
{
    const auto input = Signals::noise (2, 6 * blockSize, 0.4f, 41);
    std::vector<juce::AudioBuffer<float>> outputs;

    for (const float blend : { 100.0f, 0.0f, 50.0f })
    {
        VaskelQuorlinProcessor processor;
        setPlainValue (processor.apvts, ParamIds::blend, blend);
        processor.prepareToPlay (sampleRate, blockSize);
        outputs.push_back (run (processor, input));
    }

    expectIdentical (outputs[0], outputs[1]);
    expectIdentical (outputs[0], outputs[2]);
}

//==============================================================================
TEST (BlockFrame, ALongBlockIsProcessedAsConsecutiveFittingBlocks)
{
    VaskelQuorlinProcessor whole, sliced;

    for (auto* processor : { &whole, &sliced })
    {
        switchEveryStageOn (*processor);
        processor->prepareToPlay (sampleRate, blockSize);
    }

    const auto input = Signals::noise (2, 3 * blockSize + 77, 0.6f, 51);
    auto wholeOutput = input;
    process (whole, wholeOutput);

    float inputPeakDb = -100.0f, outputPeakDb = -100.0f;
    auto slicedOutput = input;
    for (int start = 0; start < input.getNumSamples(); start += blockSize)
    {
        const int n = juce::jmin (blockSize, input.getNumSamples() - start);
        juce::AudioBuffer<float> block (slicedOutput.getArrayOfWritePointers(), 2, start, n);
        process (sliced, block);
        inputPeakDb = juce::jmax (inputPeakDb, sliced.inputLevelDb.load());
        outputPeakDb = juce::jmax (outputPeakDb, sliced.outputLevelDb.load());
    }

    expectIdentical (wholeOutput, slicedOutput);
    EXPECT_EQ (whole.inputLevelDb.load(), inputPeakDb);
    EXPECT_EQ (whole.outputLevelDb.load(), outputPeakDb);

    // Much longer than prepared, from a processor prepared for single samples.
    VaskelQuorlinProcessor tiny;
    switchEveryStageOn (tiny);
    tiny.prepareToPlay (sampleRate, 1);
    auto longBlock = Signals::noise (2, 2000, 0.6f, 52);
    process (tiny, longBlock);
    EXPECT_TRUE (Signals::allFinite (longBlock));
}

TEST (BlockFrame, AnEmptyBlockChangesNoState)
{
    VaskelQuorlinProcessor withEmpty, without;

    for (auto* processor : { &withEmpty, &without })
    {
        switchEveryStageOn (*processor);
        processor->prepareToPlay (sampleRate, blockSize);
    }

    const auto before = Signals::noise (2, 3 * blockSize + 5, 0.5f, 61);
    const auto after = Signals::noise (2, 4 * blockSize, 0.5f, 62);
    run (withEmpty, before, 100);
    run (without, before, 100);

    juce::AudioBuffer<float> empty (2, 0);
    process (withEmpty, empty);
    process (withEmpty, empty);

    expectIdentical (run (withEmpty, after), run (without, after));
}

TEST (BlockFrame, ANonFiniteInputSampleEntersAsSilence)
{
    VaskelQuorlinProcessor poisoned, clean;

    for (auto* processor : { &poisoned, &clean })
    {
        switchEveryStageOn (*processor);
        processor->prepareToPlay (sampleRate, blockSize);
    }

    auto input = Signals::noise (2, 4 * blockSize, 0.5f, 71);
    auto zeroed = input;
    const std::pair<int, float> bad[] = { { 5, std::numeric_limits<float>::quiet_NaN() },
                                          { 600, std::numeric_limits<float>::infinity() },
                                          { 1500, -std::numeric_limits<float>::infinity() } };
    for (const auto& [index, value] : bad)
    {
        input.setSample (index % 2, index, value);
        zeroed.setSample (index % 2, index, 0.0f);
    }

    const auto output = run (poisoned, input);
    EXPECT_TRUE (Signals::allFinite (output));
    expectIdentical (output, run (clean, zeroed));

    // Bypassed, the samples are not touched at all, only delayed.
    setPlainValue (poisoned.apvts, ParamIds::bypass, 1.0f);
    auto bypassed = input;
    process (poisoned, bypassed);
    EXPECT_TRUE (std::isnan (bypassed.getSample (1, 5 + poisoned.getLatencySamples())));
}

// Up to +60 dBFS a sample is signal; beyond, it enters as silence, as a
// sample that is not a number does.
TEST (BlockFrame, ASampleBeyond1000EntersAsSilence)
{
    const std::pair<float, bool> cases[] = {
        { 1000.0f, true },
        { -1000.0f, true },
        { std::nextafter (1000.0f, 2000.0f), false },
        { std::nextafter (-1000.0f, -2000.0f), false },
        { 3.0e38f, false },
        { -std::numeric_limits<float>::max(), false },
    };

    for (const auto& [value, kept] : cases)
    {
        VaskelQuorlinProcessor withSample, withSilence;

        for (auto* processor : { &withSample, &withSilence })
        {
            switchEveryStageOn (*processor);
            prepareAndSettle (*processor);
        }

        auto input = Signals::noise (2, 4 * blockSize, 0.5f, 81);
        auto silenced = input;
        input.setSample (1, 700, value);
        silenced.setSample (1, 700, 0.0f);

        const auto output = run (withSample, input);
        const auto expected = run (withSilence, silenced);

        EXPECT_TRUE (Signals::allFinite (output)) << value;
        bool identical = true;
        for (int ch = 0; ch < 2; ++ch)
            for (int i = 0; i < output.getNumSamples(); ++i)
                identical = identical && output.getSample (ch, i) == expected.getSample (ch, i);

        EXPECT_EQ (identical, ! kept) << value;
    }
}

// Also before any preparation a block that would leave with a value that is
// not a number (here from a host's input trim) leaves as silence, and the next
// block plays again.
TEST (BlockFrame, BeforeAnyPreparationANonFiniteBlockLeavesAsSilence)
{
    VaskelQuorlinProcessor processor;
    auto* trim = processor.apvts.getParameter (ParamIds::inputTrim);
    const auto goodValue = trim->getValue();

    trim->setValueNotifyingHost (std::numeric_limits<float>::quiet_NaN());
    auto poisoned = Signals::noise (2, blockSize, 0.5f, 91);
    process (processor, poisoned);
    EXPECT_EQ (Signals::peak (poisoned), 0.0f);
    EXPECT_TRUE (Signals::allFinite (poisoned));

    trim->setValueNotifyingHost (goodValue);
    auto next = Signals::noise (2, blockSize, 0.5f, 92);
    process (processor, next);
    EXPECT_GT (Signals::peak (next), 0.1f);
}

TEST (BlockFrame, LeavesTheMidiBufferAlone)
{
    VaskelQuorlinProcessor processor;
    processor.prepareToPlay (sampleRate, blockSize);

    juce::MidiBuffer midi;
    midi.addEvent (juce::MidiMessage::noteOn (1, 60, 0.5f), 10);
    midi.addEvent (juce::MidiMessage::controllerEvent (1, 7, 100), 20);
    const auto before = midi;

    auto block = Signals::sine (2, blockSize, 440.0, sampleRate);
    processor.processBlock (block, midi);

    ASSERT_EQ (midi.getNumEvents(), before.getNumEvents());
    auto a = midi.begin();
    for (const auto event : before)
    {
        EXPECT_EQ ((*a).samplePosition, event.samplePosition);
        EXPECT_EQ ((*a).getMessage().getRawDataSize(), event.getMessage().getRawDataSize());
        ++a;
    }
}
