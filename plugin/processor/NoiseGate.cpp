#include "processor/NoiseGate.h"
#include "processor/VaskelQuorlinProcessor.h"

#include "common/ParamIds.h"

#include <cmath>
#include <limits>

namespace NoiseGate
{
Times timesForMode (int modeIndex) noexcept
{
    switch (modeIndex)
    {
        case 1: return { 6.0f, 30.0f, 150.0f };
        case 2: return { 12.0f, 60.0f, 300.0f };
        default: return { 3.0f, 15.0f, 60.0f };
    }
}

Threshold Threshold::fromDecibels (float thresholdDb) noexcept
{
    // The float dB level of an envelope is within 1e-4 dB of the exact value;
    // a band of 0.1 % around the threshold's gain (about 0.0087 dB) is far wider,
    // so outside it the linear comparison cannot disagree with the dB one.
    // Down at the -100 dB floor and for unusual thresholds every envelope takes
    // the dB comparison.
    constexpr double relativeBand = 1.0e-3;
    constexpr float infinity = std::numeric_limits<float>::infinity();

    if (! (thresholdDb >= -95.0f && thresholdDb <= 60.0f))
        return { thresholdDb, -infinity, infinity };

    const double gain = std::pow (10.0, (double) thresholdDb / 20.0);
    return { thresholdDb, (float) (gain * (1.0 - relativeBand)), (float) (gain * (1.0 + relativeBand)) };
}

inline bool Threshold::isExceededBy (float envelope) const noexcept
{
    if (envelope > certainlyAbove)
        return true;

    if (envelope < certainlyBelow)
        return false;

    return juce::Decibels::gainToDecibels (envelope) > thresholdDb;
}

float smoothingCoefficient (float sampleRate, float timeMs) noexcept
{
    return 1.0f - std::exp (-1.0f / (sampleRate * timeMs * 0.001f));
}

Settings makeSettings (float amountPercent, int modeIndex, double sampleRate) noexcept
{
    const float openDb = (amountPercent / 100.0f) * 60.0f - 80.0f;
    const auto times = timesForMode (modeIndex);
    const auto rate = (float) sampleRate;

    Settings settings {};
    settings.open = Threshold::fromDecibels (openDb);
    settings.close = Threshold::fromDecibels (openDb - 6.0f);
    settings.envelopeAttack = smoothingCoefficient (rate, 0.2f);
    settings.envelopeRelease = smoothingCoefficient (rate, 10.0f);
    settings.gainAttack = smoothingCoefficient (rate, times.attackMs);
    settings.gainRelease = smoothingCoefficient (rate, times.releaseMs);
    settings.holdSamples = (int) ((double) times.holdMs * 0.001 * sampleRate);
    return settings;
}

namespace
{
// One channel's state held in locals for the length of a block, so that the
// compiler need not assume it aliases the samples.
struct RunningChannel
{
    explicit RunningChannel (ChannelState s) noexcept
        : state (s)
        , envelope (s.envelope)
        , gain (s.gain)
        , holdCounter (s.holdCounter)
        , open (s.open)
    {
    }

    ~RunningChannel()
    {
        state.envelope = envelope;
        state.gain = gain;
        state.holdCounter = holdCounter;
        state.open = open;
    }

    forcedinline float process (float input, const Settings& settings) noexcept
    {
        const float magnitude = std::abs (input);

        const float envelopeCoefficient = magnitude > envelope ? settings.envelopeAttack : settings.envelopeRelease;
        envelope = (magnitude - envelope) * envelopeCoefficient + envelope;

        if (! open)
        {
            if (settings.open.isExceededBy (envelope))
            {
                open = true;
                holdCounter = settings.holdSamples;
            }
        }
        else if (settings.close.isExceededBy (envelope))
        {
            holdCounter = settings.holdSamples;
        }
        else if (holdCounter > 0)
        {
            --holdCounter;
        }
        else
        {
            open = false;
        }

        const float target = open ? 1.0f : 0.0f;
        const float gainCoefficient = target > gain ? settings.gainAttack : settings.gainRelease;
        gain = (target - gain) * gainCoefficient + gain;

        return gain * input;
    }

    ChannelState state;
    float envelope;
    float gain;
    int holdCounter;
    bool open;
};
} // namespace

void processChannel (float* samples, int numSamples, const Settings& settings, ChannelState state) noexcept
{
    RunningChannel channel (state);

    for (int i = 0; i < numSamples; ++i)
        samples[i] = channel.process (samples[i], settings);
}

void processChannelPair (float* left, float* right, int numSamples, const Settings& settings, ChannelState leftState,
                         ChannelState rightState) noexcept
{
    // The two channels' recursions are independent: stepping them side by side
    // lets the processor overlap them.
    RunningChannel leftChannel (leftState);
    RunningChannel rightChannel (rightState);

    for (int i = 0; i < numSamples; ++i)
    {
        left[i] = leftChannel.process (left[i], settings);
        right[i] = rightChannel.process (right[i], settings);
    }
}
} // namespace NoiseGate

void VaskelQuorlinProcessor::processNoiseGate (juce::AudioBuffer<float>& buffer)
{
    const float amount = readParameter (ParamIds::gateAmount);
    const int mode = readChoice (ParamIds::gateMode);
    const auto settings = NoiseGate::makeSettings (amount, mode, currentSampleRate);

    // Only the two channels of the supported layouts have gate state; any
    // further channel passes ungated.
    const int numSamples = buffer.getNumSamples();

    if (buffer.getNumChannels() >= 2)
        NoiseGate::processChannelPair (buffer.getWritePointer (0), buffer.getWritePointer (1), numSamples, settings,
                                       { gateEnvelope[0], gateGain[0], gateHoldCounter[0], gateOpen[0] },
                                       { gateEnvelope[1], gateGain[1], gateHoldCounter[1], gateOpen[1] });
    else if (buffer.getNumChannels() == 1)
        NoiseGate::processChannel (buffer.getWritePointer (0), numSamples, settings,
                                   { gateEnvelope[0], gateGain[0], gateHoldCounter[0], gateOpen[0] });
}
