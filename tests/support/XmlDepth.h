#pragma once

#include <juce_core/juce_core.h>

// The deepest element nesting in a parsed tree (the root counts as 1).
inline int depthOf (const juce::XmlElement& element)
{
    int deepest = 0;

    for (auto* child : element.getChildIterator())
        if (! child->isTextElement())
            deepest = juce::jmax (deepest, depthOf (*child));

    return deepest + 1;
}
