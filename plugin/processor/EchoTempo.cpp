#include "processor/VaskelQuorlinProcessor.h"

#include "common/ParamIds.h"

#include <cmath>

namespace
{
constexpr float lowestManualBpm = 20.0f;
constexpr float highestManualBpm = 300.0f;

// Taps further apart than this, or closer together, do not set a tempo
// (30 to 300 BPM).
constexpr double shortestTapIntervalMs = 200.0;
constexpr double longestTapIntervalMs = 2000.0;
} // namespace

void VaskelQuorlinProcessor::processEchoSend (juce::AudioBuffer<float>& buffer)
{
    const float amount = readSendAmount (ParamIds::echoEnabled, ParamIds::echoAmount);

    // Switched off, the line keeps its repeats; they play out when it returns.
    if (amount == 0.0f)
        return;

    const int division = readChoice (ParamIds::echoDivision);
    const float feedback = readParameter (ParamIds::echoFeedback) / 100.0f;

    const float delayMs = getEchoDelayMs (division, getEffectiveBpm());
    const float delaySamples = (float) currentSampleRate * (delayMs * 0.001f);

    // Pop comes before push, so the shortest delay the line can give is one
    // sample. Written so that a delay that is not a number also lands on one
    // sample, and an infinite one on the line's length.
    const float maximumDelay = (float) echoLine.getMaximumDelayInSamples();
    echoLine.setDelay (delaySamples >= 1.0f ? juce::jmin (delaySamples, maximumDelay) : 1.0f);

    const int numSamples = buffer.getNumSamples();

    for (int ch = 0; ch < buffer.getNumChannels(); ++ch)
    {
        const auto* send = sendBuffer.getReadPointer (ch);
        auto* out = buffer.getWritePointer (ch);

        for (int i = 0; i < numSamples; ++i)
        {
            const float repeat = echoLine.popSample (ch);
            echoLine.pushSample (ch, send[i] + repeat * feedback);
            out[i] += repeat * amount;
        }
    }
}

void VaskelQuorlinProcessor::setManualBpm (float bpm)
{
    // A value that is not a finite number is no tempo; the current one stays.
    if (! std::isfinite (bpm))
        return;

    storeManualBpm (bpm < lowestManualBpm ? lowestManualBpm : (bpm > highestManualBpm ? highestManualBpm : bpm));
}

void VaskelQuorlinProcessor::tapTempo()
{
    const double now = tapClock();
    const double interval = now - lastTapTimeMs;

    // Every tap, in range or not, is the reference for the next one.
    lastTapTimeMs = now;

    if (interval >= shortestTapIntervalMs && interval <= longestTapIntervalMs)
        storeManualBpm ((float) (60000.0 / interval));
}

void VaskelQuorlinProcessor::storeManualBpm (float bpm)
{
    if (manualBpm.exchange (bpm) != bpm)
        notifyTempoStateChanged();
}

void VaskelQuorlinProcessor::notifyTempoStateChanged()
{
    // The tempo settings are no parameters, so nothing else marks the
    // project as changed.
    updateHostDisplay (juce::AudioProcessorListener::ChangeDetails().withNonParameterStateChanged (true));
}

double VaskelQuorlinProcessor::getEffectiveBpm() const
{
    if (hostSyncEnabled.load())
        if (auto* host = getPlayHead())
            if (const auto position = host->getPosition())
                if (const auto hostBpm = position->getBpm())
                    // A host tempo of 1 BPM or less, or one that is not finite,
                    // is no usable tempo.
                    if (std::isfinite (*hostBpm) && *hostBpm > 1.0)
                        return *hostBpm;

    return (double) manualBpm.load();
}

float VaskelQuorlinProcessor::getEchoDelayMs (int division, double bpm)
{
    switch (division)
    {
        case 1: return (float) (60000.0 / bpm * 0.5); // 8th
        case 2: return (float) (60000.0 / bpm);       // Quarter
        default: return 120.0f;                       // Slap, whatever the tempo
    }
}
