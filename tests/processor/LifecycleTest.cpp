#include "processor/VaskelQuorlinProcessor.h"

#include "common/ParamIds.h"
#include "support/BufferExpectations.h"
#include "support/ParameterHelpers.h"
#include "support/ProcessorTestAccess.h"
#include "support/Signals.h"

#include <gtest/gtest.h>

#include <cmath>

namespace
{
using Set = juce::AudioChannelSet;

juce::AudioProcessor::BusesLayout layoutOf (const Set& input, const Set& output)
{
    juce::AudioProcessor::BusesLayout layout;
    layout.inputBuses.add (input);
    layout.outputBuses.add (output);
    return layout;
}

struct LayoutCase
{
    const char* name;
    juce::AudioProcessor::BusesLayout layout;
    bool accepted;
};

std::vector<juce::AudioBuffer<float>> processBlocks (VaskelQuorlinProcessor& processor,
                                                     const std::vector<juce::AudioBuffer<float>>& blocks)
{
    juce::MidiBuffer midi;
    std::vector<juce::AudioBuffer<float>> outputs;

    for (auto block : blocks)
    {
        processor.processBlock (block, midi);
        outputs.push_back (block);
    }

    return outputs;
}

// Every stage on with a clearly audible amount, so that each of them holds
// state after a few blocks.
void switchEveryStageOn (VaskelQuorlinProcessor& processor)
{
    auto& state = processor.apvts;
    setPlainValue (state, ParamIds::gateAmount, 40.0f);
    setPlainValue (state, ParamIds::driveAmount, 50.0f);
    setPlainValue (state, ParamIds::toneTilt, 6.0f);
    setPlainValue (state, ParamIds::cabEnabled, 1.0f);
    setPlainValue (state, ParamIds::modAmount, 60.0f);
    setPlainValue (state, ParamIds::spaceAmount, 60.0f);
    setPlainValue (state, ParamIds::spacePreDelay, 20.0f);
    setPlainValue (state, ParamIds::echoAmount, 60.0f);
    setPlainValue (state, ParamIds::blend, 70.0f);
}
} // namespace

TEST (ProcessorLifecycle, AcceptsStereoOrMonoIntoStereoOnly)
{
    const LayoutCase cases[] = {
        { "stereo in, stereo out", layoutOf (Set::stereo(), Set::stereo()), true },
        { "mono in, stereo out", layoutOf (Set::mono(), Set::stereo()), true },
        { "stereo in, mono out", layoutOf (Set::stereo(), Set::mono()), false },
        { "mono in, mono out", layoutOf (Set::mono(), Set::mono()), false },
        { "disabled in, stereo out", layoutOf (Set::disabled(), Set::stereo()), false },
        { "left-centre-right in, stereo out", layoutOf (Set::createLCR(), Set::stereo()), false },
        { "stereo in, disabled out", layoutOf (Set::stereo(), Set::disabled()), false },
        { "stereo in, quadraphonic out", layoutOf (Set::stereo(), Set::quadraphonic()), false },
    };

    VaskelQuorlinProcessor processor;

    for (const auto& c : cases)
        EXPECT_EQ (processor.isBusesLayoutSupported (c.layout), c.accepted) << c.name;

    juce::AudioProcessor::BusesLayout withoutBuses;
    EXPECT_FALSE (processor.isBusesLayoutSupported (withoutBuses));
}

TEST (ProcessorLifecycle, ARefusedLayoutLeavesTheBusesAsTheyWere)
{
    VaskelQuorlinProcessor processor;
    EXPECT_EQ (processor.getBus (true, 0)->getName(), "Input");
    EXPECT_EQ (processor.getBus (false, 0)->getName(), "Output");
    EXPECT_EQ (processor.getChannelLayoutOfBus (true, 0), Set::stereo());
    EXPECT_EQ (processor.getChannelLayoutOfBus (false, 0), Set::stereo());

    EXPECT_FALSE (processor.setBusesLayout (layoutOf (Set::stereo(), Set::mono())));
    EXPECT_EQ (processor.getChannelLayoutOfBus (false, 0), Set::stereo());

    EXPECT_TRUE (processor.setBusesLayout (layoutOf (Set::mono(), Set::stereo())));
    EXPECT_EQ (processor.getChannelLayoutOfBus (true, 0), Set::mono());
    EXPECT_EQ (processor.getTotalNumOutputChannels(), 2);
}

