#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <cmath>

// Guitar-like test input for the editor benchmarks: a new note every 600 ms,
// struck at -6 dBFS and dying away by 40 dB before the next one, so the level
// meters sweep most of their scales all the time.
struct PluckSignal
{
    explicit PluckSignal (double rate)
        : sampleRate (rate)
    {
    }

    void fill (juce::AudioBuffer<float>& buffer)
    {
        constexpr double notes[] = { 110.0, 146.83, 196.0, 246.94, 329.63 };
        const auto noteLength = (juce::int64) (0.6 * sampleRate);
        const auto decayPerSecond = std::log (100.0) / 0.6; // -40 dB over a note

        for (int i = 0; i < buffer.getNumSamples(); ++i, ++position)
        {
            const auto note = position / noteLength;
            const auto t = (double) (position % noteLength) / sampleRate;
            const auto frequency = notes[note % 5];
            const auto value = (float) (0.5 * std::exp (-decayPerSecond * t) *
                                        std::sin (juce::MathConstants<double>::twoPi * frequency * t));

            for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
                buffer.setSample (ch, i, value);
        }
    }

    double sampleRate;
    juce::int64 position = 0;
};
