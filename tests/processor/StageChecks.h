#pragma once

// Measurements shared by the gate, drive, tone and cabinet tests.

#include "support/ProcessorRig.h"
#include "support/Signals.h"

#include <cstring>

// The chain's gain for a sine of `frequency`, in dB, measured on channel 0
// over the second of a two-second run (the first settles the filters).
inline float responseDb (ProcessorRig& rig, double sampleRate, double frequency, float amplitude = 0.1f)
{
    const int settle = (int) sampleRate;
    const auto input = Signals::sine (2, 2 * settle, frequency, sampleRate, amplitude);
    const auto output = rig.run (input);
    return juce::Decibels::gainToDecibels (Signals::rms (output, 0, settle) / Signals::rms (input, 0, settle), -200.0f);
}

// Bit for bit the same samples.
inline bool identical (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
{
    if (a.getNumChannels() != b.getNumChannels() || a.getNumSamples() != b.getNumSamples())
        return false;

    for (int ch = 0; ch < a.getNumChannels(); ++ch)
        if (std::memcmp (a.getReadPointer (ch), b.getReadPointer (ch), sizeof (float) * (size_t) a.getNumSamples()) !=
            0)
            return false;

    return true;
}
