#include "processor/VaskelQuorlinProcessor.h"

#include "common/ParamIds.h"
#include "support/ParameterHelpers.h"

#include <gtest/gtest.h>

namespace
{
enum class Kind
{
    floating,
    choice,
    toggle
};

struct Expected
{
    const char* id;
    Kind kind;
    const char* name;
    float start, end, interval, skew; // Float parameters only
    float defaultValue;               // plain: a Choice's index, a Switch's 0 or 1
    const char* label;
    juce::StringArray choices;
    const char* defaultText;
};

// The whole control surface, in the order the host lists it.
const std::vector<Expected>& expectedParameters()
{
    static const std::vector<Expected> table {
        { "inputTrim", Kind::floating, "Input", -24.0f, 24.0f, 0.1f, 1.0f, 0.0f, "dB", {}, "0.0" },
        { "gateAmount", Kind::floating, "Gate", 0.0f, 100.0f, 0.1f, 1.0f, 0.0f, "%", {}, "0.0" },
        { "gateMode", Kind::choice, "Gate Character", 0, 0, 0, 0, 0.0f, "", { "Fast", "Med", "Slow" }, "Fast" },
        { "driveAmount", Kind::floating, "Drive", 0.0f, 100.0f, 0.1f, 1.0f, 0.0f, "%", {}, "0.0" },
        { "driveMode", Kind::choice, "Drive Character", 0, 0, 0, 0, 0.0f, "", { "Tube", "Fuzz", "Boost" }, "Tube" },
        { "driveEnabled", Kind::toggle, "Drive Enabled", 0, 0, 0, 0, 1.0f, "", {}, "On" },
        { "toneTilt", Kind::floating, "Tone", -12.0f, 12.0f, 0.1f, 1.0f, 0.0f, "dB", {}, "0.0" },
        { "toneMode", Kind::choice, "Tone Character", 0, 0, 0, 0, 1.0f, "", { "Scoop", "Flat", "Bright" }, "Flat" },
        { "toneMidFreq", Kind::floating, "Mid Sweep", 300.0f, 3000.0f, 1.0f, 0.4f, 800.0f, "Hz", {}, "800" },
        { "toneEnabled", Kind::toggle, "Tone Enabled", 0, 0, 0, 0, 1.0f, "", {}, "On" },
        { "cabMode", Kind::choice, "Cab Character", 0, 0, 0, 0, 0.0f, "", { "Combo", "Stack", "DI" }, "Combo" },
        { "cabEnabled", Kind::toggle, "Cab Enabled", 0, 0, 0, 0, 0.0f, "", {}, "Off" },
        { "modAmount", Kind::floating, "Modulation", 0.0f, 100.0f, 0.1f, 1.0f, 0.0f, "%", {}, "0.0" },
        { "modMode",
          Kind::choice,
          "Modulation Character",
          0,
          0,
          0,
          0,
          0.0f,
          "",
          { "Chorus", "Flanger", "Phaser" },
          "Chorus" },
        { "modRate", Kind::floating, "Mod Rate", 0.1f, 5.0f, 0.01f, 0.5f, 0.8f, "Hz", {}, "0.80" },
        { "modEnabled", Kind::toggle, "Mod Enabled", 0, 0, 0, 0, 1.0f, "", {}, "On" },
        { "spaceAmount", Kind::floating, "Space", 0.0f, 100.0f, 0.1f, 1.0f, 0.0f, "%", {}, "0.0" },
        { "spaceMode", Kind::choice, "Space Character", 0, 0, 0, 0, 0.0f, "", { "Room", "Plate", "Hall" }, "Room" },
        { "spacePreDelay", Kind::floating, "Space Pre-Delay", 0.0f, 500.0f, 0.1f, 1.0f, 0.0f, "ms", {}, "0.0" },
        { "spaceEnabled", Kind::toggle, "Space Enabled", 0, 0, 0, 0, 1.0f, "", {}, "On" },
        { "echoAmount", Kind::floating, "Echo", 0.0f, 100.0f, 0.1f, 1.0f, 0.0f, "%", {}, "0.0" },
        { "echoDivision", Kind::choice, "Echo Division", 0, 0, 0, 0, 0.0f, "", { "Slap", "8th", "Quarter" }, "Slap" },
        { "echoFeedback", Kind::floating, "Echo Feedback", 0.0f, 100.0f, 0.1f, 1.0f, 35.0f, "%", {}, "35.0" },
        { "echoEnabled", Kind::toggle, "Echo Enabled", 0, 0, 0, 0, 1.0f, "", {}, "On" },
        { "blend", Kind::floating, "Blend", 0.0f, 100.0f, 0.1f, 1.0f, 100.0f, "%", {}, "100.0" },
        { "outputTrim", Kind::floating, "Output", -60.0f, 24.0f, 0.1f, 1.0f, 0.0f, "dB", {}, "0.0" },
        { "bypass", Kind::toggle, "Bypass", 0, 0, 0, 0, 0.0f, "", {}, "Off" },
    };
    return table;
}

juce::RangedAudioParameter& parameterAt (VaskelQuorlinProcessor& processor, int index)
{
    return *dynamic_cast<juce::RangedAudioParameter*> (processor.getParameters()[index]);
}
} // namespace

