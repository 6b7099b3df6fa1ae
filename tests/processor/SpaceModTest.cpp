#include "support/ProcessorRig.h"
#include "support/Signals.h"

#include <gtest/gtest.h>

namespace
{
constexpr double sampleRate = 44100.0;
constexpr int blockSize = 512;

// Silence first, so the trims and the reverb's smoothed settings have settled
// before any signal arrives.
constexpr int leadIn = 4096;

juce::AudioBuffer<float> burstInput (int burstLength = 8192, int tail = 8192)
{
    return windowedBurst (2, leadIn + burstLength + tail, leadIn, burstLength);
}

// The output of a processor with `settings` minus the output with every send
// off: what the sends in `settings` add to the post-cabinet signal.
juce::AudioBuffer<float> contributionOf (const ParameterSettings& settings, const juce::AudioBuffer<float>& input,
                                         bool monoInput = false)
{
    ProcessorRig withSends (sampleRate, blockSize, monoInput);
    withSends.set (allSendsOff());
    withSends.set (settings);

    ProcessorRig without (sampleRate, blockSize, monoInput);
    without.set (allSendsOff());

    return difference (withSends.run (input), without.run (input));
}

juce::AudioBuffer<float> postCabinet (const juce::AudioBuffer<float>& input)
{
    ProcessorRig rig (sampleRate, blockSize);
    rig.set (allSendsOff());
    return rig.run (input);
}

// Runs `effect` over a copy of `signal` block by block, configuring it before
// each block as the send would.
template <typename Effect, typename Configure>
juce::AudioBuffer<float> runReference (Effect& effect, Configure configure, const juce::AudioBuffer<float>& signal)
{
    effect.prepare ({ sampleRate, (juce::uint32) blockSize, 2 });
    effect.reset();

    juce::AudioBuffer<float> output (signal);
    juce::dsp::AudioBlock<float> whole (output);

    for (int start = 0; start < output.getNumSamples(); start += blockSize)
    {
        const auto n = (size_t) juce::jmin (blockSize, output.getNumSamples() - start);
        auto block = whole.getSubBlock ((size_t) start, n);
        configure (effect);
        effect.process (juce::dsp::ProcessContextReplacing<float> (block));
    }

    return output;
}

//==============================================================================
struct SpaceCharacter
{
    const char* name;
    float modeValue; // outside 0..2 is stored raw
    float roomSize, damping, width;
};

class SpaceCharacters : public testing::TestWithParam<SpaceCharacter>
{
};

TEST_P (SpaceCharacters, AddTheWetReverbOfTheirSettings)
{
    const auto character = GetParam();
    const float amount = 0.6f;
    const auto input = burstInput();

    ProcessorRig withSpace (sampleRate, blockSize);
    withSpace.set (allSendsOff());
    withSpace.set ({ { ParamIds::spaceEnabled, 1.0f }, { ParamIds::spaceAmount, amount * 100.0f } });
    if (character.modeValue <= 2.0f)
        withSpace.set (ParamIds::spaceMode, character.modeValue);
    else
        withSpace.forceRawValue (ParamIds::spaceMode, character.modeValue);

    const auto post = postCabinet (input);
    const auto added = difference (withSpace.run (input), post);

    juce::dsp::Reverb reverb;
    juce::dsp::Reverb::Parameters settings;
    settings.roomSize = character.roomSize;
    settings.damping = character.damping;
    settings.width = character.width;
    settings.wetLevel = amount * 0.85f;
    settings.dryLevel = 0.0f;
    settings.freezeMode = 0.0f;
    const auto expected = runReference (
        reverb, [&] (auto& r) { r.setParameters (settings); }, post);

    EXPECT_GT (Signals::peak (added), 0.01f);
    EXPECT_LT (maxAbsDifference (added, expected), 1.0e-5f);

    // Wet only: nothing arrives before the reverb's shortest comb delay, while
    // the post-cabinet signal is already there.
    EXPECT_GT (Signals::peak (post, leadIn, 1000), 0.01f);
    EXPECT_LT (Signals::peak (added, leadIn, 1000), 1.0e-6f);
}

INSTANTIATE_TEST_SUITE_P (Space, SpaceCharacters,
                          testing::Values (SpaceCharacter { "Room", 0.0f, 0.35f, 0.5f, 1.0f },
                                           SpaceCharacter { "Plate", 1.0f, 0.5f, 0.25f, 0.6f },
                                           SpaceCharacter { "Hall", 2.0f, 0.85f, 0.3f, 1.0f },
                                           SpaceCharacter { "OutOfRangeIsHall", 5.0f, 0.85f, 0.3f, 1.0f }),
                          [] (const auto& info) { return std::string (info.param.name); });

//==============================================================================
struct ModCharacter
{
    const char* name;
    float modeValue; // outside 0..2 is stored raw
    bool phaser;
    float centre, feedback, depth;
};

class ModulationCharacters : public testing::TestWithParam<ModCharacter>
{
};

TEST_P (ModulationCharacters, AddTheFullyWetEffectOfTheirSettings)
{
    const auto character = GetParam();
    const float rateHz = 1.3f;
    const auto input = burstInput();

    ProcessorRig withMod (sampleRate, blockSize);
    withMod.set (allSendsOff());
    withMod.set ({ { ParamIds::modEnabled, 1.0f }, { ParamIds::modAmount, 100.0f }, { ParamIds::modRate, rateHz } });
    if (character.modeValue <= 2.0f)
        withMod.set (ParamIds::modMode, character.modeValue);
    else
        withMod.forceRawValue (ParamIds::modMode, character.modeValue);

    const auto post = postCabinet (input);
    const auto added = difference (withMod.run (input), post);

    juce::AudioBuffer<float> expected;

    if (character.phaser)
    {
        juce::dsp::Phaser<float> phaser;
        expected = runReference (
            phaser,
            [&] (auto& p)
            {
                p.setRate (rateHz);
                p.setDepth (character.depth);
                p.setCentreFrequency (character.centre);
                p.setFeedback (character.feedback);
                p.setMix (1.0f);
            },
            post);
    }
    else
    {
        juce::dsp::Chorus<float> chorus;
        expected = runReference (
            chorus,
            [&] (auto& c)
            {
                c.setRate (rateHz);
                c.setCentreDelay (character.centre);
                c.setFeedback (character.feedback);
                c.setDepth (character.depth);
                c.setMix (1.0f);
            },
            post);
    }

    EXPECT_GT (Signals::peak (added), 0.05f);
    EXPECT_LT (maxAbsDifference (added, expected), 1.0e-5f);
}

INSTANTIATE_TEST_SUITE_P (Modulation, ModulationCharacters,
                          testing::Values (ModCharacter { "Chorus", 0.0f, false, 7.5f, 0.0f, 0.25f },
                                           ModCharacter { "Flanger", 1.0f, false, 2.0f, 0.5f, 0.4f },
                                           ModCharacter { "Phaser", 2.0f, true, 1200.0f, 0.75f, 1.0f },
                                           ModCharacter { "OutOfRangeIsFlanger", 7.0f, false, 2.0f, 0.5f, 0.4f }),
                          [] (const auto& info) { return std::string (info.param.name); });

//==============================================================================
struct SendSwitch
{
    const char* name;
    juce::String enabledId, amountId;
};

class SendAmounts : public testing::TestWithParam<SendSwitch>
{
};

TEST_P (SendAmounts, HalfTheAmountAddsHalfTheOutput)
{
    const auto send = GetParam();
    const auto input = burstInput();

    const auto full = contributionOf ({ { send.enabledId, 1.0f }, { send.amountId, 100.0f } }, input);
    auto half = contributionOf ({ { send.enabledId, 1.0f }, { send.amountId, 50.0f } }, input);
    half.applyGain (2.0f);

    EXPECT_GT (Signals::peak (full), 0.05f);
    EXPECT_LT (maxAbsDifference (half, full), 1.0e-5f);
}

TEST_P (SendAmounts, ZeroAmountAddsNothingAndTheSmallestStepRuns)
{
    const auto send = GetParam();
    const auto input = burstInput();

    EXPECT_EQ (Signals::peak (contributionOf ({ { send.enabledId, 1.0f }, { send.amountId, 0.0f } }, input)), 0.0f);
    EXPECT_GT (Signals::peak (contributionOf ({ { send.enabledId, 1.0f }, { send.amountId, 0.1f } }, input)), 1.0e-5f);
    EXPECT_EQ (Signals::peak (contributionOf ({ { send.enabledId, 0.0f }, { send.amountId, 100.0f } }, input)), 0.0f);
}

INSTANTIATE_TEST_SUITE_P (Sends, SendAmounts,
                          testing::Values (SendSwitch { "Space", ParamIds::spaceEnabled, ParamIds::spaceAmount },
                                           SendSwitch { "Modulation", ParamIds::modEnabled, ParamIds::modAmount },
                                           SendSwitch { "Echo", ParamIds::echoEnabled, ParamIds::echoAmount }),
                          [] (const auto& info) { return std::string (info.param.name); });

//==============================================================================
struct PreDelayCase
{
    float milliseconds;
    int wholeSamples;
    float fraction;
};

class SpacePreDelay : public testing::TestWithParam<PreDelayCase>
{
};

TEST_P (SpacePreDelay, DelaysTheReverbInputBySampleRateTimesTheTime)
{
    const auto delay = GetParam();
    const int burstLength = 2048;
    const auto input = windowedBurst (2, leadIn + burstLength + delay.wholeSamples + 8192, leadIn, burstLength);

    const ParameterSettings space { { ParamIds::spaceEnabled, 1.0f }, { ParamIds::spaceAmount, 100.0f } };
    auto delayedSettings = space;
    delayedSettings.push_back ({ ParamIds::spacePreDelay, delay.milliseconds });

    const auto undelayed = contributionOf (space, input);
    const auto delayed = contributionOf (delayedSettings, input);

    // Linear interpolation between the two neighbouring whole delays.
    juce::AudioBuffer<float> expected (undelayed.getNumChannels(), undelayed.getNumSamples());
    expected.clear();
    for (int ch = 0; ch < expected.getNumChannels(); ++ch)
        for (int i = delay.wholeSamples + 1; i < expected.getNumSamples(); ++i)
            expected.setSample (ch, i,
                                (1.0f - delay.fraction) * undelayed.getSample (ch, i - delay.wholeSamples) +
                                    delay.fraction * undelayed.getSample (ch, i - delay.wholeSamples - 1));

    EXPECT_GT (Signals::peak (delayed), 0.05f);
    EXPECT_LT (maxAbsDifference (delayed, expected), 2.0e-5f);
}

INSTANTIATE_TEST_SUITE_P (Space, SpacePreDelay,
                          testing::Values (PreDelayCase { 0.1f, 4, 0.41f }, // 4.41 samples, interpolated
                                           PreDelayCase { 10.0f, 441, 0.0f },
                                           PreDelayCase { 500.0f, 22050, 0.0f })); // inside the 0.6 s line

TEST (SpaceSend, MonoInputStillGetsAStereoReverb)
{
    // With a mono input, the buffer's second channel holds nothing meaningful
    // on the way in.
    auto input = burstInput();
    juce::Random garbage (7);
    for (int i = 0; i < input.getNumSamples(); ++i)
        input.setSample (1, i, garbage.nextFloat());

    const ParameterSettings space { { ParamIds::spaceEnabled, 1.0f }, { ParamIds::spaceAmount, 100.0f } };

    ProcessorRig without (sampleRate, blockSize, true);
    without.set (allSendsOff());
    const auto post = without.run (input);

    ProcessorRig withSpace (sampleRate, blockSize, true);
    withSpace.set (allSendsOff());
    withSpace.set (space);
    const auto added = difference (withSpace.run (input), post);

    float postChannelDifference = 0.0f, reverbChannelDifference = 0.0f;
    for (int i = 0; i < post.getNumSamples(); ++i)
    {
        postChannelDifference =
            juce::jmax (postChannelDifference, std::abs (post.getSample (0, i) - post.getSample (1, i)));
        reverbChannelDifference =
            juce::jmax (reverbChannelDifference, std::abs (added.getSample (0, i) - added.getSample (1, i)));
    }

    EXPECT_EQ (postChannelDifference, 0.0f);
    EXPECT_GT (reverbChannelDifference, 0.1f * Signals::peak (added));
}

TEST (ModulationSend, ChorusAndFlangerShareOneObject)
{
    // A tone during which the character changes from "Chorus" to "Flanger".
    const int change = leadIn + 8192;
    const auto input = windowedBurst (2, change + 8192, leadIn, 2 * 8192);

    ProcessorRig switched (sampleRate, blockSize);
    switched.set (allSendsOff());
    switched.set ({ { ParamIds::modEnabled, 1.0f }, { ParamIds::modAmount, 100.0f }, { ParamIds::modMode, 0.0f } });
    auto output = input;
    switched.process (output, 0, change);
    switched.set (ParamIds::modMode, 1.0f);
    switched.process (output, change, input.getNumSamples() - change);

    const auto post = postCabinet (input);
    const auto added = difference (output, post);

    const auto setChorus = [] (juce::dsp::Chorus<float>& c)
    {
        c.setRate (0.8f);
        c.setCentreDelay (7.5f);
        c.setFeedback (0.0f);
        c.setDepth (0.25f);
        c.setMix (1.0f);
    };
    const auto setFlanger = [] (juce::dsp::Chorus<float>& c)
    {
        c.setRate (0.8f);
        c.setCentreDelay (2.0f);
        c.setFeedback (0.5f);
        c.setDepth (0.4f);
        c.setMix (1.0f);
    };

    // One object that carries on with new settings, against a flanger of its
    // own that starts at the change.
    juce::dsp::Chorus<float> shared, chorusOnly, flangerOnly;
    for (auto* effect : { &shared, &chorusOnly, &flangerOnly })
    {
        effect->prepare ({ sampleRate, (juce::uint32) blockSize, 2 });
        effect->reset();
    }

    juce::AudioBuffer<float> sharedOutput (post), separateOutput (post);
    for (int start = 0; start < post.getNumSamples(); start += blockSize)
    {
        const auto n = (size_t) juce::jmin (blockSize, post.getNumSamples() - start);
        auto sharedBlock = juce::dsp::AudioBlock<float> (sharedOutput).getSubBlock ((size_t) start, n);
        auto separateBlock = juce::dsp::AudioBlock<float> (separateOutput).getSubBlock ((size_t) start, n);
        auto& separate = start < change ? chorusOnly : flangerOnly;

        if (start < change)
        {
            setChorus (shared);
            setChorus (separate);
        }
        else
        {
            setFlanger (shared);
            setFlanger (separate);
        }

        shared.process (juce::dsp::ProcessContextReplacing<float> (sharedBlock));
        separate.process (juce::dsp::ProcessContextReplacing<float> (separateBlock));
    }

    EXPECT_LT (maxAbsDifference (added, change, sharedOutput, change, 8192), 1.0e-5f);
    EXPECT_GT (maxAbsDifference (added, change, separateOutput, change, 8192), 0.01f);
}

TEST (EffectSends, AreParallel)
{
    const auto input = burstInput();
    const ParameterSettings space { { ParamIds::spaceEnabled, 1.0f }, { ParamIds::spaceAmount, 70.0f } };
    const ParameterSettings modulation { { ParamIds::modEnabled, 1.0f },
                                         { ParamIds::modAmount, 80.0f },
                                         { ParamIds::modMode, 2.0f } };
    const ParameterSettings echo { { ParamIds::echoEnabled, 1.0f }, { ParamIds::echoAmount, 90.0f } };

    auto all = space;
    all.insert (all.end(), modulation.begin(), modulation.end());
    all.insert (all.end(), echo.begin(), echo.end());

    auto sumOfEach = contributionOf (space, input);
    const auto modulationAlone = contributionOf (modulation, input);
    const auto echoAlone = contributionOf (echo, input);
    for (int ch = 0; ch < sumOfEach.getNumChannels(); ++ch)
    {
        sumOfEach.addFrom (ch, 0, modulationAlone, ch, 0, sumOfEach.getNumSamples());
        sumOfEach.addFrom (ch, 0, echoAlone, ch, 0, sumOfEach.getNumSamples());
    }

    const auto together = contributionOf (all, input);

    EXPECT_GT (Signals::peak (modulationAlone), 0.05f);
    EXPECT_GT (Signals::peak (echoAlone), 0.05f);
    EXPECT_LT (maxAbsDifference (together, sumOfEach), 1.0e-5f);
}

//==============================================================================
struct PauseCase
{
    const char* name;
    ParameterSettings running;
    ParameterSettings paused;
    ParameterSettings resumed;
};

class SendPauses : public testing::TestWithParam<PauseCase>
{
};

// A send that stops running keeps its state: after the pause it carries on
// exactly where a send that never paused was when the pause began.
TEST_P (SendPauses, ResumeFromTheStateTheyStoppedIn)
{
    const auto pause = GetParam();
    const int pauseStart = leadIn + 4096;
    const int pauseLength = 8192;
    const int window = 8192;
    // The burst has passed the oversampling filters just before the pause
    // begins, so the held state is all that can sound afterwards.
    const int filterMargin = 128;
    const auto input = windowedBurst (2, pauseStart + pauseLength + window, leadIn, pauseStart - filterMargin - leadIn);

    ProcessorRig without (sampleRate, blockSize);
    without.set (allSendsOff());
    const auto post = without.run (input);

    ProcessorRig continuous (sampleRate, blockSize);
    continuous.set (allSendsOff());
    continuous.set (pause.running);
    const auto continuousAdded = difference (continuous.run (input), post);

    ProcessorRig paused (sampleRate, blockSize);
    paused.set (allSendsOff());
    paused.set (pause.running);
    auto pausedOutput = input;
    paused.process (pausedOutput, 0, pauseStart);
    paused.set (pause.paused);
    paused.process (pausedOutput, pauseStart, pauseLength);
    paused.set (pause.resumed);
    paused.process (pausedOutput, pauseStart + pauseLength, window);
    const auto pausedAdded = difference (pausedOutput, post);

    // The held state is small for the modulation effects (only the quiet end
    // of the burst is left in their lines), so the match is held tight.
    EXPECT_GT (Signals::peak (pausedAdded, pauseStart + pauseLength, window), 1.0e-4f);
    EXPECT_LT (maxAbsDifference (pausedAdded, pauseStart + pauseLength, continuousAdded, pauseStart, window), 1.0e-6f);
}

const ParameterSettings spaceOn { { ParamIds::spaceEnabled, 1.0f }, { ParamIds::spaceAmount, 100.0f } };
const ParameterSettings spaceWithPreDelay { { ParamIds::spaceEnabled, 1.0f },
                                            { ParamIds::spaceAmount, 100.0f },
                                            { ParamIds::spacePreDelay, 150.0f } };
const ParameterSettings chorusOn { { ParamIds::modEnabled, 1.0f },
                                   { ParamIds::modAmount, 100.0f },
                                   { ParamIds::modMode, 0.0f } };
const ParameterSettings flangerOn { { ParamIds::modEnabled, 1.0f },
                                    { ParamIds::modAmount, 100.0f },
                                    { ParamIds::modMode, 1.0f } };
const ParameterSettings phaserOn { { ParamIds::modEnabled, 1.0f },
                                   { ParamIds::modAmount, 100.0f },
                                   { ParamIds::modMode, 2.0f } };

INSTANTIATE_TEST_SUITE_P (
    Sends, SendPauses,
    testing::Values (
        PauseCase { "SpaceSwitchedOff", spaceOn, { { ParamIds::spaceEnabled, 0.0f } }, spaceOn },
        PauseCase { "SpaceAmountZero", spaceOn, { { ParamIds::spaceAmount, 0.0f } }, spaceOn },
        // The pre-delay line still holds the end of the burst
        // when it is bypassed, and plays it when raised again.
        PauseCase { "PreDelayDropped", spaceWithPreDelay, { { ParamIds::spacePreDelay, 0.0f } }, spaceWithPreDelay },
        PauseCase { "FlangerSwitchedOff", flangerOn, { { ParamIds::modEnabled, 0.0f } }, flangerOn },
        PauseCase { "ChorusAmountZero", chorusOn, { { ParamIds::modAmount, 0.0f } }, chorusOn },
        PauseCase { "FlangerWhilePhaserRuns", flangerOn, { { ParamIds::modMode, 2.0f } }, flangerOn },
        PauseCase { "PhaserWhileChorusRuns", phaserOn, { { ParamIds::modMode, 0.0f } }, phaserOn },
        PauseCase { "EchoSwitchedOff",
                    { { ParamIds::echoEnabled, 1.0f }, { ParamIds::echoAmount, 100.0f } },
                    { { ParamIds::echoEnabled, 0.0f } },
                    { { ParamIds::echoEnabled, 1.0f } } },
        PauseCase { "EchoAmountZero",
                    { { ParamIds::echoEnabled, 1.0f }, { ParamIds::echoAmount, 100.0f } },
                    { { ParamIds::echoAmount, 0.0f } },
                    { { ParamIds::echoAmount, 100.0f } } }),
    [] (const auto& info) { return std::string (info.param.name); });
} // namespace
