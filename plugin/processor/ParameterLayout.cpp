#include "processor/VaskelQuorlinProcessor.h"

#include "common/ParamIds.h"

juce::AudioProcessorValueTreeState::ParameterLayout VaskelQuorlinProcessor::createParameterLayout()
{
    using Float = juce::AudioParameterFloat;
    using Choice = juce::AudioParameterChoice;
    using Switch = juce::AudioParameterBool;
    using Range = juce::NormalisableRange<float>;

    const auto decibels = juce::AudioParameterFloatAttributes().withLabel ("dB");
    const auto percent = juce::AudioParameterFloatAttributes().withLabel ("%");
    const auto hertz = juce::AudioParameterFloatAttributes().withLabel ("Hz");
    const auto milliseconds = juce::AudioParameterFloatAttributes().withLabel ("ms");

    const auto id = [] (const juce::String& name) { return juce::ParameterID { name, 1 }; };

    std::vector<std::unique_ptr<juce::RangedAudioParameter>> params;

    params.push_back (
        std::make_unique<Float> (id (ParamIds::inputTrim), "Input", Range (-24.0f, 24.0f, 0.1f, 1.0f), 0.0f, decibels));
    params.push_back (
        std::make_unique<Float> (id (ParamIds::gateAmount), "Gate", Range (0.0f, 100.0f, 0.1f, 1.0f), 0.0f, percent));
    params.push_back (std::make_unique<Choice> (id (ParamIds::gateMode), "Gate Character",
                                                juce::StringArray { "Fast", "Med", "Slow" }, 0));
    params.push_back (
        std::make_unique<Float> (id (ParamIds::driveAmount), "Drive", Range (0.0f, 100.0f, 0.1f, 1.0f), 0.0f, percent));
    params.push_back (std::make_unique<Choice> (id (ParamIds::driveMode), "Drive Character",
                                                juce::StringArray { "Tube", "Fuzz", "Boost" }, 0));
    params.push_back (std::make_unique<Switch> (id (ParamIds::driveEnabled), "Drive Enabled", true));
    params.push_back (
        std::make_unique<Float> (id (ParamIds::toneTilt), "Tone", Range (-12.0f, 12.0f, 0.1f, 1.0f), 0.0f, decibels));
    params.push_back (std::make_unique<Choice> (id (ParamIds::toneMode), "Tone Character",
                                                juce::StringArray { "Scoop", "Flat", "Bright" }, 1));
    params.push_back (std::make_unique<Float> (id (ParamIds::toneMidFreq), "Mid Sweep",
                                               Range (300.0f, 3000.0f, 1.0f, 0.4f), 800.0f, hertz));
    params.push_back (std::make_unique<Switch> (id (ParamIds::toneEnabled), "Tone Enabled", true));
    params.push_back (std::make_unique<Choice> (id (ParamIds::cabMode), "Cab Character",
                                                juce::StringArray { "Combo", "Stack", "DI" }, 0));
    params.push_back (std::make_unique<Switch> (id (ParamIds::cabEnabled), "Cab Enabled", false));
    params.push_back (std::make_unique<Float> (id (ParamIds::modAmount), "Modulation", Range (0.0f, 100.0f, 0.1f, 1.0f),
                                               0.0f, percent));
    params.push_back (std::make_unique<Choice> (id (ParamIds::modMode), "Modulation Character",
                                                juce::StringArray { "Chorus", "Flanger", "Phaser" }, 0));
    params.push_back (
        std::make_unique<Float> (id (ParamIds::modRate), "Mod Rate", Range (0.1f, 5.0f, 0.01f, 0.5f), 0.8f, hertz));
    params.push_back (std::make_unique<Switch> (id (ParamIds::modEnabled), "Mod Enabled", true));
    params.push_back (
        std::make_unique<Float> (id (ParamIds::spaceAmount), "Space", Range (0.0f, 100.0f, 0.1f, 1.0f), 0.0f, percent));
    params.push_back (std::make_unique<Choice> (id (ParamIds::spaceMode), "Space Character",
                                                juce::StringArray { "Room", "Plate", "Hall" }, 0));
    params.push_back (std::make_unique<Float> (id (ParamIds::spacePreDelay), "Space Pre-Delay",
                                               Range (0.0f, 500.0f, 0.1f, 1.0f), 0.0f, milliseconds));
    params.push_back (std::make_unique<Switch> (id (ParamIds::spaceEnabled), "Space Enabled", true));
    params.push_back (
        std::make_unique<Float> (id (ParamIds::echoAmount), "Echo", Range (0.0f, 100.0f, 0.1f, 1.0f), 0.0f, percent));
    params.push_back (std::make_unique<Choice> (id (ParamIds::echoDivision), "Echo Division",
                                                juce::StringArray { "Slap", "8th", "Quarter" }, 0));
    params.push_back (std::make_unique<Float> (id (ParamIds::echoFeedback), "Echo Feedback",
                                               Range (0.0f, 100.0f, 0.1f, 1.0f), 35.0f, percent));
    params.push_back (std::make_unique<Switch> (id (ParamIds::echoEnabled), "Echo Enabled", true));
    params.push_back (
        std::make_unique<Float> (id (ParamIds::blend), "Blend", Range (0.0f, 100.0f, 0.1f, 1.0f), 100.0f, percent));
    params.push_back (std::make_unique<Float> (id (ParamIds::outputTrim), "Output", Range (-60.0f, 24.0f, 0.1f, 1.0f),
                                               0.0f, decibels));
    params.push_back (std::make_unique<Switch> (id (ParamIds::bypass), "Bypass", false));

    return { params.begin(), params.end() };
}