TEST (ParameterSet, HoldsTheParametersInHostOrder)
{
    VaskelQuorlinProcessor processor;
    const auto& expected = expectedParameters();
    ASSERT_EQ (processor.getParameters().size(), (int) expected.size());

    for (int i = 0; i < (int) expected.size(); ++i)
    {
        const auto& e = expected[(size_t) i];
        auto* parameter = dynamic_cast<juce::RangedAudioParameter*> (processor.getParameters()[i]);
        ASSERT_NE (parameter, nullptr) << i;
        SCOPED_TRACE (e.id);

        EXPECT_EQ (parameter->getParameterID(), e.id);
        EXPECT_EQ (parameter->getVersionHint(), 1);
        EXPECT_EQ (parameter->getName (100), e.name);
        EXPECT_EQ (parameter->getLabel(), e.label);
        EXPECT_EQ (parameter->getParameterIndex(), i);
        EXPECT_TRUE (parameter->isAutomatable());
        EXPECT_FALSE (parameter->isMetaParameter());
        EXPECT_FALSE (parameter->isOrientationInverted());
        EXPECT_EQ (parameter->getCategory(), juce::AudioProcessorParameter::genericParameter);
        EXPECT_EQ (processor.apvts.getParameter (e.id), parameter);

        switch (e.kind)
        {
            case Kind::floating:
            {
                ASSERT_NE (dynamic_cast<juce::AudioParameterFloat*> (parameter), nullptr);
                const auto& range = parameter->getNormalisableRange();
                EXPECT_EQ (range.start, e.start);
                EXPECT_EQ (range.end, e.end);
                EXPECT_EQ (range.interval, e.interval);
                EXPECT_EQ (range.skew, e.skew);
                EXPECT_FALSE (range.symmetricSkew);
                break;
            }
            case Kind::choice:
            {
                auto* choice = dynamic_cast<juce::AudioParameterChoice*> (parameter);
                ASSERT_NE (choice, nullptr);
                EXPECT_EQ (choice->choices, e.choices);
                break;
            }
            case Kind::toggle: EXPECT_NE (dynamic_cast<juce::AudioParameterBool*> (parameter), nullptr); break;
        }
    }

    // One flat list: no groups.
    EXPECT_TRUE (processor.getParameterTree().getSubgroups (false).isEmpty());
}

