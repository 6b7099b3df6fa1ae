#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// A needle meter on a half-circle scale from -36 dB (9 o'clock) to +3 dB
// (3 o'clock), with an overload zone from -8.7 dB up. Out-of-scale levels are
// clamped when drawn.
class VaskelVuArc : public juce::Component
{
public:
    float levelDb = -100.0f;

    // Takes a new level and repaints only if the needle moves.
    void setLevel (float newLevelDb);

    void paint (juce::Graphics&) override;
};

// A vertical bar of 16 segments, 3 dB each, from -48 dB to 0 dB, stacked up
// from the bottom edge with 1-pixel gaps.
//
// It fills all of its bounds but is not marked opaque: the framework would
// then clip the editor and any control under it around the meter, and that
// changes pixels next to it (where the emblem's resampling starts its spans at
// a fractional pixel scale, and the cut-off drop shadows of controls that
// overlap it in a narrow window).
class VaskelLadderMeter : public juce::Component
{
public:
    float levelDb = -100.0f;

    // Takes a new level and repaints only if another number of segments lights.
    void setLevel (float newLevelDb);

    void paint (juce::Graphics&) override;
};

namespace MeterGeometry
{
struct VuArcGeometry
{
    juce::Point<float> centre;
    float radius = 0.0f;
};

constexpr float vuOverloadStartAngle = 0.62831843f; // 36 degrees right of 12 o'clock

VuArcGeometry computeVuArcGeometry (juce::Rectangle<float> bounds);
// Needle angle in radians clockwise from 12 o'clock.
float vuNeedleAngle (float levelDb);

constexpr int ladderSegments = 16;

// How many segments light up, 0 ... 16.
int ladderLitSegments (float levelDb);
int ladderSegmentHeight (int componentHeight);
// Segment 0 is the bottom one.
juce::Rectangle<int> ladderSegmentBounds (juce::Rectangle<int> bounds, int segment);
// The segment's lit colour (before the unlit dimming).
juce::Colour ladderSegmentColour (int segment);
} // namespace MeterGeometry
