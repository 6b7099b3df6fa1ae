#include "processor/ToneCab.h"
#include "processor/VaskelQuorlinProcessor.h"

#include "common/ParamIds.h"

namespace ToneCab
{
ShelfCorners shelfCornersForMode (int toneModeIndex) noexcept
{
    switch (toneModeIndex)
    {
        case 0: return { 250.0f, 3000.0f };
        case 1: return { 400.0f, 2000.0f };
        default: return { 500.0f, 1500.0f };
    }
}

CabinetVoicing cabinetVoicingForMode (int cabModeIndex) noexcept
{
    if (cabModeIndex == 0)
        return { 120.0f, 6500.0f, 3000.0f, 2.0f };

    return { 90.0f, 5500.0f, 2500.0f, 3.0f };
}

float limitedFrequency (float frequencyHz, double sampleRate) noexcept
{
    const double limit = sampleRate >= 13000.0 ? 0.5 * sampleRate : 0.45 * sampleRate;
    return (float) juce::jmin ((double) frequencyHz, limit);
}
} // namespace ToneCab

namespace
{
using CoefficientMaker = juce::dsp::IIR::ArrayCoefficients<float>;

// The filters hold state for the prepared channels (the stereo output); a block
// with more channels (not produced by the supported layouts) is filtered on
// those only.
juce::dsp::AudioBlock<float> filteredChannels (juce::dsp::AudioBlock<float>& block, int preparedChannels) noexcept
{
    return block.getSubsetChannelBlock (0, juce::jmin (block.getNumChannels(), (size_t) preparedChannels));
}
} // namespace

// Coefficients are made anew in every block in which a stage runs and written
// into each filter's existing coefficient object: that object keeps its storage,
// so nothing is allocated here.

void VaskelQuorlinProcessor::processTone (juce::dsp::AudioBlock<float>& block)
{
    if (! readSwitch (ParamIds::toneEnabled))
        return;

    const float tilt = readParameter (ParamIds::toneTilt);
    const auto corners = ToneCab::shelfCornersForMode (readChoice (ParamIds::toneMode));
    const float midHz = readParameter (ParamIds::toneMidFreq);

    const float lowGain = juce::Decibels::decibelsToGain (-tilt * 0.5f);
    const float highGain = juce::Decibels::decibelsToGain (tilt * 0.5f);
    const float midGain = juce::Decibels::decibelsToGain (4.0f);

    const auto frequency = [this] (float hz) { return ToneCab::limitedFrequency (hz, currentSampleRate); };

    *toneLowShelf.state =
        CoefficientMaker::makeLowShelf (currentSampleRate, frequency (corners.lowHz), 0.7071f, lowGain);
    *toneHighShelf.state =
        CoefficientMaker::makeHighShelf (currentSampleRate, frequency (corners.highHz), 0.7071f, highGain);
    *toneMidPeak.state = CoefficientMaker::makePeakFilter (currentSampleRate, frequency (midHz), 1.0f, midGain);

    auto channels = filteredChannels (block, juce::jmax (1, getTotalNumOutputChannels()));
    const juce::dsp::ProcessContextReplacing<float> context (channels);
    toneLowShelf.process (context);
    toneHighShelf.process (context);
    toneMidPeak.process (context);
}

void VaskelQuorlinProcessor::processCabinet (juce::dsp::AudioBlock<float>& block)
{
    if (! readSwitch (ParamIds::cabEnabled))
        return;

    const int mode = readChoice (ParamIds::cabMode);
    if (mode == ToneCab::directInputMode)
        return;

    const auto voicing = ToneCab::cabinetVoicingForMode (mode);
    const auto frequency = [this] (float hz) { return ToneCab::limitedFrequency (hz, currentSampleRate); };

    // High-pass and low-pass each run twice for a 24 dB/octave slope; each pass
    // has its own state and the pair shares one set of coefficients.
    const auto highPass = CoefficientMaker::makeHighPass (currentSampleRate, frequency (voicing.highPassHz));
    *cabHighPass.state = highPass;
    *cabHighPassSecond.state = highPass;

    const auto lowPass = CoefficientMaker::makeLowPass (currentSampleRate, frequency (voicing.lowPassHz));
    *cabLowPass.state = lowPass;
    *cabLowPassSecond.state = lowPass;

    *cabPeak.state = CoefficientMaker::makePeakFilter (currentSampleRate, frequency (voicing.peakHz), 1.0f,
                                                       juce::Decibels::decibelsToGain (voicing.peakGainDb));

    auto channels = filteredChannels (block, juce::jmax (1, getTotalNumOutputChannels()));
    const juce::dsp::ProcessContextReplacing<float> context (channels);
    cabHighPass.process (context);
    cabHighPassSecond.process (context);
    cabLowPass.process (context);
    cabLowPassSecond.process (context);
    cabPeak.process (context);
}