TEST (ParameterSet, TheIdentifierConstantsHoldTheirOwnNames)
{
    const std::pair<const juce::String*, const char*> constants[] = {
        { &ParamIds::inputTrim, "inputTrim" },
        { &ParamIds::gateAmount, "gateAmount" },
        { &ParamIds::gateMode, "gateMode" },
        { &ParamIds::driveAmount, "driveAmount" },
        { &ParamIds::driveMode, "driveMode" },
        { &ParamIds::driveEnabled, "driveEnabled" },
        { &ParamIds::toneTilt, "toneTilt" },
        { &ParamIds::toneMode, "toneMode" },
        { &ParamIds::toneMidFreq, "toneMidFreq" },
        { &ParamIds::toneEnabled, "toneEnabled" },
        { &ParamIds::cabEnabled, "cabEnabled" },
        { &ParamIds::cabMode, "cabMode" },
        { &ParamIds::modAmount, "modAmount" },
        { &ParamIds::modMode, "modMode" },
        { &ParamIds::modRate, "modRate" },
        { &ParamIds::modEnabled, "modEnabled" },
        { &ParamIds::spaceAmount, "spaceAmount" },
        { &ParamIds::spaceMode, "spaceMode" },
        { &ParamIds::spacePreDelay, "spacePreDelay" },
        { &ParamIds::spaceEnabled, "spaceEnabled" },
        { &ParamIds::echoAmount, "echoAmount" },
        { &ParamIds::echoDivision, "echoDivision" },
        { &ParamIds::echoFeedback, "echoFeedback" },
        { &ParamIds::echoEnabled, "echoEnabled" },
        { &ParamIds::blend, "blend" },
        { &ParamIds::outputTrim, "outputTrim" },
        { &ParamIds::bypass, "bypass" },
    };

    for (const auto& [constant, text] : constants)
        EXPECT_EQ (*constant, text);
}

TEST (ParameterSet, StartsAtTheDefaults)
{
    VaskelQuorlinProcessor processor;

    for (int i = 0; i < (int) expectedParameters().size(); ++i)
    {
        const auto& e = expectedParameters()[(size_t) i];
        auto& parameter = parameterAt (processor, i);
        SCOPED_TRACE (e.id);

        EXPECT_FLOAT_EQ (plainValue (processor.apvts, e.id), e.defaultValue);
        EXPECT_FLOAT_EQ (parameter.getDefaultValue(), parameter.convertTo0to1 (e.defaultValue));
        EXPECT_FLOAT_EQ (parameter.getValue(), parameter.getDefaultValue());
        EXPECT_EQ (parameter.getCurrentValueAsText(), e.defaultText);
    }
}

TEST (ParameterSet, NormalisedPositionsFollowRangeAndSkew)
{
    VaskelQuorlinProcessor processor;
    auto normalisedDefault = [&] (const juce::String& id)
    { return processor.apvts.getParameter (id)->getDefaultValue(); };
    auto rangeOf = [&] (const juce::String& id) { return processor.apvts.getParameter (id)->getNormalisableRange(); };

    EXPECT_FLOAT_EQ (normalisedDefault (ParamIds::inputTrim), 0.5f);
    EXPECT_FLOAT_EQ (normalisedDefault (ParamIds::toneTilt), 0.5f);
    EXPECT_NEAR (normalisedDefault (ParamIds::outputTrim), 60.0f / 84.0f, 1e-6f);
    EXPECT_NEAR (normalisedDefault (ParamIds::outputTrim), 0.714f, 1e-3f);
    EXPECT_FLOAT_EQ (normalisedDefault (ParamIds::echoFeedback), 0.35f);
    EXPECT_FLOAT_EQ (normalisedDefault (ParamIds::blend), 1.0f);
    EXPECT_FLOAT_EQ (normalisedDefault (ParamIds::toneMode), 0.5f);
    EXPECT_NEAR (normalisedDefault (ParamIds::toneMidFreq), 0.5094f, 1e-4f);
    EXPECT_NEAR (normalisedDefault (ParamIds::modRate), 0.378f, 1e-3f);

    EXPECT_NEAR (rangeOf (ParamIds::toneMidFreq).convertFrom0to1 (0.5f), 777.3f, 0.05f);
    EXPECT_NEAR (rangeOf (ParamIds::modRate).convertFrom0to1 (0.5f), 1.325f, 1e-4f);

    // Set through the parameter, the value lands on the interval grid.
    processor.apvts.getParameter (ParamIds::toneMidFreq)->setValueNotifyingHost (0.5f);
    EXPECT_FLOAT_EQ (plainValue (processor.apvts, ParamIds::toneMidFreq), 777.0f);
    processor.apvts.getParameter (ParamIds::modRate)->setValueNotifyingHost (0.5f);
    EXPECT_NEAR (plainValue (processor.apvts, ParamIds::modRate), 1.325f, 0.0051f);
}

