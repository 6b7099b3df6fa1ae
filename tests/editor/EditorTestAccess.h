#pragma once

#include "editor/VaskelQuorlinEditor.h"
#include "processor/VaskelQuorlinProcessor.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <stdexcept>
#include <utility>
#include <vector>

namespace juce
{
// JUCE's own dispatch step (defined in juce_events); the tests use it to run
// posted messages such as a text editor's Return key without a modal loop.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

// Reads the editor's layout rectangles and reaches its controls by member name.
struct VaskelQuorlinEditorTestAccess
{
    explicit VaskelQuorlinEditorTestAccess (VaskelQuorlinEditor& e)
        : editor (e)
    {
    }

    using Named = std::pair<juce::String, juce::Rectangle<int>>;

    std::vector<Named> rectangles() const
    {
        return { { "headerArea", editor.headerArea },     { "inputColumn", editor.inputColumn },
                 { "moduleArea", editor.moduleArea },     { "tempoColumn", editor.tempoColumn },
                 { "outputColumn", editor.outputColumn }, { "toneColumn", editor.toneColumn },
                 { "modColumn", editor.modColumn },       { "spaceColumn", editor.spaceColumn },
                 { "echoColumn", editor.echoColumn },     { "titleArea", editor.titleArea } };
    }

    juce::Rectangle<int> rectangle (const juce::String& name) const
    {
        for (auto& [n, r] : rectangles())
            if (n == name)
                return r;

        ADD_FAILURE() << "no rectangle " << name;
        return {};
    }

    std::vector<std::pair<juce::String, juce::Component*>> controls() const
    {
        auto& e = editor;
        return { { "inputFader", &e.inputFader },
                 { "gateFader", &e.gateFader },
                 { "driveFader", &e.driveFader },
                 { "toneFader", &e.toneFader },
                 { "modFader", &e.modFader },
                 { "spaceFader", &e.spaceFader },
                 { "echoFader", &e.echoFader },
                 { "blendFader", &e.blendFader },
                 { "outputFader", &e.outputFader },
                 { "inputCaption", &e.inputCaption },
                 { "gateCaption", &e.gateCaption },
                 { "driveCaption", &e.driveCaption },
                 { "toneCaption", &e.toneCaption },
                 { "cabCaption", &e.cabCaption },
                 { "modCaption", &e.modCaption },
                 { "spaceCaption", &e.spaceCaption },
                 { "echoCaption", &e.echoCaption },
                 { "blendCaption", &e.blendCaption },
                 { "outputCaption", &e.outputCaption },
                 { "midFreqKnob", &e.midFreqKnob },
                 { "modRateKnob", &e.modRateKnob },
                 { "preDelayKnob", &e.preDelayKnob },
                 { "feedbackKnob", &e.feedbackKnob },
                 { "midFreqCaption", &e.midFreqCaption },
                 { "modRateCaption", &e.modRateCaption },
                 { "preDelayCaption", &e.preDelayCaption },
                 { "feedbackCaption", &e.feedbackCaption },
                 { "driveLed", &e.driveLed },
                 { "toneLed", &e.toneLed },
                 { "modLed", &e.modLed },
                 { "spaceLed", &e.spaceLed },
                 { "echoLed", &e.echoLed },
                 { "cabLed", &e.cabLed },
                 { "gateSelector", &e.gateSelector },
                 { "driveSelector", &e.driveSelector },
                 { "toneSelector", &e.toneSelector },
                 { "cabSelector", &e.cabSelector },
                 { "modSelector", &e.modSelector },
                 { "spaceSelector", &e.spaceSelector },
                 { "echoSelector", &e.echoSelector },
                 { "bypassButton", &e.bypassButton },
                 { "tapButton", &e.tapButton },
                 { "bpmLabel", &e.bpmLabel },
                 { "syncButton", &e.syncButton },
                 { "inputMeter", &e.inputMeter },
                 { "outputMeter", &e.outputMeter },
                 { "vuMeter", &e.vuMeter } };
    }

    template <typename ComponentType = juce::Component>
    ComponentType& control (const juce::String& name) const
    {
        for (auto& [n, c] : controls())
            if (n == name)
                if (auto* typed = dynamic_cast<ComponentType*> (c))
                    return *typed;

        throw std::runtime_error (("no control " + name).toStdString());
    }

    VaskelLookAndFeel& look() const { return editor.look; }

    // The editor keeps a picture of what it paints; a test that swaps an image
    // gets it drawn again.
    juce::Image& wordmarkImage() const
    {
        editor.background.invalidate();
        return editor.wordmarkImage;
    }

    juce::Image& emblemImage() const
    {
        editor.background.invalidate();
        return editor.emblemImage;
    }

    VaskelQuorlinEditor& editor;
};

namespace EditorTesting
{
inline juce::MouseEvent mouseEventAt (juce::Component& target, juce::Point<float> position, int numberOfClicks = 1)
{
    const auto now = juce::Time::getCurrentTime();
    return { juce::Desktop::getInstance().getMainMouseSource(),
             position,
             juce::ModifierKeys (juce::ModifierKeys::leftButtonModifier),
             juce::MouseInputSource::defaultPressure,
             juce::MouseInputSource::defaultOrientation,
             juce::MouseInputSource::defaultRotation,
             juce::MouseInputSource::defaultTiltX,
             juce::MouseInputSource::defaultTiltY,
             &target,
             &target,
             now,
             position,
             now,
             numberOfClicks,
             false };
}

// A press and release in the middle of the component, delivered straight to
// it, as the framework does for a click.
inline void click (juce::Component& target)
{
    const auto centre = target.getLocalBounds().getCentre().toFloat();
    target.mouseDown (mouseEventAt (target, centre));
    target.mouseUp (mouseEventAt (target, centre));
}

// Runs every message already posted to the message thread.
inline void dispatchPendingMessages()
{
    for (int i = 0; i < 1000 && juce::dispatchNextMessageOnSystemQueue (true); ++i)
    {
    }
}
} // namespace EditorTesting
