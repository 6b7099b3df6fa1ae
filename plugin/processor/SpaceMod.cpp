#include "processor/VaskelQuorlinProcessor.h"

#include "common/ParamIds.h"

namespace
{
// At or below this pre-delay (ms) the reverb is fed directly and the pre-delay
// line keeps whatever it holds.
constexpr float minimumPreDelayMs = 0.01f;

juce::dsp::Reverb::Parameters reverbSettingsFor (int spaceMode, float amount) noexcept
{
    juce::dsp::Reverb::Parameters settings;

    switch (spaceMode)
    {
        case 0: // Room
            settings.roomSize = 0.35f;
            settings.damping = 0.5f;
            settings.width = 1.0f;
            break;

        case 1: // Plate
            settings.roomSize = 0.5f;
            settings.damping = 0.25f;
            settings.width = 0.6f;
            break;

        default: // Hall
            settings.roomSize = 0.85f;
            settings.damping = 0.3f;
            settings.width = 1.0f;
            break;
    }

    // The send adds the reverb's wet output only; the dry path is already in
    // the main buffer.
    settings.wetLevel = amount * 0.85f;
    settings.dryLevel = 0.0f;
    settings.freezeMode = 0.0f;
    return settings;
}
} // namespace

void VaskelQuorlinProcessor::processSpaceSend (juce::AudioBuffer<float>& buffer)
{
    const float amount = readSendAmount (ParamIds::spaceEnabled, ParamIds::spaceAmount);

    if (amount == 0.0f)
        return;

    const int numChannels = buffer.getNumChannels();
    const int numSamples = buffer.getNumSamples();

    reverb.setParameters (reverbSettingsFor (readChoice (ParamIds::spaceMode), amount));

    auto block = copySendIntoWork (numChannels, numSamples);

    const float preDelayMs = readParameter (ParamIds::spacePreDelay);

    if (preDelayMs > minimumPreDelayMs)
    {
        const float delaySamples = (float) currentSampleRate * (preDelayMs * 0.001f);
        preDelayLine.setDelay (juce::jmin (delaySamples, (float) preDelayLine.getMaximumDelayInSamples()));

        for (size_t ch = 0; ch < block.getNumChannels(); ++ch)
        {
            auto* samples = block.getChannelPointer (ch);

            // Push before pop: a delay of d samples delays by exactly d, and 0
            // passes the signal through.
            for (size_t i = 0; i < block.getNumSamples(); ++i)
            {
                preDelayLine.pushSample ((int) ch, samples[i]);
                samples[i] = preDelayLine.popSample ((int) ch);
            }
        }
    }

    reverb.process (juce::dsp::ProcessContextReplacing<float> (block));

    for (int ch = 0; ch < numChannels; ++ch)
        buffer.addFrom (ch, 0, workBuffer, ch, 0, numSamples);
}

void VaskelQuorlinProcessor::processModulationSend (juce::AudioBuffer<float>& buffer)
{
    const float amount = readSendAmount (ParamIds::modEnabled, ParamIds::modAmount);

    if (amount == 0.0f)
        return;

    const int mode = readChoice (ParamIds::modMode);
    const float rateHz = readParameter (ParamIds::modRate);

    const int numChannels = buffer.getNumChannels();
    const int numSamples = buffer.getNumSamples();

    auto block = copySendIntoWork (numChannels, numSamples);
    const juce::dsp::ProcessContextReplacing<float> context (block);

    // Fully wet in every character: the work buffer ends up holding only the
    // effect's output, which is then added at the send's amount.
    if (mode == 2) // Phaser
    {
        phaser.setRate (rateHz);
        phaser.setDepth (1.0f);
        phaser.setCentreFrequency (1200.0f);
        phaser.setFeedback (0.75f);
        phaser.setMix (1.0f);
        phaser.process (context);
    }
    else
    {
        // Chorus and flanger share one delay line, so switching between them
        // keeps its contents and only changes the settings.
        const bool isChorus = mode == 0;
        chorus.setRate (rateHz);
        chorus.setCentreDelay (isChorus ? 7.5f : 2.0f);
        chorus.setFeedback (isChorus ? 0.0f : 0.5f);
        chorus.setDepth (isChorus ? 0.25f : 0.4f);
        chorus.setMix (1.0f);
        chorus.process (context);
    }

    for (int ch = 0; ch < numChannels; ++ch)
        buffer.addFrom (ch, 0, workBuffer, ch, 0, numSamples, amount);
}