TEST (ParameterSet, ChoiceEntryIHasNormalisedValueIOverTwo)
{
    VaskelQuorlinProcessor processor;

    for (const auto& e : expectedParameters())
    {
        if (e.kind != Kind::choice)
            continue;

        auto* parameter = processor.apvts.getParameter (e.id);

        for (int index = 0; index < 3; ++index)
        {
            parameter->setValueNotifyingHost ((float) index / 2.0f);
            EXPECT_EQ (plainValue (processor.apvts, e.id), (float) index) << e.id;
            EXPECT_EQ (parameter->getCurrentValueAsText(), e.choices[index]) << e.id;
            EXPECT_FLOAT_EQ (parameter->convertTo0to1 ((float) index), (float) index / 2.0f) << e.id;
        }
    }
}

TEST (ParameterSet, ValueTextsShowTheIntervalsDecimalsWithoutTheLabel)
{
    VaskelQuorlinProcessor processor;

    struct Case
    {
        const juce::String& id;
        float plain;
        const char* text;
    };

    const Case cases[] = {
        { ParamIds::inputTrim, -12.3f, "-12.3" },
        { ParamIds::outputTrim, -60.0f, "-60.0" },
        { ParamIds::outputTrim, 24.0f, "24.0" },
        { ParamIds::gateAmount, 42.5f, "42.5" },
        { ParamIds::spacePreDelay, 500.0f, "500.0" },
        { ParamIds::toneMidFreq, 1234.0f, "1234" },
        { ParamIds::toneMidFreq, 3000.0f, "3000" },
        { ParamIds::modRate, 2.5f, "2.50" },
        { ParamIds::modRate, 0.1f, "0.10" },
        { ParamIds::driveEnabled, 0.0f, "Off" },
        { ParamIds::bypass, 1.0f, "On" },
        { ParamIds::echoDivision, 2.0f, "Quarter" },
    };

    for (const auto& c : cases)
    {
        auto* parameter = processor.apvts.getParameter (c.id);
        EXPECT_EQ (parameter->getText (parameter->convertTo0to1 (c.plain), 100), c.text) << c.id;
    }

    // Typed text reads back as a number.
    auto* input = processor.apvts.getParameter (ParamIds::inputTrim);
    EXPECT_NEAR (input->convertFrom0to1 (input->getValueForText ("12.5")), 12.5f, 1e-4f);
    auto* midSweep = processor.apvts.getParameter (ParamIds::toneMidFreq);
    EXPECT_NEAR (midSweep->convertFrom0to1 (midSweep->getValueForText ("1500")), 1500.0f, 1e-2f);
}

TEST (ParameterSet, EachProcessorOwnsItsOwnParameters)
{
    VaskelQuorlinProcessor first, second;
    setPlainValue (first.apvts, ParamIds::driveAmount, 80.0f);

    EXPECT_FLOAT_EQ (plainValue (first.apvts, ParamIds::driveAmount), 80.0f);
    EXPECT_FLOAT_EQ (plainValue (second.apvts, ParamIds::driveAmount), 0.0f);
    EXPECT_EQ (first.apvts.state.getType().toString(), "PARAMETERS");
    EXPECT_EQ (first.apvts.undoManager, nullptr);
}
