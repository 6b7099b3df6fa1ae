#pragma once

#include <juce_graphics/juce_graphics.h>

#include <array>

// Geometry of the look's control drawings, kept apart from the painting so
// that it can be reasoned about (and checked) on its own.
namespace ControlGeometry
{
// The point at an angle (radians clockwise from 12 o'clock) on a circle.
juce::Point<float> pointOnCircle (juce::Point<float> centre, float radius, float angle);

struct ToggleGeometry
{
    juce::Rectangle<float> lamp; // in a square cell at the left
    juce::Rectangle<float> textBox;
};

ToggleGeometry computeToggleGeometry (juce::Rectangle<float> bounds);
// A lit toggle's lamp is opaque; an unlit one pulses with the clock.
float toggleLampAlpha (bool on, double timeMs);

struct FaderGeometry
{
    juce::Rectangle<float> track;
    juce::Rectangle<float> fill; // from the thumb, clamped to the travel, down to the minimum end
    juce::Rectangle<float> cap;  // centred on the unclamped thumb position
    juce::Line<float> groove;
};

// area: the slider's drawing area; bottom and top: pixel positions of the
// minimum and the maximum (bottom > top for a vertical fader).
FaderGeometry computeFaderGeometry (juce::Rectangle<float> area, float sliderPos, float bottom, float top);
// The y of the zero line for value 0 at the given proportion of the travel.
float faderZeroLineY (float proportionOfZero, float bottom, float top);

struct KnobGeometry
{
    juce::Rectangle<float> bounds;
    float radius = 0.0f;
    juce::Point<float> centre;
    float tickInnerRadius = 0.0f;
    float tickOuterRadius = 0.0f;
    float arcRadius = 0.0f;
    juce::Rectangle<float> knob;
    float pointerLength = 0.0f;
};

KnobGeometry computeKnobGeometry (juce::Rectangle<float> area);

constexpr int knobTicks = 21;

struct ComboArrowGeometry
{
    float cellWidth = 0.0f;
    juce::Point<float> centre;
    std::array<juce::Point<float>, 3> triangle;
};

ComboArrowGeometry computeComboArrow (float width, float height);
} // namespace ControlGeometry
