#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

#include "editor/LayerCache.h"
#include "editor/LedWidgets.h"
#include "editor/MeterWidgets.h"
#include "editor/PendingRepaintFlusher.h"
#include "editor/VaskelLookAndFeel.h"

#include <memory>

class VaskelQuorlinProcessor;

// The plug-in's window: a rack unit with an input column, seven stage columns,
// a tempo column and an output column under a header with the meter and the
// bypass lamp. Everything runs on the message thread.
class VaskelQuorlinEditor : public juce::AudioProcessorEditor, public juce::Timer
{
public:
    explicit VaskelQuorlinEditor (VaskelQuorlinProcessor&);
    ~VaskelQuorlinEditor() override;

    void paint (juce::Graphics&) override;
    void resized() override;

    void timerCallback() override;

private:
    using SliderAttachment = juce::AudioProcessorValueTreeState::SliderAttachment;
    using ButtonAttachment = juce::AudioProcessorValueTreeState::ButtonAttachment;

    void setupFader (juce::Slider& fader, juce::Label& caption, const juce::String& name);
    void setupMiniKnob (juce::Slider& knob);
    void setupSelector (VaskelLedStackSelector& selector, const juce::StringArray& choiceTexts,
                        const juce::String& parameterId);

    // The chassis, rails, screws, panels, images and footer: all that paint shows.
    void paintBackground (juce::Graphics&) const;
    // Repaints the bypass lamp when the colour it would be drawn in has changed.
    void updateBypassLamp();

    VaskelQuorlinProcessor& processorRef;

    // Declared before every control so that it outlives all of them.
    VaskelLookAndFeel look;

    juce::Image wordmarkImage, emblemImage;

    // paintBackground's picture.
    LayerCache background;

    // Written by resized, read by paint.
    juce::Rectangle<int> headerArea, inputColumn, moduleArea, tempoColumn, outputColumn, toneColumn, modColumn,
        spaceColumn, echoColumn, titleArea;

    juce::Slider inputFader, gateFader, driveFader, toneFader, modFader, spaceFader, echoFader, blendFader, outputFader;
    juce::Label inputCaption, gateCaption, driveCaption, toneCaption, cabCaption, modCaption, spaceCaption, echoCaption,
        blendCaption, outputCaption;

    juce::Slider midFreqKnob, modRateKnob, preDelayKnob, feedbackKnob;
    juce::Label midFreqCaption, modRateCaption, preDelayCaption, feedbackCaption;

    VaskelLedButton driveLed, toneLed, modLed, spaceLed, echoLed, cabLed;

    VaskelLedStackSelector gateSelector, driveSelector, toneSelector, cabSelector, modSelector, spaceSelector,
        echoSelector;

    juce::ToggleButton bypassButton;
    juce::TextButton tapButton { "TAP" };
    juce::Label bpmLabel;
    juce::ToggleButton syncButton { "SYNC" };

    VaskelLadderMeter inputMeter, outputMeter;
    VaskelVuArc vuMeter;

    // What the bypass lamp was last repainted for.
    juce::Colour bypassLampColour;

    // Shows the controls' tooltips, inside the editor (a plug-in has no
    // desktop window of its own to show them in).
    juce::TooltipWindow tooltipWindow { this };

    // Declared after every control, so each one unbinds its control while the
    // control still exists.
    std::unique_ptr<SliderAttachment> inputTrimAttachment, gateAmountAttachment, driveAmountAttachment,
        toneTiltAttachment, modAmountAttachment, spaceAmountAttachment, echoAmountAttachment, blendAttachment,
        outputTrimAttachment, toneMidFreqAttachment, modRateAttachment, spacePreDelayAttachment, echoFeedbackAttachment;
    std::unique_ptr<ButtonAttachment> bypassAttachment, driveEnabledAttachment, toneEnabledAttachment,
        modEnabledAttachment, spaceEnabledAttachment, echoEnabledAttachment, cabEnabledAttachment;

#if JUCE_WINDOWS
    // Paints each tick's changes itself while the display reports no vertical blanks.
    PendingRepaintFlusher repaintFlusher { *this };
#endif

    // Lets the editor tests read the layout rectangles and reach the controls.
    friend struct VaskelQuorlinEditorTestAccess;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR (VaskelQuorlinEditor)
};
