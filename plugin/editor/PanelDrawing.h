#pragma once

#include <juce_graphics/juce_graphics.h>

#include <array>
#include <vector>

// Stateless routines that draw the rack unit: chassis, side rails, corner
// screws, section panels and the round LED. None saves or restores the
// graphics state; drawPanel always leaves white at alpha 0.06 current.
namespace PanelDrawing
{
void drawChassis (juce::Graphics&, juce::Rectangle<float> bounds, float cornerRadius);
void drawSideRails (juce::Graphics&, juce::Rectangle<float> bounds);
void drawRail (juce::Graphics&, juce::Rectangle<float> rail);
void drawScrews (juce::Graphics&, juce::Rectangle<float> bounds, float inset);
void drawPanel (juce::Graphics&, juce::Rectangle<float> area, bool accented, float cornerRadius);
void drawLed (juce::Graphics&, juce::Rectangle<float> area, juce::Colour colour);

// Geometry the routines above draw with.
constexpr float screwSize = 13.0f;

// Left and right rails, each centred on an edge of the bounds.
std::array<juce::Rectangle<float>, 2> railBounds (juce::Rectangle<float> bounds);
// The vent slots of one rail, top to bottom.
std::vector<juce::Rectangle<float>> railSlots (juce::Rectangle<float> rail);
// Screw boxes: top left, top right, bottom left, bottom right.
std::array<juce::Rectangle<float>, 4> screwBoxes (juce::Rectangle<float> bounds, float inset);
// The ellipse of the LED's halo ring, just outside the lamp.
juce::Rectangle<float> ledHaloBounds (juce::Rectangle<float> lamp);
} // namespace PanelDrawing
