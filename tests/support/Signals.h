#pragma once

// Test signals and level measurements shared by the DSP tests. Everything is
// deterministic: the noise comes from a fixed seed.

#include <juce_audio_basics/juce_audio_basics.h>

#include <cmath>

namespace Signals
{
// A sine that continues across blocks: each fill() carries on where the last
// one stopped, on every channel alike.
struct Sine
{
    double frequency = 1000.0;
    double sampleRate = 44100.0;
    float amplitude = 0.5f;
    juce::int64 position = 0;

    void fill (juce::AudioBuffer<float>& buffer)
    {
        const auto phaseStep = juce::MathConstants<double>::twoPi * frequency / sampleRate;

        for (int i = 0; i < buffer.getNumSamples(); ++i)
        {
            const auto value = amplitude * (float) std::sin (phaseStep * (double) (position + i));
            for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
                buffer.setSample (ch, i, value);
        }

        position += buffer.getNumSamples();
    }
};

inline juce::AudioBuffer<float> sine (int numChannels, int numSamples, double frequency, double sampleRate,
                                      float amplitude = 0.5f)
{
    juce::AudioBuffer<float> buffer (numChannels, numSamples);
    Sine { frequency, sampleRate, amplitude }.fill (buffer);
    return buffer;
}

// Uniform white noise in [-amplitude, amplitude]; each channel gets its own
// stream from the same seed, so a given seed always gives the same buffer.
inline void fillNoise (juce::AudioBuffer<float>& buffer, float amplitude = 0.5f, juce::int64 seed = 12345)
{
    juce::Random random (seed);

    for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            buffer.setSample (ch, i, amplitude * (2.0f * random.nextFloat() - 1.0f));
}

inline juce::AudioBuffer<float> noise (int numChannels, int numSamples, float amplitude = 0.5f,
                                       juce::int64 seed = 12345)
{
    juce::AudioBuffer<float> buffer (numChannels, numSamples);
    fillNoise (buffer, amplitude, seed);
    return buffer;
}

// Silence with one sample of the given amplitude at `position` on every channel.
inline void fillImpulse (juce::AudioBuffer<float>& buffer, int position = 0, float amplitude = 1.0f)
{
    buffer.clear();

    if (position >= 0 && position < buffer.getNumSamples())
        for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
            buffer.setSample (ch, position, amplitude);
}

inline juce::AudioBuffer<float> impulse (int numChannels, int numSamples, int position = 0, float amplitude = 1.0f)
{
    juce::AudioBuffer<float> buffer (numChannels, numSamples);
    fillImpulse (buffer, position, amplitude);
    return buffer;
}

inline void fillConstant (juce::AudioBuffer<float>& buffer, float value)
{
    for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
        juce::FloatVectorOperations::fill (buffer.getWritePointer (ch), value, buffer.getNumSamples());
}

// RMS of one channel over [start, start + length); length -1 means to the end.
inline float rms (const juce::AudioBuffer<float>& buffer, int channel, int start = 0, int length = -1)
{
    if (length < 0)
        length = buffer.getNumSamples() - start;

    return length > 0 ? buffer.getRMSLevel (channel, start, length) : 0.0f;
}

inline float peak (const juce::AudioBuffer<float>& buffer, int start = 0, int length = -1)
{
    if (length < 0)
        length = buffer.getNumSamples() - start;

    return length > 0 ? buffer.getMagnitude (start, length) : 0.0f;
}

inline bool allFinite (const juce::AudioBuffer<float>& buffer)
{
    for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
        for (int i = 0; i < buffer.getNumSamples(); ++i)
            if (! std::isfinite (buffer.getSample (ch, i)))
                return false;

    return true;
}
} // namespace Signals
