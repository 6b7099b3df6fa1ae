#include "processor/VaskelQuorlinProcessor.h"

#include "common/ParamIds.h"

#include <cmath>
#include <cstring>

namespace
{
float levelDb (float peak) noexcept { return juce::Decibels::gainToDecibels (peak); }

// A sample that is not a number would stick in every recursive state
// downstream (gate envelope, filters, delay lines, reverb), and one far beyond
// any signal (an uninitialised host buffer, say) overflows inside the
// oversampler and does the same. Both enter the chain as silence; up to
// +60 dBFS every sample passes untouched. Written as one select per sample, so
// that it vectorises.
void replaceUnplayableWithZero (juce::AudioBuffer<float>& buffer) noexcept
{
    constexpr float largestPlayable = 1000.0f;

    for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
    {
        auto* samples = buffer.getWritePointer (ch);
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            samples[i] = std::abs (samples[i]) <= largestPlayable ? samples[i] : 0.0f;
    }
}

// Tests the exponent bits of every sample, without an early exit, so that it
// vectorises: all ones is an infinity or not a number.
bool isEverySampleFinite (const juce::AudioBuffer<float>& buffer) noexcept
{
    constexpr juce::uint32 exponentBits = 0x7f800000;
    juce::uint32 found = 0;

    for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
    {
        const auto* samples = buffer.getReadPointer (ch);
        for (int i = 0; i < buffer.getNumSamples(); ++i)
        {
            juce::uint32 bits;
            std::memcpy (&bits, samples + i, sizeof (bits));
            found |= (juce::uint32) ((bits & exponentBits) == exponentBits);
        }
    }

    return found == 0;
}
} // namespace

float VaskelQuorlinProcessor::readParameter (const juce::String& id) const noexcept
{
    return apvts.getRawParameterValue (id)->load();
}

bool VaskelQuorlinProcessor::readSwitch (const juce::String& id) const noexcept { return readParameter (id) > 0.5f; }

int VaskelQuorlinProcessor::readChoice (const juce::String& id) const noexcept
{
    // A value that is not a number (a host can set one) has no index; it takes
    // the case of an index outside the list instead of an undefined conversion.
    const auto value = readParameter (id);
    return std::isnan (value) ? -1 : (int) value;
}

float VaskelQuorlinProcessor::readSendAmount (const juce::String& enabledId,
                                              const juce::String& amountId) const noexcept
{
    const bool enabled = readSwitch (enabledId);
    const float amount = readParameter (amountId) / 100.0f;
    return enabled && amount > 0.0001f ? amount : 0.0f;
}

void VaskelQuorlinProcessor::processBlock (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    juce::ScopedNoDenormals noDenormals;

    const int numSamples = buffer.getNumSamples();
    const int numChannels = buffer.getNumChannels();

    const bool bypassed = readSwitch (ParamIds::bypass);

    copyMonoInputToBothChannels (buffer);

    // Bypassed: the input untouched, but as late as the chain would play it.
    if (bypassed)
    {
        inputLevelDb = levelDb (buffer.getMagnitude (0, numSamples));
        outputLevelDb = inputLevelDb.load();
        bypassDelay.processBypassed (buffer);
        return;
    }

    bypassDelay.beforeChain (buffer);
    replaceUnplayableWithZero (buffer);

    // A host may send more samples than it prepared us for; the chain then runs
    // on consecutive slices that fit, exactly as if the host had sent those.
    const int sliceLength = preparedBlockSize > 0 ? preparedBlockSize : numSamples;
    BlockPeaks peaks;
    int start = 0;

    do
    {
        const int length = juce::jmin (sliceLength, numSamples - start);
        juce::AudioBuffer<float> slice (buffer.getArrayOfWritePointers(), numChannels, start, length);
        const auto slicePeaks = processChain (slice);
        peaks.input = juce::jmax (peaks.input, slicePeaks.input);
        peaks.output = juce::jmax (peaks.output, slicePeaks.output);
        start += length;
    } while (start < numSamples);

    bypassDelay.afterChain (buffer);

    inputLevelDb = levelDb (peaks.input);
    outputLevelDb = levelDb (peaks.output);
}

void VaskelQuorlinProcessor::processBlockBypassed (juce::AudioBuffer<float>& buffer, juce::MidiBuffer&)
{
    // The input as the chain would receive it, as late as the chain plays it;
    // the meters keep the values of the last processed block.
    copyMonoInputToBothChannels (buffer);
    bypassDelay.processBypassed (buffer);
}

