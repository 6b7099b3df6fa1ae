#include "editor/VaskelQuorlinEditor.h"

// Integer layout in logical pixels, recomputed from scratch on every resize.
// It takes any size down to 0 x 0: strips shrink to nothing, while the
// fixed-size LEDs and knobs and the 100-pixel tempo and output columns keep
// their sizes.
void VaskelQuorlinEditor::resized()
{
    auto area = getLocalBounds().reduced (22, 18);

    headerArea = area.removeFromTop (54);
    area.removeFromTop (10);
    area.removeFromBottom (8); // with the outer margin, leaves the footer band

    // Header, from the right: bypass lamp, arc meter, gap, title.
    {
        auto header = headerArea.reduced (10, 8);
        bypassButton.setBounds (header.removeFromRight (110));
        vuMeter.setBounds (header.removeFromRight (96).reduced (2));
        header.removeFromRight (10);
        titleArea = header;
    }

    inputColumn = area.removeFromLeft (100);
    area.removeFromLeft (8);

    // These two stay 100 wide however narrow the window gets, so they are
    // formed from the right edge rather than taken as strips.
    const auto columnAtRightEdge = [] (juce::Rectangle<int> r)
    { return juce::Rectangle<int> (r.getRight() - 100, r.getY(), 100, r.getHeight()); };

    outputColumn = columnAtRightEdge (area);
    area.removeFromRight (108);
    tempoColumn = columnAtRightEdge (area);
    area.removeFromRight (108);
    moduleArea = area;

    {
        auto inner = inputColumn.reduced (8);
        inputCaption.setBounds (inner.removeFromBottom (20));
        inputMeter.setBounds (inner.removeFromLeft (16));
        inputFader.setBounds (inner);
    }

    // The four column procedures. Each takes the caption from the bottom
    // first, then its rows from the top; the fader gets what is left.
    const auto ledRow = [] (juce::Rectangle<int>& inner, VaskelLedButton& led)
    { led.setBounds (inner.removeFromTop (22).withSizeKeepingCentre (18, 18)); };

    const auto layoutModuleColumn = [&ledRow] (juce::Rectangle<int> column, juce::Label& caption, VaskelLedButton& led,
                                               juce::Slider& knob, juce::Label& miniCaption,
                                               VaskelLedStackSelector& selector, juce::Slider& fader)
    {
        auto inner = column.reduced (4);
        caption.setBounds (inner.removeFromBottom (20));
        ledRow (inner, led);
        knob.setBounds (inner.removeFromTop (52).withSizeKeepingCentre (46, 46));
        miniCaption.setBounds (inner.removeFromTop (14));
        selector.setBounds (inner.removeFromTop (48));
        fader.setBounds (inner);
    };

    const auto layoutDriveColumn = [&ledRow] (juce::Rectangle<int> column, juce::Label& caption, VaskelLedButton& led,
                                              VaskelLedStackSelector& selector, juce::Slider& fader)
    {
        auto inner = column.reduced (4);
        caption.setBounds (inner.removeFromBottom (20));
        ledRow (inner, led);
        selector.setBounds (inner.removeFromTop (48));
        fader.setBounds (inner);
    };

    const auto layoutCabColumn = [&ledRow] (juce::Rectangle<int> column, juce::Label& caption, VaskelLedButton& led,
                                            VaskelLedStackSelector& selector)
    {
        auto inner = column.reduced (4);
        caption.setBounds (inner.removeFromBottom (20));
        ledRow (inner, led);
        inner.removeFromTop (8);
        selector.setBounds (inner.removeFromTop (48));
    };

    const auto layoutGateColumn =
        [] (juce::Rectangle<int> column, juce::Label& caption, VaskelLedStackSelector& selector, juce::Slider& fader)
    {
        auto inner = column.reduced (4);
        caption.setBounds (inner.removeFromBottom (20));
        selector.setBounds (inner.removeFromTop (48));
        fader.setBounds (inner);
    };

    {
        auto modules = moduleArea.reduced (8);
        const auto columnWidth = modules.getWidth() / 7;

        layoutGateColumn (modules.removeFromLeft (columnWidth), gateCaption, gateSelector, gateFader);
        layoutDriveColumn (modules.removeFromLeft (columnWidth), driveCaption, driveLed, driveSelector, driveFader);

        toneColumn = modules.removeFromLeft (columnWidth);
        layoutModuleColumn (toneColumn, toneCaption, toneLed, midFreqKnob, midFreqCaption, toneSelector, toneFader);

        layoutCabColumn (modules.removeFromLeft (columnWidth), cabCaption, cabLed, cabSelector);

        modColumn = modules.removeFromLeft (columnWidth);
        layoutModuleColumn (modColumn, modCaption, modLed, modRateKnob, modRateCaption, modSelector, modFader);

        spaceColumn = modules.removeFromLeft (columnWidth);
        layoutModuleColumn (spaceColumn, spaceCaption, spaceLed, preDelayKnob, preDelayCaption, spaceSelector,
                            spaceFader);

        // Echo takes the remainder of the division by seven.
        echoColumn = modules;
        layoutModuleColumn (echoColumn, echoCaption, echoLed, feedbackKnob, feedbackCaption, echoSelector, echoFader);
    }

    {
        auto inner = tempoColumn.reduced (8);
        tapButton.setBounds (inner.removeFromTop (24));
        bpmLabel.setBounds (inner.removeFromTop (16));
        syncButton.setBounds (inner.removeFromTop (18));
        blendCaption.setBounds (inner.removeFromBottom (20));
        blendFader.setBounds (inner);
    }

    {
        auto inner = outputColumn.reduced (8);
        outputCaption.setBounds (inner.removeFromBottom (20));
        outputMeter.setBounds (inner.removeFromLeft (16));
        outputFader.setBounds (inner);
    }
}
