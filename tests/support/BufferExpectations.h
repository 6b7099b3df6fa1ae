#pragma once

#include <gtest/gtest.h>
#include <juce_audio_basics/juce_audio_basics.h>

// Two buffers of the same shape holding exactly the same samples.
inline void expectIdentical (const juce::AudioBuffer<float>& a, const juce::AudioBuffer<float>& b)
{
    ASSERT_EQ (a.getNumChannels(), b.getNumChannels());
    ASSERT_EQ (a.getNumSamples(), b.getNumSamples());

    for (int ch = 0; ch < a.getNumChannels(); ++ch)
        for (int i = 0; i < a.getNumSamples(); ++i)
            ASSERT_EQ (a.getSample (ch, i), b.getSample (ch, i)) << "channel " << ch << ", sample " << i;
}
