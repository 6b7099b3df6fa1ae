#include "EditorTestAccess.h"

#include "common/ParamIds.h"
#include "editor/VaskelColours.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{
struct EditorFixture : ::testing::Test
{
    VaskelQuorlinProcessor processor;
    std::unique_ptr<VaskelQuorlinEditor> editor;

    void openEditor() { editor = std::make_unique<VaskelQuorlinEditor> (processor); }

    VaskelQuorlinEditorTestAccess access() { return VaskelQuorlinEditorTestAccess (*editor); }

    juce::RangedAudioParameter& parameter (const juce::String& id)
    {
        auto* p = processor.apvts.getParameter (id);
        if (p == nullptr)
            throw std::runtime_error (("no parameter " + id).toStdString());
        return *p;
    }

    void setPlain (const juce::String& id, float plainValue)
    {
        auto& p = parameter (id);
        p.setValueNotifyingHost (p.convertTo0to1 (plainValue));
    }
};

// Records gestures and value changes of one parameter.
struct ParameterSpy : juce::AudioProcessorParameter::Listener
{
    explicit ParameterSpy (juce::AudioProcessorParameter& p)
        : parameter (p)
    {
        parameter.addListener (this);
    }
    ~ParameterSpy() override { parameter.removeListener (this); }

    void parameterValueChanged (int, float newValue) override { values.push_back (newValue); }
    void parameterGestureChanged (int, bool) override { ++gestures; }

    juce::AudioProcessorParameter& parameter;
    std::vector<float> values;
    int gestures = 0;
};
} // namespace

TEST_F (EditorFixture, OpensAtItsDefaultSizeResizableWithoutLimitsAndTicking)
{
    openEditor();

    EXPECT_EQ (editor->getWidth(), 1180);
    EXPECT_EQ (editor->getHeight(), 560);
    EXPECT_TRUE (editor->isResizable());
    EXPECT_TRUE (editor->isTimerRunning());
    EXPECT_EQ (editor->getTimerInterval(), 33);

    // The framework's own constrainer, untouched: no minimum, no maximum, no aspect.
    auto* constrainer = editor->getConstrainer();
    ASSERT_NE (constrainer, nullptr);
    const juce::ComponentBoundsConstrainer untouched;
    EXPECT_EQ (constrainer->getMinimumWidth(), untouched.getMinimumWidth());
    EXPECT_EQ (constrainer->getMinimumHeight(), untouched.getMinimumHeight());
    EXPECT_EQ (constrainer->getMaximumWidth(), untouched.getMaximumWidth());
    EXPECT_EQ (constrainer->getMaximumHeight(), untouched.getMaximumHeight());
    EXPECT_EQ (constrainer->getFixedAspectRatio(), 0.0);

    // The corner grip, 18 x 18 at the bottom right.
    juce::ResizableCornerComponent* grip = nullptr;
    for (auto* child : editor->getChildren())
        if (auto* c = dynamic_cast<juce::ResizableCornerComponent*> (child))
            grip = c;
    ASSERT_NE (grip, nullptr);
    EXPECT_EQ (grip->getBounds(), juce::Rectangle<int> (1162, 542, 18, 18));
}

TEST_F (EditorFixture, EveryControlIsAVisibleChildDrawnByTheEditorsLook)
{
    openEditor();
    auto a = access();

    EXPECT_EQ (dynamic_cast<VaskelLookAndFeel*> (&editor->getLookAndFeel()) != nullptr, true);

    for (auto& [name, control] : a.controls())
    {
        SCOPED_TRACE (name);
        EXPECT_EQ (control->getParentComponent(), editor.get());
        EXPECT_TRUE (control->isVisible());
        EXPECT_EQ (&control->getLookAndFeel(), &editor->getLookAndFeel());
    }

    // The accents the editor's look writes.
    EXPECT_EQ (VaskelColours::accentGlow, juce::Colour (0xFFFFC46A));
    EXPECT_EQ (VaskelColours::accent, juce::Colour (0xFFD9862B));
    EXPECT_EQ (VaskelColours::accentSoft, juce::Colour (0xFFE8A65C));
}

