#include "editor/LayerCache.h"
#include "editor/VaskelColours.h"

#include <gtest/gtest.h>

// The cached layer against drawing the same layer directly, byte for byte.

namespace
{
// Anti-aliased, part-transparent drawing: edges and alpha that a careless
// copy would change by a level.
void paintSample (juce::Graphics& g)
{
    juce::ColourGradient wash (juce::Colour (0x80FFA040), 0.0f, 0.0f, juce::Colour (0x2040A0FF), 60.0f, 40.0f, false);
    g.setGradientFill (wash);
    g.fillRoundedRectangle (2.5f, 1.5f, 55.0f, 35.0f, 9.0f);
    g.setColour (juce::Colour (0xB0102030));
    g.drawEllipse (10.3f, 6.7f, 30.0f, 21.0f, 2.5f);
    g.setColour (juce::Colour (0x0FFFFFFF));
    g.drawLine (4.0f, 36.0f, 57.0f, 3.0f, 1.5f);
}

constexpr int width = 60, height = 40;

juce::Image canvas (int scale, juce::Colour background)
{
    juce::Image image (juce::Image::ARGB, width * scale, height * scale, true);
    juce::Graphics (image).fillAll (background);
    return image;
}

// Draws into a canvas at the given scale, with an optional clip in logical pixels.
template <typename Draw>
void drawInto (juce::Image& image, int scale, Draw&& draw, juce::Rectangle<int> clip = {})
{
    juce::Graphics g (image);
    g.addTransform (juce::AffineTransform::scale ((float) scale));

    if (! clip.isEmpty())
        g.reduceClipRegion (clip);

    draw (g);
}

// Inside the area the two pictures agree; outside it the second shows the background.
bool agreeInside (const juce::Image& a, const juce::Image& b, juce::Rectangle<int> area, juce::Colour background)
{
    for (int y = 0; y < a.getHeight(); ++y)
        for (int x = 0; x < a.getWidth(); ++x)
        {
            const auto expected = area.contains (x, y) ? a.getPixelAt (x, y) : background;

            if (b.getPixelAt (x, y) != expected)
                return false;
        }

    return true;
}
} // namespace

TEST (LayerCache, ACopyOntoTransparentOrOpaqueBlackIsTheDirectDrawingExactly)
{
    // Also through a clip that cuts the shapes (a repaint of part of the
    // layer), where the copy shows what a whole direct drawing shows there.
    for (const auto background : { juce::Colours::transparentBlack, juce::Colours::black })
        for (const int scale : { 1, 2, 3 })
            for (const auto clip : { juce::Rectangle<int>(), juce::Rectangle<int> (7, 5, 31, 22) })
            {
                SCOPED_TRACE (background.toDisplayString (true) + " x" + juce::String (scale) + " clip " +
                              clip.toString());
                LayerCache cache;
                auto direct = canvas (scale, background);
                auto copied = canvas (scale, background);

                drawInto (direct, scale, paintSample);
                drawInto (
                    copied, scale,
                    [&] (juce::Graphics& g) {
                        cache.draw (g, { width, height }, paintSample);
                    },
                    clip);

                const auto area = clip.isEmpty() ? direct.getBounds() : clip * scale;
                EXPECT_TRUE (agreeInside (direct, copied, area, background));
            }
}

TEST (LayerCache, DrawsTheLayerOncePerSizeScaleAndAccentsAndEveryTimeAtAFractionalScale)
{
    LayerCache cache;
    int paints = 0;
    const auto countingPaint = [&paints] (juce::Graphics& g)
    {
        ++paints;
        paintSample (g);
    };

    juce::Image image (juce::Image::ARGB, 200, 200, true);
    const auto drawAt = [&] (float scale, juce::Point<int> size)
    {
        juce::Graphics g (image);
        g.addTransform (juce::AffineTransform::scale (scale));
        cache.draw (g, size, countingPaint);
    };

    drawAt (1.0f, { width, height });
    drawAt (1.0f, { width, height });
    EXPECT_EQ (paints, 1);

    drawAt (1.0f, { width + 1, height });
    EXPECT_EQ (paints, 2);

    drawAt (2.0f, { width + 1, height });
    drawAt (2.0f, { width + 1, height });
    EXPECT_EQ (paints, 3);

    drawAt (1.5f, { width + 1, height });
    drawAt (1.5f, { width + 1, height });
    EXPECT_EQ (paints, 5);

    const auto savedAccent = VaskelColours::accent;
    VaskelColours::accent = juce::Colour (0xFF123456);
    drawAt (2.0f, { width + 1, height });
    VaskelColours::accent = savedAccent;
    EXPECT_EQ (paints, 6);

    cache.invalidate();
    drawAt (2.0f, { width + 1, height });
    EXPECT_EQ (paints, 7);

    // Nothing to copy at an empty size: drawn directly, as it would be.
    drawAt (1.0f, { 0, height });
    EXPECT_EQ (paints, 8);
}
