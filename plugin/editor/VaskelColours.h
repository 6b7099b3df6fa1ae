#pragma once

#include <juce_graphics/juce_graphics.h>

// The editor's palette. The six fixed colours never change; the accent triple
// is one process-wide set of variables that every look constructor overwrites,
// so every editor in the process draws with the accents of the last look made.
// Drawing code reads the accents at the moment it draws and keeps no copy.
namespace VaskelColours
{
extern const juce::Colour background; // window background, text on a lit text button, fader cap groove
extern const juce::Colour panel;      // face of boxes and text-button bodies
extern const juce::Colour text;       // primary text
extern const juce::Colour textDim;    // secondary text, outlines, ticks, unlit lamps
extern const juce::Colour hot;        // active bypass lamp, meter overload zones
extern const juce::Colour track;      // fader track

extern juce::Colour accent;     // main accent: value fills, tinted panels, highlights
extern juce::Colour accentSoft; // lighter partner of gradients, hover states
extern juce::Colour accentGlow; // brightest tone: lit lamps, gradient ends, arrows
} // namespace VaskelColours

// The accent triple handed to a look's constructor.
struct AccentColours
{
    juce::Colour glow;
    juce::Colour accent;
    juce::Colour soft;
};
