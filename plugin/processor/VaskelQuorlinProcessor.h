#pragma once

#include <juce_audio_processors/juce_audio_processors.h>
#include <juce_dsp/juce_dsp.h>

#include "processor/BypassDelay.h"

#include <array>
#include <atomic>

class VaskelQuorlinProcessor : public juce::AudioProcessor
{
public:
    VaskelQuorlinProcessor();
    ~VaskelQuorlinProcessor() override;

    const juce::String getName() const override;

    void prepareToPlay (double sampleRate, int samplesPerBlock) override;
    void releaseResources() override;

    using juce::AudioProcessor::processBlock;
    void processBlock (juce::AudioBuffer<float>&, juce::MidiBuffer&) override;

    using juce::AudioProcessor::processBlockBypassed;
    // The host's own bypass: the input, delayed by the reported latency.
    void processBlockBypassed (juce::AudioBuffer<float>&, juce::MidiBuffer&) override;

    double getTailLengthSeconds() const override;
    bool acceptsMidi() const override;
    bool producesMidi() const override;

    juce::AudioProcessorEditor* createEditor() override;
    bool hasEditor() const override;

    int getNumPrograms() override;
    int getCurrentProgram() override;
    void setCurrentProgram (int index) override;
    const juce::String getProgramName (int index) override;
    void changeProgramName (int index, const juce::String& newName) override;

    void getStateInformation (juce::MemoryBlock& destData) override;
    void setStateInformation (const void* data, int sizeInBytes) override;

    bool isBusesLayoutSupported (const BusesLayout& layouts) const override;

    static juce::AudioProcessorValueTreeState::ParameterLayout createParameterLayout();

    // Tempo of the echo. The editor calls these on the message thread.
    // Both tell the host when the stored tempo changes.
    void setManualBpm (float bpm);
    void tapTempo();
    // Tells the host that the saved state changed outside the parameters (the
    // tempo settings), so that it offers to save the project. Message thread.
    void notifyTempoStateChanged();
    double getEffectiveBpm() const;
    static float getEchoDelayMs (int division, double bpm);

    // The clock tapTempo reads, in milliseconds; tests replace it to tap at
    // exact intervals.
    using MillisecondClock = double (*)();
    void setTapClock (MillisecondClock clock) noexcept { tapClock = clock; }

    juce::AudioProcessorValueTreeState apvts;
    std::atomic<float> manualBpm { 120.0f };
    std::atomic<bool> hostSyncEnabled { true };
    std::atomic<float> inputLevelDb { -100.0f };
    std::atomic<float> outputLevelDb { -100.0f };

private:
    using Filter = juce::dsp::ProcessorDuplicator<juce::dsp::IIR::Filter<float>, juce::dsp::IIR::Coefficients<float>>;
    using InterpolatedDelay = juce::dsp::DelayLine<float, juce::dsp::DelayLineInterpolationTypes::Linear>;

    struct BlockPeaks
    {
        float input = 0.0f;
        float output = 0.0f;
    };

    // The chain for one block that fits the prepared size, in its fixed order.
    BlockPeaks processChain (juce::AudioBuffer<float>& buffer);

    float readParameter (const juce::String& id) const noexcept;
    bool readSwitch (const juce::String& id) const noexcept;
    int readChoice (const juce::String& id) const noexcept;
    // Reads a send's switch, then its percent amount: the amount as a fraction
    // when the send runs (switch on, fraction above 0.0001), otherwise 0.
    float readSendAmount (const juce::String& enabledId, const juce::String& amountId) const noexcept;

    void copyMonoInputToBothChannels (juce::AudioBuffer<float>& buffer) const noexcept;
    void ensureScratchBuffersFit (int numChannels, int numSamples);
    void applyInputTrim (juce::dsp::AudioBlock<float>& block);
    void processNoiseGate (juce::AudioBuffer<float>& buffer);
    void processDrive (juce::dsp::AudioBlock<float>& block);
    void processTone (juce::dsp::AudioBlock<float>& block);
    void processCabinet (juce::dsp::AudioBlock<float>& block);
    void copyPostCabinet (const juce::AudioBuffer<float>& buffer);
    void processSpaceSend (juce::AudioBuffer<float>& buffer);
    void processModulationSend (juce::AudioBuffer<float>& buffer);
    void processEchoSend (juce::AudioBuffer<float>& buffer);
    void applyBlend (juce::AudioBuffer<float>& buffer);
    void applyOutputTrim (juce::dsp::AudioBlock<float>& block);
    // A block that holds anything but finite numbers leaves as silence, and
    // every recursive state (trims, gate, oversampler, filters, effects, delay
    // lines) starts again from zero, as after prepareToPlay.
    void silenceAndClearStateIfNotFinite (juce::AudioBuffer<float>& buffer) noexcept;

    // Every recursive state back to zero (trims at their targets), as
    // prepareToPlay leaves it; allocates nothing.
    void clearDspState() noexcept;
    void clearGateState() noexcept;
    std::array<Filter*, 8> allFilters() noexcept;

    // Stores a tempo and tells the host when that changes what is stored.
    void storeManualBpm (float bpm);

    // Copies sendBuffer into workBuffer and returns a block over its n samples.
    juce::dsp::AudioBlock<float> copySendIntoWork (int numChannels, int numSamples);

    double currentSampleRate = 44100.0;
    double lastTapTimeMs = 0.0;

    juce::dsp::Gain<float> inputGain;
    juce::dsp::Gain<float> outputGain;

    float gateEnvelope[2] = { 0.0f, 0.0f };
    float gateGain[2] = { 0.0f, 0.0f };
    int gateHoldCounter[2] = { 0, 0 };
    bool gateOpen[2] = { false, false };

    juce::dsp::Oversampling<float> oversampler { 2, 2, juce::dsp::Oversampling<float>::filterHalfBandPolyphaseIIR, true,
                                                 true };
    juce::dsp::WaveShaper<float, float (*) (float)> waveshaper { nullptr };

    Filter toneLowShelf;
    Filter toneHighShelf;
    Filter toneMidPeak;
    Filter cabHighPass;
    Filter cabLowPass;
    Filter cabPeak;
    // The cabinet's high-pass and low-pass each run twice (24 dB/octave); the
    // second pass has a state of its own so the result does not depend on
    // where the host's block boundaries fall.
    Filter cabHighPassSecond;
    Filter cabLowPassSecond;

    juce::dsp::Chorus<float> chorus;
    juce::dsp::Phaser<float> phaser;
    juce::dsp::Reverb reverb;

    InterpolatedDelay preDelayLine { 48000 };
    InterpolatedDelay echoLine { 192000 };

    juce::AudioBuffer<float> dryBuffer;
    juce::AudioBuffer<float> sendBuffer;
    juce::AudioBuffer<float> workBuffer;

    BypassDelay bypassDelay;

    // The maximum block size of the last prepareToPlay (0 before the first):
    // longer host blocks are processed in slices of at most this size.
    int preparedBlockSize = 0;
    MillisecondClock tapClock = &juce::Time::getMillisecondCounterHiRes;

    // Lets the processor tests read storage sizes that no output reveals.
    friend struct VaskelQuorlinProcessorTestAccess;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VaskelQuorlinProcessor)
};
