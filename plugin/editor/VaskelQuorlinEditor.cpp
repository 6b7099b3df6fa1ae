#include "editor/VaskelQuorlinEditor.h"

#include "common/ParamIds.h"
#include "editor/VaskelColours.h"
#include "processor/VaskelQuorlinProcessor.h"

#include <BinaryData.h>

VaskelQuorlinEditor::VaskelQuorlinEditor (VaskelQuorlinProcessor& p)
    : AudioProcessorEditor (p)
    , processorRef (p)
    , look (AccentColours { juce::Colour (0xFFFFC46A), juce::Colour (0xFFD9862B), juce::Colour (0xFFE8A65C) })
{
    // Every control is drawn by the look through the component hierarchy.
    setLookAndFeel (&look);

    // Decoded afresh by every editor; data that does not decode leaves the image null.
    wordmarkImage = juce::ImageFileFormat::loadFrom (BinaryData::wordmark_png, (size_t) BinaryData::wordmark_pngSize);
    emblemImage = juce::ImageFileFormat::loadFrom (BinaryData::emblem_png, (size_t) BinaryData::emblem_pngSize);

    setupFader (inputFader, inputCaption, "Input");
    setupFader (gateFader, gateCaption, "Gate");
    setupFader (driveFader, driveCaption, "Drive");
    setupFader (toneFader, toneCaption, "Tone");
    setupFader (modFader, modCaption, "Mod");
    setupFader (spaceFader, spaceCaption, "Space");
    setupFader (echoFader, echoCaption, "Echo");
    setupFader (blendFader, blendCaption, "Blend");
    setupFader (outputFader, outputCaption, "Output");

    // The cab stage has a caption but no fader.
    cabCaption.setText ("[ CAB ]", juce::dontSendNotification);
    cabCaption.setJustificationType (juce::Justification::centred);
    cabCaption.setColour (juce::Label::textColourId, VaskelColours::text);
    addAndMakeVisible (cabCaption);

    setupMiniKnob (midFreqKnob);
    setupMiniKnob (modRateKnob);
    setupMiniKnob (preDelayKnob);
    setupMiniKnob (feedbackKnob);

    const auto setupMiniCaption = [this] (juce::Label& caption, const juce::String& text)
    {
        caption.setText (text, juce::dontSendNotification);
        caption.setJustificationType (juce::Justification::centred);
        caption.setColour (juce::Label::textColourId, VaskelColours::textDim);
        addAndMakeVisible (caption);
    };

    setupMiniCaption (midFreqCaption, "MID FREQ");
    setupMiniCaption (modRateCaption, "RATE");
    setupMiniCaption (preDelayCaption, "PRE-DELAY");
    setupMiniCaption (feedbackCaption, "FEEDBACK");

    setupSelector (gateSelector, { "Fast", "Med", "Slow" }, ParamIds::gateMode);
    setupSelector (driveSelector, { "Tube", "Fuzz", "Boost" }, ParamIds::driveMode);
    setupSelector (toneSelector, { "Scoop", "Flat", "Bright" }, ParamIds::toneMode);
    setupSelector (cabSelector, { "Combo", "Stack", "DI" }, ParamIds::cabMode);
    setupSelector (modSelector, { "Chorus", "Flanger", "Phaser" }, ParamIds::modMode);
    setupSelector (spaceSelector, { "Room", "Plate", "Hall" }, ParamIds::spaceMode);
    setupSelector (echoSelector, { "Slap", "8th", "Quarter" }, ParamIds::echoDivision);

    addAndMakeVisible (driveLed);
    addAndMakeVisible (toneLed);
    addAndMakeVisible (modLed);
    addAndMakeVisible (spaceLed);
    addAndMakeVisible (echoLed);
    addAndMakeVisible (cabLed);
    addAndMakeVisible (bypassButton);
    addAndMakeVisible (tapButton);

    // Each release over the button is one tap; the label shows the result at
    // the next tick.
    tapButton.onClick = [this] { processorRef.tapTempo(); };

    // The timer keeps the toggle in step with the processor (a restore can
    // change the setting), so a click always flips what the processor holds.
    syncButton.setTooltip ("ON: el tempo del host manda cuando esta disponible (default). OFF: fuerza el BPM "
                           "manual/TAP aunque haya host.");
    syncButton.setToggleState (processorRef.hostSyncEnabled.load(), juce::dontSendNotification);
    // The toggle has already flipped itself when onClick runs, so this stores
    // the state now shown.
    syncButton.onClick = [this]
    {
        const bool shown = syncButton.getToggleState();

        if (processorRef.hostSyncEnabled.exchange (shown) != shown)
            processorRef.notifyTempoStateChanged();
    };
    addAndMakeVisible (syncButton);

    bpmLabel.setJustificationType (juce::Justification::centred);
    bpmLabel.setColour (juce::Label::textColourId, VaskelColours::textDim);
    bpmLabel.setEditable (false, true, false);
    bpmLabel.setTooltip ("Tempo manual (fallback sin host): doble click para escribirlo, o TAP");
    bpmLabel.onEditorShow = [this]
    {
        // Only what is typed or pasted is filtered; the field opens holding
        // the current text, all of it selected.
        if (auto* editor = bpmLabel.getCurrentTextEditor())
            editor->setInputRestrictions (3, "0123456789");
    };
    bpmLabel.onTextChange = [this]
    {
        // An entry that reads as 0 is ignored; the next tick shows the tempo again.
        const auto typed = (float) bpmLabel.getText().getDoubleValue();

        if (typed > 0.0f)
            processorRef.setManualBpm (typed);
    };
    addAndMakeVisible (bpmLabel);

    addAndMakeVisible (inputMeter);
    addAndMakeVisible (outputMeter);
    addAndMakeVisible (vuMeter);

    auto& state = processorRef.apvts;
    inputTrimAttachment = std::make_unique<SliderAttachment> (state, ParamIds::inputTrim, inputFader);
    gateAmountAttachment = std::make_unique<SliderAttachment> (state, ParamIds::gateAmount, gateFader);
    driveAmountAttachment = std::make_unique<SliderAttachment> (state, ParamIds::driveAmount, driveFader);
    toneTiltAttachment = std::make_unique<SliderAttachment> (state, ParamIds::toneTilt, toneFader);
    modAmountAttachment = std::make_unique<SliderAttachment> (state, ParamIds::modAmount, modFader);
    spaceAmountAttachment = std::make_unique<SliderAttachment> (state, ParamIds::spaceAmount, spaceFader);
    echoAmountAttachment = std::make_unique<SliderAttachment> (state, ParamIds::echoAmount, echoFader);
    blendAttachment = std::make_unique<SliderAttachment> (state, ParamIds::blend, blendFader);
    outputTrimAttachment = std::make_unique<SliderAttachment> (state, ParamIds::outputTrim, outputFader);
    toneMidFreqAttachment = std::make_unique<SliderAttachment> (state, ParamIds::toneMidFreq, midFreqKnob);
    modRateAttachment = std::make_unique<SliderAttachment> (state, ParamIds::modRate, modRateKnob);
    spacePreDelayAttachment = std::make_unique<SliderAttachment> (state, ParamIds::spacePreDelay, preDelayKnob);
    echoFeedbackAttachment = std::make_unique<SliderAttachment> (state, ParamIds::echoFeedback, feedbackKnob);
    bypassAttachment = std::make_unique<ButtonAttachment> (state, ParamIds::bypass, bypassButton);
    driveEnabledAttachment = std::make_unique<ButtonAttachment> (state, ParamIds::driveEnabled, driveLed);
    toneEnabledAttachment = std::make_unique<ButtonAttachment> (state, ParamIds::toneEnabled, toneLed);
    modEnabledAttachment = std::make_unique<ButtonAttachment> (state, ParamIds::modEnabled, modLed);
    spaceEnabledAttachment = std::make_unique<ButtonAttachment> (state, ParamIds::spaceEnabled, spaceLed);
    echoEnabledAttachment = std::make_unique<ButtonAttachment> (state, ParamIds::echoEnabled, echoLed);
    cabEnabledAttachment = std::make_unique<ButtonAttachment> (state, ParamIds::cabEnabled, cabLed);

    // The first size change: resized runs here, with every child in place.
    setSize (1180, 560);

    // No resize limits: only the framework's default constrainer applies.
    setResizable (true, true);

    startTimer (33);
}

