#include "editor/ControlGeometry.h"

#include <algorithm>
#include <cmath>

namespace ControlGeometry
{
juce::Point<float> pointOnCircle (juce::Point<float> centre, float radius, float angle)
{
    return { centre.x + radius * std::sin (angle), centre.y - radius * std::cos (angle) };
}

ToggleGeometry computeToggleGeometry (juce::Rectangle<float> bounds)
{
    const auto x = bounds.getX();
    const auto y = bounds.getY();
    const auto w = bounds.getWidth();
    const auto h = bounds.getHeight();
    const auto side = std::min (w, h);

    return { { x + 5.0f, y + 5.0f, std::max (side - 10.0f, 0.0f), std::max (h - 10.0f, 0.0f) },
             { x + side + 4.0f, y, std::max (w - side - 8.0f, 0.0f), h } };
}

float toggleLampAlpha (bool on, double timeMs)
{
    if (on)
        return 1.0f;

    // About a 2.1 s period between alpha 0.1 and 1.
    return 0.55f + 0.45f * (float) std::sin (timeMs * 0.003);
}

FaderGeometry computeFaderGeometry (juce::Rectangle<float> area, float sliderPos, float bottom, float top)
{
    const auto x = area.getX();
    const auto y = area.getY();
    const auto w = area.getWidth();
    const auto h = area.getHeight();

    const juce::Rectangle<float> track { x + (w - 6.0f) * 0.5f, y, 6.0f, h };
    const auto clampedPos = std::min (std::max (sliderPos, top), bottom);

    return { track,
             { track.getX(), clampedPos, 6.0f, std::max (bottom - clampedPos, 0.0f) },
             { x, sliderPos - 5.5f, w, 11.0f },
             { x + 2.0f, sliderPos, x + w - 2.0f, sliderPos } };
}

float faderZeroLineY (float proportionOfZero, float bottom, float top)
{
    return bottom + proportionOfZero * (top - bottom);
}

KnobGeometry computeKnobGeometry (juce::Rectangle<float> area)
{
    KnobGeometry k;
    k.bounds = { area.getX() + 3.0f, area.getY() + 3.0f, std::max (area.getWidth() - 6.0f, 0.0f),
                 std::max (area.getHeight() - 6.0f, 0.0f) };
    const auto r = std::min (k.bounds.getWidth(), k.bounds.getHeight()) * 0.5f;
    k.radius = r;
    k.centre = { k.bounds.getX() + k.bounds.getWidth() * 0.5f, k.bounds.getY() + k.bounds.getHeight() * 0.5f };
    k.tickInnerRadius = 0.86f * r;
    k.tickOuterRadius = 0.98f * r;
    k.arcRadius = 0.78f * r;
    k.knob = { k.bounds.getX() + 0.34f * r, k.bounds.getY() + 0.34f * r,
               std::max (k.bounds.getWidth() - 0.68f * r, 0.0f), std::max (k.bounds.getHeight() - 0.68f * r, 0.0f) };
    k.pointerLength = 0.6f * r;
    return k;
}

ComboArrowGeometry computeComboArrow (float width, float height)
{
    ComboArrowGeometry a;
    a.cellWidth = std::min (width, 18.0f);
    a.centre = { width - a.cellWidth + a.cellWidth * 0.5f, height * 0.5f };
    const auto cx = a.centre.x;
    const auto cy = a.centre.y;
    a.triangle = { juce::Point<float> { cx - 4.0f, cy - 3.0f }, juce::Point<float> { cx + 4.0f, cy - 3.0f },
                   juce::Point<float> { cx, cy + 4.0f } };
    return a;
}
} // namespace ControlGeometry
