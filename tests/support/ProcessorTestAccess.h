#pragma once

#include "processor/VaskelQuorlinProcessor.h"

// Reads the processor's private storage for the tests (the processor declares
// this struct its friend). One struct for every processor test: add readers
// here rather than defining a second friend.
struct VaskelQuorlinProcessorTestAccess
{
    explicit VaskelQuorlinProcessorTestAccess (VaskelQuorlinProcessor& p)
        : processor (p)
    {
    }

    int preDelayCapacity() const { return processor.preDelayLine.getMaximumDelayInSamples(); }
    int echoCapacity() const { return processor.echoLine.getMaximumDelayInSamples(); }

    const juce::AudioBuffer<float>& dryBuffer() const { return processor.dryBuffer; }
    const juce::AudioBuffer<float>& sendBuffer() const { return processor.sendBuffer; }
    const juce::AudioBuffer<float>& workBuffer() const { return processor.workBuffer; }

    VaskelQuorlinProcessor& processor;
};
