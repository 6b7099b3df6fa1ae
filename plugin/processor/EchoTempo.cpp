#include "processor/VaskelQuorlinProcessor.h"

#include "common/ParamIds.h"

void VaskelQuorlinProcessor::processEchoSend (juce::AudioBuffer<float>&)
{
}

void VaskelQuorlinProcessor::setManualBpm (float bpm)
{
    manualBpm = bpm < 20.0f ? 20.0f : (bpm > 300.0f ? 300.0f : bpm);
}

void VaskelQuorlinProcessor::tapTempo()
{
    const double now = tapClock();
    const double interval = now - lastTapTimeMs;

    if (interval >= 200.0 && interval <= 2000.0)
        manualBpm = (float) (60000.0 / interval);

    lastTapTimeMs = now;
}

double VaskelQuorlinProcessor::getEffectiveBpm() const
{
    return (double) manualBpm.load();
}

float VaskelQuorlinProcessor::getEchoDelayMs (int division, double bpm)
{
    switch (division)
    {
        case 1: return (float) (60000.0 / bpm * 0.5);
        case 2: return (float) (60000.0 / bpm);
        default: return 120.0f;
    }
}