TEST_F (EditorFixture, DecodesBothEmbeddedImagesWithAlpha)
{
    openEditor();
    auto a = access();

    ASSERT_TRUE (a.wordmarkImage().isValid());
    ASSERT_TRUE (a.emblemImage().isValid());
    EXPECT_EQ (a.wordmarkImage().getBounds(), juce::Rectangle<int> (0, 0, 895, 232));
    EXPECT_EQ (a.emblemImage().getBounds(), juce::Rectangle<int> (0, 0, 900, 1017));
    EXPECT_TRUE (a.wordmarkImage().hasAlphaChannel());
    EXPECT_TRUE (a.emblemImage().hasAlphaChannel());
}

TEST_F (EditorFixture, CaptionsAndTexts)
{
    openEditor();
    auto a = access();

    const std::pair<const char*, const char*> captions[] = {
        { "inputCaption", "[ INPUT ]" },    { "gateCaption", "[ GATE ]" },     { "driveCaption", "[ DRIVE ]" },
        { "toneCaption", "[ TONE ]" },      { "cabCaption", "[ CAB ]" },       { "modCaption", "[ MOD ]" },
        { "spaceCaption", "[ SPACE ]" },    { "echoCaption", "[ ECHO ]" },     { "blendCaption", "[ BLEND ]" },
        { "outputCaption", "[ OUTPUT ]" },  { "midFreqCaption", "MID FREQ" },  { "modRateCaption", "RATE" },
        { "preDelayCaption", "PRE-DELAY" }, { "feedbackCaption", "FEEDBACK" },
    };

    for (auto& [name, text] : captions)
    {
        SCOPED_TRACE (name);
        auto& label = a.control<juce::Label> (name);
        EXPECT_EQ (label.getText(), text);
        EXPECT_EQ (label.getJustificationType(), juce::Justification (juce::Justification::centred));
        const bool mini = juce::String (name).startsWith ("midFreq") || juce::String (name).startsWith ("modRate") ||
                          juce::String (name).startsWith ("preDelay") || juce::String (name).startsWith ("feedback");
        EXPECT_EQ (label.findColour (juce::Label::textColourId), mini ? VaskelColours::textDim : VaskelColours::text);
    }

    auto& tap = a.control<juce::TextButton> ("tapButton");
    EXPECT_EQ (tap.getName(), "TAP");
    EXPECT_EQ (tap.getButtonText(), "TAP");
    EXPECT_EQ (a.control<juce::ToggleButton> ("syncButton").getButtonText(), "SYNC");
    EXPECT_EQ (a.control<juce::ToggleButton> ("bypassButton").getButtonText(), "");

    EXPECT_EQ (a.control<juce::ToggleButton> ("syncButton").getTooltip(),
               "ON: el tempo del host manda cuando esta disponible (default). OFF: fuerza el BPM manual/TAP aunque "
               "haya host.");
    auto& bpm = a.control<juce::Label> ("bpmLabel");
    EXPECT_EQ (bpm.getTooltip(), "Tempo manual (fallback sin host): doble click para escribirlo, o TAP");
    EXPECT_EQ (bpm.getText(), ""); // until the first tick
    EXPECT_FALSE (bpm.isEditableOnSingleClick());
    EXPECT_TRUE (bpm.isEditableOnDoubleClick());
    EXPECT_FALSE (bpm.doesLossOfFocusDiscardChanges());
    EXPECT_EQ (bpm.findColour (juce::Label::textColourId), VaskelColours::textDim);

    // One tooltip window, inside the editor and hidden until a tip is due;
    // none on the desktop.
    for (int i = 0; i < juce::Desktop::getInstance().getNumComponents(); ++i)
        EXPECT_EQ (dynamic_cast<juce::TooltipWindow*> (juce::Desktop::getInstance().getComponent (i)), nullptr);
    std::vector<juce::TooltipWindow*> tooltipWindows;
    for (auto* child : editor->getChildren())
        if (auto* window = dynamic_cast<juce::TooltipWindow*> (child))
            tooltipWindows.push_back (window);
    ASSERT_EQ (tooltipWindows.size(), 1u);
    auto& tooltips = *tooltipWindows.front();
    EXPECT_FALSE (tooltips.isVisible());

    // Shown, it sits in front of every control, with the text as given.
    tooltips.displayTip (a.control ("syncButton").getScreenBounds().getCentre(), bpm.getTooltip());
    EXPECT_TRUE (tooltips.isVisible());
    EXPECT_EQ (editor->getChildren().getLast(), &tooltips);
    tooltips.hideTip();
}

