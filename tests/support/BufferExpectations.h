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

// What a delay of `delay` samples plays during `block` when `before` was its
// input just before: the block's own samples, `delay` later, after the last
// `delay` samples of `before`.
inline juce::AudioBuffer<float> delayedBlock (const juce::AudioBuffer<float>& before,
                                              const juce::AudioBuffer<float>& block, int delay)
{
    juce::AudioBuffer<float> expected (block.getNumChannels(), block.getNumSamples());

    for (int ch = 0; ch < block.getNumChannels(); ++ch)
        for (int i = 0; i < block.getNumSamples(); ++i)
            expected.setSample (ch, i,
                                i >= delay ? block.getSample (ch, i - delay)
                                           : before.getSample (ch, before.getNumSamples() - delay + i));

    return expected;
}