void VaskelQuorlinProcessor::copyMonoInputToBothChannels (juce::AudioBuffer<float>& buffer) const noexcept
{
    if (getChannelCountOfBus (true, 0) == 1 && buffer.getNumChannels() > 1)
        buffer.copyFrom (1, 0, buffer, 0, 0, buffer.getNumSamples());
}

VaskelQuorlinProcessor::BlockPeaks VaskelQuorlinProcessor::processChain (juce::AudioBuffer<float>& buffer)
{
    ensureScratchBuffersFit (buffer.getNumChannels(), buffer.getNumSamples());

    juce::dsp::AudioBlock<float> block (buffer);
    BlockPeaks peaks;

    applyInputTrim (block);
    peaks.input = buffer.getMagnitude (0, buffer.getNumSamples());

    processNoiseGate (buffer);
    processDrive (block);

    // Before the first prepareToPlay the filters, modulation effects and delay
    // lines have no per-channel storage yet: only the frame, gate and the
    // (not yet ready, so transparent) oversampler run.
    const bool prepared = preparedBlockSize > 0;

    if (prepared)
    {
        processTone (block);
        processCabinet (block);
    }

    copyPostCabinet (buffer);

    if (prepared)
    {
        processSpaceSend (buffer);
        processModulationSend (buffer);
        processEchoSend (buffer);
    }

    applyBlend (buffer);
    applyOutputTrim (block);
    silenceAndClearStateIfNotFinite (buffer);
    peaks.output = buffer.getMagnitude (0, buffer.getNumSamples());

    return peaks;
}

void VaskelQuorlinProcessor::silenceAndClearStateIfNotFinite (juce::AudioBuffer<float>& buffer) noexcept
{
    // The input is sound by now, so only a value that is not a number from
    // elsewhere (a host can send one as a parameter value) gets this far; it
    // would stay in the recursive states for good.
    if (isEverySampleFinite (buffer))
        return;

    buffer.clear();
    clearDspState();
}

void VaskelQuorlinProcessor::ensureScratchBuffersFit (int numChannels, int numSamples)
{
    if (dryBuffer.getNumSamples() >= numSamples && dryBuffer.getNumChannels() == numChannels)
        return;

    for (auto* scratch : { &dryBuffer, &sendBuffer, &workBuffer })
        scratch->setSize (numChannels, numSamples, false, false, true);
}

void VaskelQuorlinProcessor::applyInputTrim (juce::dsp::AudioBlock<float>& block)
{
    inputGain.setGainDecibels (readParameter (ParamIds::inputTrim));
    inputGain.process (juce::dsp::ProcessContextReplacing<float> (block));
}

void VaskelQuorlinProcessor::copyPostCabinet (const juce::AudioBuffer<float>& buffer)
{
    const int numSamples = buffer.getNumSamples();
    if (numSamples == 0)
        return;

    for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
    {
        dryBuffer.copyFrom (ch, 0, buffer, ch, 0, numSamples);
        sendBuffer.copyFrom (ch, 0, buffer, ch, 0, numSamples);
    }
}

juce::dsp::AudioBlock<float> VaskelQuorlinProcessor::copySendIntoWork (int numChannels, int numSamples)
{
    for (int ch = 0; ch < numChannels; ++ch)
        workBuffer.copyFrom (ch, 0, sendBuffer, ch, 0, numSamples);

    return juce::dsp::AudioBlock<float> (workBuffer)
        .getSubsetChannelBlock (0, (size_t) numChannels)
        .getSubBlock (0, (size_t) numSamples);
}

void VaskelQuorlinProcessor::applyBlend (juce::AudioBuffer<float>& buffer)
{
    const float wet = readParameter (ParamIds::blend) / 100.0f;
    const float dry = 1.0f - wet;

    for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
    {
        auto* out = buffer.getWritePointer (ch);
        const auto* post = dryBuffer.getReadPointer (ch);
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            out[i] = post[i] * dry + out[i] * wet;
    }
}

void VaskelQuorlinProcessor::applyOutputTrim (juce::dsp::AudioBlock<float>& block)
{
    outputGain.setGainLinear (juce::Decibels::decibelsToGain (readParameter (ParamIds::outputTrim)));
    outputGain.process (juce::dsp::ProcessContextReplacing<float> (block));
}
