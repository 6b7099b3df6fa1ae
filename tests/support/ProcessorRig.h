#pragma once

// A prepared processor driven block by block, for tests that look at what one
// stage adds to the chain. Such tests usually run the same input through two
// rigs, one with the stage on and one with it off: the gate, oversampler and
// filters before the stage treat both alike, so the difference of the outputs
// is the stage's own contribution.

#include "common/ParamIds.h"
#include "processor/VaskelQuorlinProcessor.h"

#include <cmath>
#include <utility>
#include <vector>

using ParameterSettings = std::vector<std::pair<juce::String, float>>;

class ProcessorRig
{
public:
    explicit ProcessorRig (double sampleRate = 44100.0, int maximumBlockSize = 512, bool monoInput = false)
        : blockSize (maximumBlockSize)
    {
        if (monoInput)
        {
            juce::AudioProcessor::BusesLayout layout;
            layout.inputBuses.add (juce::AudioChannelSet::mono());
            layout.outputBuses.add (juce::AudioChannelSet::stereo());
            processor.setBusesLayout (layout);
        }

        processor.prepareToPlay (sampleRate, maximumBlockSize);
    }

    // Sets a parameter by its plain value, as the host would.
    void set (const juce::String& id, float plainValue)
    {
        auto* parameter = processor.apvts.getParameter (id);
        parameter->setValueNotifyingHost (parameter->convertTo0to1 (plainValue));
    }

    void set (const ParameterSettings& settings)
    {
        for (const auto& [id, value] : settings)
            set (id, value);
    }

    // Stores a plain value the parameter itself would never hold (a choice
    // index outside its list, say) straight into the value the processor reads.
    void forceRawValue (const juce::String& id, float plainValue)
    {
        processor.apvts.getRawParameterValue (id)->store (plainValue);
    }

    // Processes samples [start, start + length) of the buffer in place, in
    // blocks of at most `size` samples (the prepared maximum by default).
    void process (juce::AudioBuffer<float>& buffer, int start, int length, int size = 0)
    {
        size = size > 0 ? size : blockSize;
        juce::MidiBuffer midi;

        for (int offset = start; offset < start + length; offset += size)
        {
            const int n = juce::jmin (size, start + length - offset);
            juce::AudioBuffer<float> block (buffer.getArrayOfWritePointers(), buffer.getNumChannels(), offset, n);
            processor.processBlock (block, midi);
        }
    }

    void process (juce::AudioBuffer<float>& buffer, int size = 0) { process (buffer, 0, buffer.getNumSamples(), size); }

    // A processed copy of the input.
    juce::AudioBuffer<float> run (const juce::AudioBuffer<float>& input, int size = 0)
    {
        juce::AudioBuffer<float> output (input);
        process (output, size);
        return output;
    }

    VaskelQuorlinProcessor processor;
    const int blockSize;
};

// Every send off: what is left is the post-cabinet signal. A function, not a
// variable, so it never runs before the identifier strings are constructed.
inline ParameterSettings allSendsOff()
{
    return { { ParamIds::spaceEnabled, 0.0f }, { ParamIds::modEnabled, 0.0f }, { ParamIds::echoEnabled, 0.0f } };
}

inline juce::AudioBuffer<float> difference (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
{
    juce::AudioBuffer<float> result (a);

    for (int ch = 0; ch < result.getNumChannels(); ++ch)
        result.addFrom (ch, 0, b, ch, 0, result.getNumSamples(), -1.0f);

    return result;
}

// Largest |a[ch][aStart + i] - b[ch][bStart + i]| over every channel and
// 0 <= i < length.
inline float maxAbsDifference (const juce::AudioBuffer<float>& a, int aStart, const juce::AudioBuffer<float>& b,
                               int bStart, int length)
{
    float largest = 0.0f;

    for (int ch = 0; ch < a.getNumChannels(); ++ch)
        for (int i = 0; i < length; ++i)
            largest = juce::jmax (largest, std::abs (a.getSample (ch, aStart + i) - b.getSample (ch, bStart + i)));

    return largest;
}

inline float maxAbsDifference (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
{
    return maxAbsDifference (a, 0, b, 0, juce::jmin (a.getNumSamples(), b.getNumSamples()));
}

// Silence with a Hann-windowed tone of `length` samples from `start` on every
// channel: loud enough to open the gate, and with little energy near the
// top of the band, so the oversampling filters hardly ring after it ends.
inline juce::AudioBuffer<float> windowedBurst (int numChannels, int numSamples, int start, int length,
                                               double frequency = 440.0, double sampleRate = 44100.0,
                                               float amplitude = 0.5f)
{
    juce::AudioBuffer<float> buffer (numChannels, numSamples);
    buffer.clear();

    for (int i = 0; i < length && start + i < numSamples; ++i)
    {
        const double window = 0.5 - 0.5 * std::cos (juce::MathConstants<double>::twoPi * (i + 0.5) / length);
        const double tone = std::sin (juce::MathConstants<double>::twoPi * frequency * i / sampleRate);
        const auto value = (float) (amplitude * window * tone);

        for (int ch = 0; ch < numChannels; ++ch)
            buffer.setSample (ch, start + i, value);
    }

    return buffer;
}