TEST (ProcessorLifecycle, GivesTheFixedAnswers)
{
    VaskelQuorlinProcessor processor;

    EXPECT_EQ (processor.getName(), "Tessarwood Quorlin");
    EXPECT_EQ (processor.getTailLengthSeconds(), 4.0);
    EXPECT_FALSE (processor.acceptsMidi());
    EXPECT_FALSE (processor.producesMidi());
    EXPECT_FALSE (processor.isMidiEffect());
    EXPECT_TRUE (processor.hasEditor());
    EXPECT_FALSE (processor.supportsDoublePrecisionProcessing());
    EXPECT_EQ (processor.getBypassParameter(), nullptr);

    EXPECT_EQ (processor.getNumPrograms(), 1);
    EXPECT_EQ (processor.getCurrentProgram(), 0);

    // Any index, also out of range, is accepted and ignored.
    for (const int index : { 0, 1, -1, 99 })
    {
        processor.setCurrentProgram (index);
        processor.changeProgramName (index, "Renamed");
        EXPECT_EQ (processor.getCurrentProgram(), 0);
        EXPECT_EQ (processor.getProgramName (index), "Default");
    }
}

TEST (ProcessorLifecycle, StartsUnpreparedWithItsInitialValues)
{
    VaskelQuorlinProcessor processor;
    VaskelQuorlinProcessorTestAccess access (processor);

    EXPECT_EQ (processor.getLatencySamples(), 0);
    EXPECT_EQ (processor.inputLevelDb.load(), -100.0f);
    EXPECT_EQ (processor.outputLevelDb.load(), -100.0f);
    EXPECT_EQ (processor.manualBpm.load(), 120.0f);
    EXPECT_TRUE (processor.hostSyncEnabled.load());

    EXPECT_EQ (access.preDelayCapacity(), 48000);
    EXPECT_EQ (access.echoCapacity(), 192000);

    for (auto* scratch : { &access.dryBuffer(), &access.sendBuffer(), &access.workBuffer() })
    {
        EXPECT_EQ (scratch->getNumChannels(), 0);
        EXPECT_EQ (scratch->getNumSamples(), 0);
    }
}

TEST (ProcessorLifecycle, AProcessorNeverPreparedIsDestroyedCleanly)
{
    for (int i = 0; i < 3; ++i)
    {
        auto processor = std::make_unique<VaskelQuorlinProcessor>();
        processor->releaseResources();
        processor.reset();
    }
}

TEST (ProcessorLifecycle, ReportsTheOversamplersLatencyRoundedUp)
{
    juce::dsp::Oversampling<float> reference (2, 2, juce::dsp::Oversampling<float>::filterHalfBandPolyphaseIIR, true,
                                              true);
    reference.initProcessing (512);
    const auto expected = (int) std::ceil (reference.getLatencyInSamples());
    ASSERT_GT (expected, 0);

    VaskelQuorlinProcessor processor;
    EXPECT_EQ (processor.getLatencySamples(), 0);

    for (const double rate : { 44100.0, 96000.0, 48000.0 })
    {
        processor.prepareToPlay (rate, 512);
        EXPECT_EQ (processor.getLatencySamples(), expected) << rate;
    }
}

TEST (ProcessorLifecycle, SizesTheDelayLinesFromTheSampleRate)
{
    struct Case
    {
        double sampleRate;
        int preDelay;
        int echo;
    };

    const Case cases[] = {
        { 44100.0, 26460, 88200 }, { 48000.0, 28800, 96000 }, { 96000.0, 57600, 192000 },
        { 22050.0, 13230, 44100 }, { 11025.5, 6615, 22051 }, // products truncated toward zero
    };

    for (const auto& c : cases)
    {
        VaskelQuorlinProcessor processor;
        VaskelQuorlinProcessorTestAccess access (processor);
        processor.prepareToPlay (c.sampleRate, 256);

        EXPECT_EQ (access.preDelayCapacity(), c.preDelay) << c.sampleRate;
        EXPECT_EQ (access.echoCapacity(), c.echo) << c.sampleRate;
    }
}