TEST_F (EditorFixture, FadersHaveEditableValueBoxesAndKnobsNone)
{
    openEditor();
    auto a = access();

    for (auto* name : { "inputFader", "gateFader", "driveFader", "toneFader", "modFader", "spaceFader", "echoFader",
                        "blendFader", "outputFader" })
    {
        SCOPED_TRACE (name);
        auto& fader = a.control<juce::Slider> (name);
        EXPECT_EQ (fader.getSliderStyle(), juce::Slider::LinearVertical);
        EXPECT_EQ (fader.getTextBoxPosition(), juce::Slider::TextBoxBelow);
        EXPECT_TRUE (fader.isTextBoxEditable());
        EXPECT_EQ (fader.getTextBoxWidth(), 56);
        EXPECT_EQ (fader.getTextBoxHeight(), 18);
    }

    for (auto* name : { "midFreqKnob", "modRateKnob", "preDelayKnob", "feedbackKnob" })
    {
        SCOPED_TRACE (name);
        auto& knob = a.control<juce::Slider> (name);
        EXPECT_EQ (knob.getSliderStyle(), juce::Slider::RotaryHorizontalVerticalDrag);
        EXPECT_EQ (knob.getTextBoxPosition(), juce::Slider::NoTextBox);
        EXPECT_FALSE (knob.isTextBoxEditable());
    }
}

namespace
{
struct SelectorCase
{
    const char* selector;
    const juce::String& parameterId;
    juce::StringArray rows;
};

const SelectorCase selectorCases[] = {
    { "gateSelector", ParamIds::gateMode, { "Fast", "Med", "Slow" } },
    { "driveSelector", ParamIds::driveMode, { "Tube", "Fuzz", "Boost" } },
    { "toneSelector", ParamIds::toneMode, { "Scoop", "Flat", "Bright" } },
    { "cabSelector", ParamIds::cabMode, { "Combo", "Stack", "DI" } },
    { "modSelector", ParamIds::modMode, { "Chorus", "Flanger", "Phaser" } },
    { "spaceSelector", ParamIds::spaceMode, { "Room", "Plate", "Hall" } },
    { "echoSelector", ParamIds::echoDivision, { "Slap", "8th", "Quarter" } },
};
} // namespace

TEST_F (EditorFixture, SelectorsShowTheirParametersChoicesAndOpenOnTheCurrentRow)
{
    // Before the editor exists: each selector's parameter at a different row.
    for (size_t i = 0; i < std::size (selectorCases); ++i)
        setPlain (selectorCases[i].parameterId, (float) ((i + 2) % 3));

    openEditor();
    auto a = access();

    for (size_t i = 0; i < std::size (selectorCases); ++i)
    {
        auto& c = selectorCases[i];
        SCOPED_TRACE (c.selector);
        auto& selector = a.control<VaskelLedStackSelector> (c.selector);
        EXPECT_EQ (selector.getChoices(), c.rows);
        EXPECT_EQ (selector.getSelectedIndex(), (int) ((i + 2) % 3));

        // The same texts, in the same order, as the parameter's own choices.
        auto* choice = dynamic_cast<juce::AudioParameterChoice*> (&parameter (c.parameterId));
        ASSERT_NE (choice, nullptr);
        EXPECT_EQ (choice->choices, c.rows);
    }
}

TEST_F (EditorFixture, ASelectorReleaseWritesItsRowWithoutAGesture)
{
    openEditor();
    auto a = access();

    for (auto& c : selectorCases)
    {
        SCOPED_TRACE (c.selector);
        auto& selector = a.control<VaskelLedStackSelector> (c.selector);
        ParameterSpy spy (parameter (c.parameterId));

        // Rows are 16 pixels high; release in the middle of rows 2, 1, 0, then 0 again.
        for (int row : { 2, 1, 0, 0 })
            selector.mouseUp (EditorTesting::mouseEventAt (selector, { 20.0f, (float) (row * 16 + 8) }));

        EXPECT_EQ (spy.values, (std::vector<float> { 1.0f, 0.5f, 0.0f, 0.0f }));
        EXPECT_EQ (spy.gestures, 0);
        EXPECT_EQ (parameter (c.parameterId).getValue(), 0.0f);
        EXPECT_EQ (selector.getSelectedIndex(), 0);
    }
}

