#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

class VaskelQuorlinProcessor;

class VaskelQuorlinEditor : public juce::AudioProcessorEditor
{
public:
    explicit VaskelQuorlinEditor (VaskelQuorlinProcessor&);
    ~VaskelQuorlinEditor() override;

    void paint (juce::Graphics&) override;
    void resized() override;

private:
    VaskelQuorlinProcessor& processorRef;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VaskelQuorlinEditor)
};