TEST (ProcessorLifecycle, SizesTheScratchBuffersAndKeepsThemOnAnEqualPreparation)
{
    VaskelQuorlinProcessor processor;
    VaskelQuorlinProcessorTestAccess access (processor);

    processor.prepareToPlay (44100.0, 300);

    for (auto* scratch : { &access.dryBuffer(), &access.sendBuffer(), &access.workBuffer() })
    {
        EXPECT_EQ (scratch->getNumChannels(), 2);
        EXPECT_EQ (scratch->getNumSamples(), 300);
    }

    const auto* dryStorage = access.dryBuffer().getReadPointer (0);
    const auto* sendStorage = access.sendBuffer().getReadPointer (0);
    const auto* workStorage = access.workBuffer().getReadPointer (0);

    processor.prepareToPlay (44100.0, 300);

    EXPECT_EQ (access.dryBuffer().getReadPointer (0), dryStorage);
    EXPECT_EQ (access.sendBuffer().getReadPointer (0), sendStorage);
    EXPECT_EQ (access.workBuffer().getReadPointer (0), workStorage);

    processor.prepareToPlay (48000.0, 1024);
    EXPECT_EQ (access.dryBuffer().getNumSamples(), 1024);
    EXPECT_EQ (access.workBuffer().getNumSamples(), 1024);
}

TEST (ProcessorLifecycle, AHostWithoutABlockSizeStillGetsStorage)
{
    VaskelQuorlinProcessor processor;
    VaskelQuorlinProcessorTestAccess access (processor);

    processor.prepareToPlay (44100.0, 0);
    EXPECT_EQ (access.dryBuffer().getNumSamples(), 1);

    auto block = Signals::sine (2, 64, 440.0, 44100.0);
    juce::MidiBuffer midi;
    processor.processBlock (block, midi);
    EXPECT_TRUE (Signals::allFinite (block));
    EXPECT_EQ (access.dryBuffer().getNumSamples(), 1);
}

TEST (ProcessorLifecycle, EveryPreparationClearsTheDspState)
{
    // Two processors that heard different audio before a second preparation
    // must answer the same audio alike after it.
    VaskelQuorlinProcessor heardNoise, heardSilence;

    for (auto* processor : { &heardNoise, &heardSilence })
    {
        switchEveryStageOn (*processor);
        processor->prepareToPlay (44100.0, 512);
    }

    std::vector<juce::AudioBuffer<float>> noise, silence;
    for (int i = 0; i < 40; ++i)
    {
        noise.push_back (Signals::noise (2, 512, 0.8f, 100 + i));
        silence.push_back (juce::AudioBuffer<float> (2, 512));
        silence.back().clear();
    }

    processBlocks (heardNoise, noise);
    processBlocks (heardSilence, silence);

    heardNoise.prepareToPlay (44100.0, 512);
    heardSilence.prepareToPlay (44100.0, 512);

    std::vector<juce::AudioBuffer<float>> probe;
    for (int i = 0; i < 8; ++i)
        probe.push_back (Signals::sine (2, 512, 220.0 * (i + 1), 44100.0, 0.3f));

    const auto a = processBlocks (heardNoise, probe);
    const auto b = processBlocks (heardSilence, probe);

    for (size_t i = 0; i < a.size(); ++i)
        expectIdentical (a[i], b[i]);
}

TEST (ProcessorLifecycle, ReleasingResourcesChangesNothing)
{
    VaskelQuorlinProcessor released, kept;

    for (auto* processor : { &released, &kept })
    {
        switchEveryStageOn (*processor);
        processor->prepareToPlay (44100.0, 256);
    }

    std::vector<juce::AudioBuffer<float>> before, after;
    for (int i = 0; i < 10; ++i)
    {
        before.push_back (Signals::noise (2, 256, 0.5f, 7 + i));
        after.push_back (Signals::noise (2, 256, 0.5f, 70 + i));
    }

    processBlocks (released, before);
    processBlocks (kept, before);
    released.releaseResources();
    released.reset(); // what the client calls when the host stops processing

    const auto a = processBlocks (released, after);
    const auto b = processBlocks (kept, after);

    for (size_t i = 0; i < a.size(); ++i)
        expectIdentical (a[i], b[i]);
}
