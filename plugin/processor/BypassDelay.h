#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

// Bypassed audio comes out exactly as late as processed audio does, so that a
// bypass never moves a track against the host's latency compensation and
// switching it on or off neither skips nor repeats a sample.
//
// The delay always holds the last `latency` input samples of every channel:
// a bypassed block is played through it, a processed block only refills it.
// When a bypass ends, the chain has not seen the samples the delay still
// holds, and the first samples it plays are the ones the bypass already
// played; so the first `latency` output samples after a bypass come from the
// delay instead.
class BypassDelay
{
public:
    // Sizes the storage for the channels and the latency and empties it.
    // Allocates: call it from prepareToPlay, never while processing.
    void prepare (int numChannels, int latencySamples);

    // A bypassed block: delays the buffer in place.
    void processBypassed (juce::AudioBuffer<float>& buffer) noexcept;

    // A processed block, around the chain: `beforeChain` takes the input the
    // chain is about to overwrite, `afterChain` puts back what is still owed
    // from a bypass that has just ended.
    void beforeChain (const juce::AudioBuffer<float>& input) noexcept;
    void afterChain (juce::AudioBuffer<float>& output) noexcept;

private:
    // Feeds `count` input samples from `start` on through the delay; the
    // samples that leave it go to `delayed` when that is given.
    void pass (const juce::AudioBuffer<float>& input, int start, int count, juce::AudioBuffer<float>* delayed) noexcept;

    int channelsIn (const juce::AudioBuffer<float>& buffer) const noexcept;

    juce::AudioBuffer<float> line;     // one ring of `latency` samples per channel
    juce::AudioBuffer<float> handover; // what the delay plays at the start of a block after a bypass
    int latency = 0;
    int writeIndex = 0;      // the oldest sample of every ring
    int samplesOwed = 0;     // delayed input still to be played after a bypass
    int handoverSamples = 0; // how much of `handover` this block plays
};
