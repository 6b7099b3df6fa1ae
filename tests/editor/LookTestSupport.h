#pragma once

#include "editor/VaskelColours.h"
#include "editor/VaskelLookAndFeel.h"

#include <gtest/gtest.h>
#include <juce_gui_basics/juce_gui_basics.h>

#include <cmath>
#include <cstdlib>

// Helpers for the look and widget tests: software-rendered canvases, pixel
// reads and colour comparison with a small tolerance for anti-aliasing.
namespace looktest
{
// The accents the editor hands to its look.
inline AccentColours editorAccents()
{
    return { juce::Colour (0xFFFFC46A), juce::Colour (0xFFD9862B), juce::Colour (0xFFE8A65C) };
}

// An opaque canvas (software renderer) filled with one colour.
inline juce::Image canvas (int width, int height, juce::Colour fill = juce::Colours::black)
{
    juce::Image image (juce::Image::ARGB, width, height, true, juce::SoftwareImageType());
    juce::Graphics g (image);
    g.fillAll (fill);
    return image;
}

// A fully transparent canvas.
inline juce::Image clearCanvas (int width, int height)
{
    return juce::Image (juce::Image::ARGB, width, height, true, juce::SoftwareImageType());
}

inline juce::Colour pixel (const juce::Image& image, int x, int y) { return image.getPixelAt (x, y); }

inline ::testing::AssertionResult coloursNear (juce::Colour actual, juce::Colour expected, int tolerance = 3)
{
    const auto diff = [] (juce::uint8 a, juce::uint8 b) { return std::abs ((int) a - (int) b); };
    const auto worst =
        juce::jmax (diff (actual.getAlpha(), expected.getAlpha()), diff (actual.getRed(), expected.getRed()),
                    diff (actual.getGreen(), expected.getGreen()), diff (actual.getBlue(), expected.getBlue()));

    if (worst <= tolerance)
        return ::testing::AssertionSuccess();

    return ::testing::AssertionFailure() << "colour 0x" << actual.toDisplayString (true) << " is not within "
                                         << tolerance << " of 0x" << expected.toDisplayString (true);
}

// What an opaque canvas shows after a colour with alpha was painted over it.
inline juce::Colour over (juce::Colour background, juce::Colour paint) { return background.overlaidWith (paint); }

inline bool imagesEqual (const juce::Image& a, const juce::Image& b, juce::Rectangle<int> area)
{
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (a.getPixelAt (x, y) != b.getPixelAt (x, y))
                return false;

    return true;
}

inline bool isUniform (const juce::Image& image, juce::Rectangle<int> area, juce::Colour colour)
{
    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            if (image.getPixelAt (x, y) != colour)
                return false;

    return true;
}

// A synthetic mouse event at (x, y) relative to the component.
inline juce::MouseEvent mouseEventAt (juce::Component& component, int x, int y,
                                      juce::ModifierKeys modifiers = juce::ModifierKeys::leftButtonModifier,
                                      int clicks = 1)
{
    const juce::Point<float> position ((float) x, (float) y);
    const auto now = juce::Time::getCurrentTime();
    return { juce::Desktop::getInstance().getMainMouseSource(),
             position,
             modifiers,
             juce::MouseInputSource::defaultPressure,
             juce::MouseInputSource::defaultOrientation,
             juce::MouseInputSource::defaultRotation,
             juce::MouseInputSource::defaultTiltX,
             juce::MouseInputSource::defaultTiltY,
             &component,
             &component,
             now,
             position,
             now,
             clicks,
             false };
}
} // namespace looktest
