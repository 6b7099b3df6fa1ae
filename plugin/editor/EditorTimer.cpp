#include "editor/VaskelQuorlinEditor.h"

#include "common/ParamIds.h"
#include "editor/ControlGeometry.h"
#include "processor/VaskelQuorlinProcessor.h"

#include <cmath>
#include <limits>

namespace
{
// The tempo as the label shows it: the whole beats, truncated. Only a restored
// state could hold a value without a whole part that fits an int.
juce::String formatBpm (float bpm)
{
    constexpr auto intLimit = (float) std::numeric_limits<int>::max();

    if (! std::isfinite (bpm) || bpm >= intLimit || bpm <= -intLimit)
        return "--- BPM";

    return juce::String ((int) bpm) + " BPM";
}
} // namespace

// About thirty times a second: copy the meters, the manual tempo, the sync
// setting and the seven choices into the widgets, each of which repaints only
// when what it shows changes. Faders, knobs and switches follow their
// parameters through their attachments instead.
void VaskelQuorlinEditor::timerCallback()
{
    inputMeter.setLevel (processorRef.inputLevelDb.load());

    outputMeter.setLevel (processorRef.outputLevelDb.load());

    // A load of its own, so the two output meters may show different blocks.
    vuMeter.setLevel (processorRef.outputLevelDb.load());

    // Its off lamp pulses with the clock; this is what animates it.
    updateBypassLamp();

    // Setting the text while the field is open would throw away what is being typed.
    if (! bpmLabel.isBeingEdited())
        bpmLabel.setText (formatBpm (processorRef.manualBpm.load()), juce::dontSendNotification);

    // A restore can change the setting behind the toggle's back.
    syncButton.setToggleState (processorRef.hostSyncEnabled.load(), juce::dontSendNotification);

    const auto follow = [this] (VaskelLedStackSelector& selector, const juce::String& parameterId)
    { selector.setSelectedIndex ((int) processorRef.apvts.getRawParameterValue (parameterId)->load()); };

    follow (gateSelector, ParamIds::gateMode);
    follow (driveSelector, ParamIds::driveMode);
    follow (toneSelector, ParamIds::toneMode);
    follow (cabSelector, ParamIds::cabMode);
    follow (modSelector, ParamIds::modMode);
    follow (spaceSelector, ParamIds::spaceMode);
    follow (echoSelector, ParamIds::echoDivision);

#if JUCE_WINDOWS
    // Where the display reports no vertical blanks, the window would otherwise
    // keep what it showed first: this tick's changes, and every other repaint
    // since the last one, are painted now.
    repaintFlusher.flushIfVBlanksStalled();
#endif
}

void VaskelQuorlinEditor::updateBypassLamp()
{
    const auto colour = look.toggleLampColour (bypassButton.getToggleState());

    if (colour == bypassLampColour)
        return;

    // Only the lamp: the text beside it changes with the state, and a state
    // change repaints the whole button anyway.
    bypassLampColour = colour;
    const auto lamp = ControlGeometry::computeToggleGeometry (bypassButton.getLocalBounds().toFloat()).lamp;
    bypassButton.repaint (lamp.getSmallestIntegerContainer().expanded (1));
}
