#include "editor/MeterWidgets.h"

#include "editor/VaskelColours.h"

#include <algorithm>
#include <cmath>

namespace MeterGeometry
{
VuArcGeometry computeVuArcGeometry (juce::Rectangle<float> bounds)
{
    // Inside the bounds less 8 horizontally and 6 vertically, with the lowest
    // 15 % cut off, the arc sits on the middle of the bottom edge.
    const auto rx = std::max (bounds.getWidth() - 16.0f, 0.0f) * 0.5f;
    const auto innerHeight = std::max (bounds.getHeight() - 12.0f, 0.0f);
    const auto hh = innerHeight - std::min (innerHeight, 0.15f * innerHeight);

    return { { bounds.getX() + 8.0f + rx, bounds.getY() + 6.0f + hh }, std::min (hh, rx) };
}

float vuNeedleAngle (float levelDb)
{
    // Linear in dB: 39 dB over half a turn.
    const auto t = juce::jlimit (0.0f, 1.0f, (levelDb + 36.0f) / 39.0f);
    return t * juce::MathConstants<float>::pi - juce::MathConstants<float>::halfPi;
}

int ladderLitSegments (float levelDb)
{
    // Rounded, ties to the even count.
    return juce::roundToInt (juce::jlimit (0.0f, 1.0f, (levelDb + 48.0f) / 48.0f) * (float) ladderSegments);
}

int ladderSegmentHeight (int componentHeight) { return std::max ((componentHeight - 15) / ladderSegments, 1); }

juce::Rectangle<int> ladderSegmentBounds (juce::Rectangle<int> bounds, int segment)
{
    const auto segH = ladderSegmentHeight (bounds.getHeight());
    return { bounds.getX(), bounds.getY() + bounds.getHeight() + 1 - (segment + 1) * (segH + 1), bounds.getWidth(),
             segH };
}

juce::Colour ladderSegmentColour (int segment)
{
    if (segment >= 14)
        return VaskelColours::hot;

    if (segment >= 11)
        return juce::Colour (0xFFFFFF00);

    return VaskelColours::accentGlow;
}
} // namespace MeterGeometry

void VaskelVuArc::setLevel (float newLevelDb)
{
    // Compared as drawn; a level that is not a number always repaints.
    const auto moved = ! (MeterGeometry::vuNeedleAngle (newLevelDb) == MeterGeometry::vuNeedleAngle (levelDb));
    levelDb = newLevelDb;

    if (moved)
        repaint();
}

void VaskelVuArc::paint (juce::Graphics& g)
{
    using namespace VaskelColours;
    const auto b = getLocalBounds().toFloat();

    g.setColour (juce::Colour (0xFF030304));
    g.fillRoundedRectangle (b, 6.0f);
    g.setColour (juce::Colour (0xFF000000));
    g.drawRoundedRectangle ({ b.getX() + 0.5f, b.getY() + 0.5f, std::max (b.getWidth() - 1.0f, 0.0f),
                              std::max (b.getHeight() - 1.0f, 0.0f) },
                            6.0f, 1.0f);

    const auto arc = MeterGeometry::computeVuArcGeometry (b);
    const auto cx = arc.centre.x;
    const auto cy = arc.centre.y;
    const auto r = arc.radius;
    const auto halfPi = juce::MathConstants<float>::halfPi;

    const auto strokeArc = [&] (float from, float to, juce::Colour colour)
    {
        // A zero radius adds nothing to the path, so nothing is stroked.
        juce::Path path;
        path.addCentredArc (cx, cy, r, r, 0.0f, from, to, true);
        g.setColour (colour);
        g.strokePath (path, juce::PathStrokeType (5.0f, juce::PathStrokeType::curved, juce::PathStrokeType::rounded));
    };

    strokeArc (-halfPi, halfPi, juce::Colour (0xFF232635));
    strokeArc (-halfPi, MeterGeometry::vuOverloadStartAngle, accentGlow);
    strokeArc (MeterGeometry::vuOverloadStartAngle, halfPi, hot);

    const auto angle = MeterGeometry::vuNeedleAngle (levelDb);
    g.setColour (text);
    g.drawLine (cx, cy, cx + 0.92f * r * std::sin (angle), cy - 0.92f * r * std::cos (angle), 2.0f);
    g.fillEllipse (cx - 2.0f, cy - 2.0f, 4.0f, 4.0f);

    const auto captionHeight = std::min (b.getHeight(), 14.0f);
    g.setColour (textDim);
    g.setFont (juce::Font (11.0f).withExtraKerningFactor (0.1f));
    g.drawText ("VU", juce::Rectangle<float> { b.getX(), b.getBottom() - captionHeight, b.getWidth(), captionHeight },
                juce::Justification::centred, true);
}

void VaskelLadderMeter::setLevel (float newLevelDb)
{
    const auto changed = MeterGeometry::ladderLitSegments (newLevelDb) != MeterGeometry::ladderLitSegments (levelDb);
    levelDb = newLevelDb;

    if (changed)
        repaint();
}

void VaskelLadderMeter::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xFF000000));

    const auto lit = MeterGeometry::ladderLitSegments (levelDb);
    const auto bounds = getLocalBounds();
    const auto unlit = VaskelColours::textDim.withAlpha (0.15f);

    for (int i = 0; i < MeterGeometry::ladderSegments; ++i)
    {
        g.setColour (i >= lit ? unlit : MeterGeometry::ladderSegmentColour (i));
        g.fillRect (MeterGeometry::ladderSegmentBounds (bounds, i));
    }
}
