#include "processor/VaskelQuorlinProcessor.h"

#include "common/ParamIds.h"
#include "editor/VaskelQuorlinEditor.h"

#include <cmath>

VaskelQuorlinProcessor::VaskelQuorlinProcessor()
    : AudioProcessor (BusesProperties()
                          .withInput ("Input", juce::AudioChannelSet::stereo(), true)
                          .withOutput ("Output", juce::AudioChannelSet::stereo(), true))
    , apvts (*this, nullptr, juce::Identifier ("PARAMETERS"), createParameterLayout())
{
}

VaskelQuorlinProcessor::~VaskelQuorlinProcessor() = default;

const juce::String VaskelQuorlinProcessor::getName() const { return "Tessarwood Quorlin"; }

void VaskelQuorlinProcessor::prepareToPlay (double sampleRate, int samplesPerBlock)
{
    const auto numChannels = juce::jmax (1, getTotalNumOutputChannels());
    currentSampleRate = sampleRate;
    // A host that announces no block size still gets storage for one sample,
    // and its blocks are then processed sample by sample.
    preparedBlockSize = juce::jmax (1, samplesPerBlock);

    const juce::dsp::ProcessSpec spec { sampleRate, (juce::uint32) preparedBlockSize, (juce::uint32) numChannels };

    inputGain.prepare (spec);
    outputGain.prepare (spec);
    inputGain.setRampDurationSeconds (0.02);
    outputGain.setRampDurationSeconds (0.02);

    clearGateState();

    oversampler.initProcessing ((size_t) preparedBlockSize);
    oversampler.reset();
    setLatencySamples ((int) std::ceil (oversampler.getLatencyInSamples()));
    bypassDelay.prepare (numChannels, getLatencySamples());

    for (auto* filter : allFilters())
        filter->prepare (spec);

    chorus.prepare (spec);
    phaser.prepare (spec);
    reverb.prepare (spec);
    reverb.reset();

    preDelayLine.setMaximumDelayInSamples ((int) (sampleRate * 0.6));
    preDelayLine.prepare (spec);
    preDelayLine.reset();

    echoLine.setMaximumDelayInSamples ((int) (sampleRate * 2.0));
    echoLine.prepare (spec);
    echoLine.reset();

    dryBuffer.setSize (numChannels, preparedBlockSize);
    sendBuffer.setSize (numChannels, preparedBlockSize);
    workBuffer.setSize (numChannels, preparedBlockSize);
}

void VaskelQuorlinProcessor::clearDspState() noexcept
{
    inputGain.reset();
    outputGain.reset();
    clearGateState();
    oversampler.reset();

    for (auto* filter : allFilters())
        filter->reset();

    chorus.reset();
    phaser.reset();
    reverb.reset();
    preDelayLine.reset();
    echoLine.reset();
}

void VaskelQuorlinProcessor::clearGateState() noexcept
{
    for (int ch = 0; ch < 2; ++ch)
    {
        gateEnvelope[ch] = 0.0f;
        gateGain[ch] = 0.0f;
        gateHoldCounter[ch] = 0;
        gateOpen[ch] = false;
    }
}

std::array<VaskelQuorlinProcessor::Filter*, 8> VaskelQuorlinProcessor::allFilters() noexcept
{
    return { &toneLowShelf, &toneHighShelf, &toneMidPeak,       &cabHighPass,
             &cabLowPass,   &cabPeak,       &cabHighPassSecond, &cabLowPassSecond };
}

void VaskelQuorlinProcessor::releaseResources() {}

double VaskelQuorlinProcessor::getTailLengthSeconds() const { return 4.0; }
bool VaskelQuorlinProcessor::acceptsMidi() const { return false; }
bool VaskelQuorlinProcessor::producesMidi() const { return false; }

juce::AudioProcessorEditor* VaskelQuorlinProcessor::createEditor() { return new VaskelQuorlinEditor (*this); }
bool VaskelQuorlinProcessor::hasEditor() const { return true; }

int VaskelQuorlinProcessor::getNumPrograms() { return 1; }
int VaskelQuorlinProcessor::getCurrentProgram() { return 0; }
void VaskelQuorlinProcessor::setCurrentProgram (int) {}

// The VST3 client publishes a program list with this one program, and hosts
// (and the VST3 validator) expect a program to have a name.
const juce::String VaskelQuorlinProcessor::getProgramName (int) { return "Default"; }
void VaskelQuorlinProcessor::changeProgramName (int, const juce::String&) {}

bool VaskelQuorlinProcessor::isBusesLayoutSupported (const BusesLayout& layouts) const
{
    if (layouts.getMainOutputChannelSet() != juce::AudioChannelSet::stereo())
        return false;

    const auto input = layouts.getMainInputChannelSet();
    return input == juce::AudioChannelSet::stereo() || input == juce::AudioChannelSet::mono();
}

juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter() { return new VaskelQuorlinProcessor(); }