TEST_F (EditorFixture, SelectorsFollowTheirParametersAtTheNextTick)
{
    openEditor();
    auto a = access();

    setPlain (ParamIds::driveMode, 2.0f);
    setPlain (ParamIds::echoDivision, 1.0f);
    EXPECT_EQ (a.control<VaskelLedStackSelector> ("driveSelector").getSelectedIndex(), 0);

    editor->timerCallback();

    EXPECT_EQ (a.control<VaskelLedStackSelector> ("driveSelector").getSelectedIndex(), 2);
    EXPECT_EQ (a.control<VaskelLedStackSelector> ("echoSelector").getSelectedIndex(), 1);
    EXPECT_EQ (a.control<VaskelLedStackSelector> ("gateSelector").getSelectedIndex(), 0);
}

namespace
{
struct BindingCase
{
    const char* control;
    const juce::String& parameterId;
    float plainValue; // a value other than the default
};

const BindingCase sliderBindings[] = {
    { "inputFader", ParamIds::inputTrim, -6.5f },      { "gateFader", ParamIds::gateAmount, 40.0f },
    { "driveFader", ParamIds::driveAmount, 62.5f },    { "toneFader", ParamIds::toneTilt, 3.5f },
    { "modFader", ParamIds::modAmount, 20.0f },        { "spaceFader", ParamIds::spaceAmount, 75.0f },
    { "echoFader", ParamIds::echoAmount, 33.3f },      { "blendFader", ParamIds::blend, 50.0f },
    { "outputFader", ParamIds::outputTrim, -12.0f },   { "midFreqKnob", ParamIds::toneMidFreq, 1500.0f },
    { "modRateKnob", ParamIds::modRate, 2.5f },        { "preDelayKnob", ParamIds::spacePreDelay, 120.0f },
    { "feedbackKnob", ParamIds::echoFeedback, 60.0f },
};

const BindingCase buttonBindings[] = {
    { "bypassButton", ParamIds::bypass, 1.0f },   { "driveLed", ParamIds::driveEnabled, 0.0f },
    { "toneLed", ParamIds::toneEnabled, 0.0f },   { "modLed", ParamIds::modEnabled, 0.0f },
    { "spaceLed", ParamIds::spaceEnabled, 0.0f }, { "echoLed", ParamIds::echoEnabled, 0.0f },
    { "cabLed", ParamIds::cabEnabled, 1.0f },
};
} // namespace

TEST_F (EditorFixture, AttachmentsMoveTheControlsWhenParametersChange)
{
    openEditor();
    auto a = access();

    for (auto& c : sliderBindings)
    {
        SCOPED_TRACE (c.control);
        auto& slider = a.control<juce::Slider> (c.control);
        auto& p = parameter (c.parameterId);
        EXPECT_NEAR (slider.getValue(), p.convertFrom0to1 (p.getDefaultValue()), 1.0e-3);
        EXPECT_NEAR (slider.getMinimum(), p.getNormalisableRange().start, 1.0e-6);
        EXPECT_NEAR (slider.getMaximum(), p.getNormalisableRange().end, 1.0e-6);

        setPlain (c.parameterId, c.plainValue);
        EXPECT_NEAR (slider.getValue(), c.plainValue, 1.0e-3);
    }

    for (auto& c : buttonBindings)
    {
        SCOPED_TRACE (c.control);
        auto& button = a.control<juce::Button> (c.control);
        EXPECT_EQ (button.getToggleState(), c.plainValue < 0.5f);

        setPlain (c.parameterId, c.plainValue);
        EXPECT_EQ (button.getToggleState(), c.plainValue > 0.5f);
    }
}

TEST_F (EditorFixture, ControlsWriteTheirParametersWithinAGesture)
{
    openEditor();
    auto a = access();

    {
        ParameterSpy spy (parameter (ParamIds::driveAmount));
        auto& fader = a.control<juce::Slider> ("driveFader");
        fader.setValue (42.0, juce::sendNotificationSync);
        EXPECT_NEAR (processor.apvts.getRawParameterValue (ParamIds::driveAmount)->load(), 42.0f, 1.0e-4f);
    }

    {
        ParameterSpy spy (parameter (ParamIds::echoEnabled));
        EditorTesting::click (a.control ("echoLed"));
        EXPECT_EQ (processor.apvts.getRawParameterValue (ParamIds::echoEnabled)->load(), 0.0f);
        EXPECT_EQ (spy.gestures, 2); // begin and end
    }

    {
        EditorTesting::click (a.control ("bypassButton"));
        EXPECT_EQ (processor.apvts.getRawParameterValue (ParamIds::bypass)->load(), 1.0f);
    }
}