VaskelQuorlinEditor::~VaskelQuorlinEditor()
{
    // First, so no tick can run once teardown has begun.
    stopTimer();

    // Detach the look while it and every control still exist; the members
    // then go in reverse order, the attachments before the controls they bind.
    setLookAndFeel (nullptr);
}

void VaskelQuorlinEditor::setupFader (juce::Slider& fader, juce::Label& caption, const juce::String& name)
{
    fader.setSliderStyle (juce::Slider::LinearVertical);
    fader.setTextBoxStyle (juce::Slider::TextBoxBelow, false, 56, 18);
    addAndMakeVisible (fader);

    caption.setText ("[ " + name.toUpperCase() + " ]", juce::dontSendNotification);
    caption.setJustificationType (juce::Justification::centred);
    caption.setColour (juce::Label::textColourId, VaskelColours::text);
    addAndMakeVisible (caption);
}

void VaskelQuorlinEditor::setupMiniKnob (juce::Slider& knob)
{
    knob.setSliderStyle (juce::Slider::RotaryHorizontalVerticalDrag);
    knob.setTextBoxStyle (juce::Slider::NoTextBox, true, 0, 0);
    addAndMakeVisible (knob);
}

void VaskelQuorlinEditor::setupSelector (VaskelLedStackSelector& selector, const juce::StringArray& choiceTexts,
                                         const juce::String& parameterId)
{
    selector.setChoices (choiceTexts);
    selector.setSelectedIndex ((int) processorRef.apvts.getRawParameterValue (parameterId)->load());
    addAndMakeVisible (selector);

    // The stacks have no attachment: a click writes the parameter directly,
    // without a change gesture, and the timer keeps the lit row in step.
    selector.onChange = [this, parameterId, n = choiceTexts.size()] (int index)
    {
        auto* parameter = processorRef.apvts.getParameter (parameterId);

        if (parameter == nullptr)
            return;

        parameter->setValueNotifyingHost ((float) index / (float) juce::jmax (n - 1, 1));
    };
}
