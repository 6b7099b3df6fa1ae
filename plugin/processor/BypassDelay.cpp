#include "processor/BypassDelay.h"

#include <algorithm>

void BypassDelay::prepare (int numChannels, int latencySamples)
{
    latency = juce::jmax (0, latencySamples);
    line.setSize (juce::jmax (1, numChannels), juce::jmax (1, latency));
    handover.setSize (line.getNumChannels(), line.getNumSamples());
    line.clear();
    handover.clear();
    writeIndex = 0;
    samplesOwed = 0;
    handoverSamples = 0;
}

int BypassDelay::channelsIn (const juce::AudioBuffer<float>& buffer) const noexcept
{
    // Channels beyond the prepared ones pass undelayed.
    return juce::jmin (buffer.getNumChannels(), line.getNumChannels());
}

void BypassDelay::pass (const juce::AudioBuffer<float>& input, int start, int count,
                        juce::AudioBuffer<float>* delayed) noexcept
{
    const int channels = channelsIn (input);

    for (int ch = 0; ch < channels; ++ch)
    {
        const auto* in = input.getReadPointer (ch, start);
        auto* ring = line.getWritePointer (ch);
        auto* out = delayed != nullptr ? delayed->getWritePointer (ch) : nullptr;
        int index = writeIndex;

        for (int i = 0; i < count; ++i)
        {
            // `in` and `out` may be the same samples.
            const auto sample = in[i];

            if (out != nullptr)
                out[i] = ring[index];

            ring[index] = sample;

            if (++index == latency)
                index = 0;
        }
    }

    writeIndex = (int) ((writeIndex + (juce::int64) count) % latency);
}

void BypassDelay::processBypassed (juce::AudioBuffer<float>& buffer) noexcept
{
    const int numSamples = buffer.getNumSamples();

    if (latency == 0 || numSamples == 0)
        return;

    if (numSamples < latency)
    {
        pass (buffer, 0, numSamples, &buffer);
    }
    else
    {
        // Whole runs instead of sample by sample: the block moves `latency`
        // later, the delay's samples go in front, the block's tail goes into
        // the delay (through `handover`, which no bypassed block uses).
        const int moved = numSamples - latency;

        for (int ch = 0; ch < channelsIn (buffer); ++ch)
        {
            auto* samples = buffer.getWritePointer (ch);
            auto* ring = line.getWritePointer (ch);
            auto* tail = handover.getWritePointer (ch);
            const int oldest = latency - writeIndex;

            std::copy (samples + moved, samples + numSamples, tail);
            std::copy_backward (samples, samples + moved, samples + numSamples);
            std::copy (ring + writeIndex, ring + latency, samples);
            std::copy (ring, ring + writeIndex, samples + oldest);
            std::copy (tail, tail + latency, ring);
        }

        writeIndex = 0;
    }

    // None of what the delay holds now has been played yet.
    samplesOwed = latency;
}

void BypassDelay::beforeChain (const juce::AudioBuffer<float>& input) noexcept
{
    const int numSamples = input.getNumSamples();
    handoverSamples = 0;

    if (latency == 0 || numSamples == 0)
        return;

    if (samplesOwed > 0)
    {
        handoverSamples = juce::jmin (numSamples, samplesOwed);
        samplesOwed -= handoverSamples;
        pass (input, 0, handoverSamples, &handover);
    }

    // Only the last `latency` samples of the rest are kept.
    const int rest = numSamples - handoverSamples;
    const int kept = juce::jmin (rest, latency);
    pass (input, numSamples - kept, kept, nullptr);
}

void BypassDelay::afterChain (juce::AudioBuffer<float>& output) noexcept
{
    if (handoverSamples == 0)
        return;

    for (int ch = 0; ch < channelsIn (output); ++ch)
        output.copyFrom (ch, 0, handover, ch, 0, handoverSamples);

    handoverSamples = 0;
}