TEST_F (EditorFixture, AStateRestoreMovesTheBoundControlsAndTheSelectorsAndSyncAtTheNextTick)
{
    openEditor();
    auto a = access();

    // A state saved with every control away from its default.
    juce::MemoryBlock saved;
    {
        VaskelQuorlinProcessor other;
        for (auto& c : sliderBindings)
            if (auto* p = other.apvts.getParameter (c.parameterId))
                p->setValueNotifyingHost (p->convertTo0to1 (c.plainValue));
        for (auto& c : buttonBindings)
            if (auto* p = other.apvts.getParameter (c.parameterId))
                p->setValueNotifyingHost (c.plainValue);
        if (auto* p = other.apvts.getParameter (ParamIds::spaceMode))
            p->setValueNotifyingHost (1.0f);
        other.hostSyncEnabled = false;
        other.getStateInformation (saved);
    }

    processor.setStateInformation (saved.getData(), (int) saved.getSize());

    for (auto& c : sliderBindings)
        EXPECT_NEAR (a.control<juce::Slider> (c.control).getValue(), c.plainValue, 1.0e-3) << c.control;
    for (auto& c : buttonBindings)
        EXPECT_EQ (a.control<juce::Button> (c.control).getToggleState(), c.plainValue > 0.5f) << c.control;

    EXPECT_EQ (a.control<VaskelLedStackSelector> ("spaceSelector").getSelectedIndex(), 0);
    auto& sync = a.control<juce::Button> ("syncButton");
    EXPECT_TRUE (sync.getToggleState());
    editor->timerCallback();
    EXPECT_EQ (a.control<VaskelLedStackSelector> ("spaceSelector").getSelectedIndex(), 2);
    EXPECT_FALSE (sync.getToggleState());

    // The first click after the restore turns sync back on.
    EditorTesting::click (sync);
    EXPECT_TRUE (sync.getToggleState());
    EXPECT_TRUE (processor.hostSyncEnabled.load());

    // A new editor reads the processor's setting too.
    processor.hostSyncEnabled = false;
    editor.reset();
    openEditor();
    EXPECT_FALSE (access().control<juce::Button> ("syncButton").getToggleState());
}

namespace
{
// A child that, when the editor drops its look during teardown, records
// whether the editor's timer was still running.
struct TeardownProbe : juce::Component
{
    void lookAndFeelChanged() override
    {
        if (watched != nullptr && dynamic_cast<VaskelLookAndFeel*> (&getLookAndFeel()) == nullptr)
        {
            sawLookDropped = true;
            timerRunningThen = watched->isTimerRunning();
        }
    }

    juce::Timer* watched = nullptr;
    bool sawLookDropped = false;
    bool timerRunningThen = true;
};
} // namespace

TEST_F (EditorFixture, TeardownStopsTheTimerBeforeAnythingElse)
{
    TeardownProbe probe;
    openEditor();
    editor->addChildComponent (probe);
    probe.watched = editor.get();

    // Let a tick fall due so that its message is queued when the editor goes.
    juce::Thread::sleep (80);
    editor.reset();
    EditorTesting::dispatchPendingMessages();

    EXPECT_TRUE (probe.sawLookDropped);
    EXPECT_FALSE (probe.timerRunningThen);
    EXPECT_EQ (probe.getParentComponent(), nullptr);
}

TEST_F (EditorFixture, TheProcessorHandsOutAnEditorForItself)
{
    auto* created = processor.createEditorIfNeeded();
    ASSERT_NE (dynamic_cast<VaskelQuorlinEditor*> (created), nullptr);
    EXPECT_EQ (&created->processor, &processor);
    EXPECT_EQ (processor.getActiveEditor(), created);

    // Deleting through the timer base destroys the whole editor.
    juce::Timer* asTimer = dynamic_cast<VaskelQuorlinEditor*> (created);
    delete asTimer;
    EXPECT_EQ (processor.getActiveEditor(), nullptr);
}
