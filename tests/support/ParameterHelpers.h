#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

// Sets a parameter of a parameter tree to a plain value the way the host or
// the editor does (normalised, notifying the host); the tree's atomic value
// follows at once.
inline void setPlainValue (juce::AudioProcessorValueTreeState& state, const juce::String& id, float plainValue)
{
    auto* parameter = state.getParameter (id);
    jassert (parameter != nullptr);
    parameter->setValueNotifyingHost (parameter->convertTo0to1 (plainValue));
}

inline float plainValue (juce::AudioProcessorValueTreeState& state, const juce::String& id)
{
    return state.getRawParameterValue (id)->load();
}
