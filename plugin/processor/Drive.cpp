#include "processor/Drive.h"
#include "processor/VaskelQuorlinProcessor.h"

#include "common/ParamIds.h"

#include <cmath>

namespace Drive
{
float tubeShaper (float x) noexcept { return std::tanh (x); }

float fuzzShaper (float x) noexcept { return x < 0.0f ? std::exp (x) - 1.0f : 1.0f - std::exp (-x); }

float boostShaper (float x) noexcept { return std::tanh (0.35f * x); }

Shaper shaperForMode (int modeIndex) noexcept
{
    switch (modeIndex)
    {
        case 0: return tubeShaper;
        case 1: return fuzzShaper;
        default: return boostShaper;
    }
}

Gains gainsForAmount (float amount) noexcept
{
    const float drive = juce::Decibels::decibelsToGain (amount * 40.0f);
    return { drive, 1.0f / std::sqrt (drive) };
}
} // namespace Drive

void VaskelQuorlinProcessor::processDrive (juce::dsp::AudioBlock<float>& block)
{
    // The oversampler holds the two channels of the supported layouts; any
    // further channel passes undriven and undelayed.
    auto oversampled = block.getSubsetChannelBlock (0, juce::jmin (block.getNumChannels(), oversampler.numChannels));

    auto upsampled = oversampler.processSamplesUp (oversampled);

    const bool enabled = readSwitch (ParamIds::driveEnabled);
    const float amount = readParameter (ParamIds::driveAmount) / 100.0f;

    if (enabled && amount > Drive::minimumAmount)
    {
        waveshaper.functionToUse = Drive::shaperForMode (readChoice (ParamIds::driveMode));
        const auto gains = Drive::gainsForAmount (amount);

        upsampled.multiplyBy (gains.drive);
        waveshaper.process (juce::dsp::ProcessContextReplacing<float> (upsampled));
        upsampled.multiplyBy (gains.compensation);
    }

    oversampler.processSamplesDown (oversampled);
}
