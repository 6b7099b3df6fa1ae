#pragma once

#include <juce_core/juce_core.h>

// The parameter identifiers. They persist: the parameter tree finds each
// parameter by its text, the saved state keys each value by it and the VST3
// client hashes it into the host-facing parameter ID. Never rename one.
namespace ParamIds
{
static const juce::String inputTrim { "inputTrim" };
static const juce::String gateAmount { "gateAmount" };
static const juce::String gateMode { "gateMode" };
static const juce::String driveAmount { "driveAmount" };
static const juce::String driveMode { "driveMode" };
static const juce::String driveEnabled { "driveEnabled" };
static const juce::String toneTilt { "toneTilt" };
static const juce::String toneMode { "toneMode" };
static const juce::String toneMidFreq { "toneMidFreq" };
static const juce::String toneEnabled { "toneEnabled" };
static const juce::String cabEnabled { "cabEnabled" };
static const juce::String cabMode { "cabMode" };
static const juce::String modAmount { "modAmount" };
static const juce::String modMode { "modMode" };
static const juce::String modRate { "modRate" };
static const juce::String modEnabled { "modEnabled" };
static const juce::String spaceAmount { "spaceAmount" };
static const juce::String spaceMode { "spaceMode" };
static const juce::String spacePreDelay { "spacePreDelay" };
static const juce::String spaceEnabled { "spaceEnabled" };
static const juce::String echoAmount { "echoAmount" };
static const juce::String echoDivision { "echoDivision" };
static const juce::String echoFeedback { "echoFeedback" };
static const juce::String echoEnabled { "echoEnabled" };
static const juce::String blend { "blend" };
static const juce::String outputTrim { "outputTrim" };
static const juce::String bypass { "bypass" };
} // namespace ParamIds
