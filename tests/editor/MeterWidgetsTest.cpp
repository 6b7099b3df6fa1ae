#include "LookTestSupport.h"

#include "editor/MeterWidgets.h"

using looktest::coloursNear;
using looktest::pixel;

namespace
{
struct MeterFixture : ::testing::Test
{
    VaskelLookAndFeel look { looktest::editorAccents() };

    template <typename Meter>
    juce::Image render (Meter& meter)
    {
        auto image = looktest::canvas (meter.getWidth(), meter.getHeight(), juce::Colour (0xFF808080));
        juce::Graphics g (image);
        meter.paint (g);
        return image;
    }
};

constexpr auto pi = juce::MathConstants<float>::pi;
} // namespace

//==============================================================================
TEST (MeterGeometry, LadderLitSegmentsRoundToEven)
{
    const std::pair<float, int> cases[] = {
        { -100.0f, 0 }, { -48.0f, 0 }, { -46.5f, 0 }, { -46.4f, 1 }, { -24.0f, 8 }, { -13.5f, 12 },
        { -4.5f, 14 },  { -4.4f, 15 }, { -1.5f, 16 }, { 0.0f, 16 },  { 12.0f, 16 },
    };

    for (const auto& [level, lit] : cases)
        EXPECT_EQ (MeterGeometry::ladderLitSegments (level), lit) << level << " dB";
}

TEST (MeterGeometry, LadderSegmentsStackUpFromTheBottomEdge)
{
    const juce::Rectangle<int> bounds { 0, 0, 16, 416 };

    EXPECT_EQ (MeterGeometry::ladderSegmentHeight (416), 25);
    EXPECT_EQ (MeterGeometry::ladderSegmentBounds (bounds, 0), juce::Rectangle<int> (0, 391, 16, 25));
    EXPECT_EQ (MeterGeometry::ladderSegmentBounds (bounds, 1), juce::Rectangle<int> (0, 365, 16, 25));
    EXPECT_EQ (MeterGeometry::ladderSegmentBounds (bounds, 15), juce::Rectangle<int> (0, 1, 16, 25));

    // Low ladders: at least one pixel per segment, the upper ones then above the top edge.
    EXPECT_EQ (MeterGeometry::ladderSegmentHeight (46), 1);
    EXPECT_EQ (MeterGeometry::ladderSegmentHeight (47), 2);
    EXPECT_EQ (MeterGeometry::ladderSegmentHeight (10), 1);
    EXPECT_EQ (MeterGeometry::ladderSegmentBounds ({ 0, 0, 16, 30 }, 15).getY(), -1);
}

TEST (MeterGeometry, LadderZones)
{
    for (int i = 0; i <= 10; ++i)
        EXPECT_EQ (MeterGeometry::ladderSegmentColour (i), VaskelColours::accentGlow);

    for (int i = 11; i <= 13; ++i)
        EXPECT_EQ (MeterGeometry::ladderSegmentColour (i), juce::Colour (0xFFFFFF00));

    for (int i = 14; i <= 15; ++i)
        EXPECT_EQ (MeterGeometry::ladderSegmentColour (i), VaskelColours::hot);
}

TEST (MeterGeometry, VuNeedleAngles)
{
    const std::pair<float, float> cases[] = {
        { -100.0f, -pi / 2 },
        { -36.0f, -pi / 2 },
        { -8.7f, MeterGeometry::vuOverloadStartAngle },
        { 0.0f, juce::degreesToRadians (76.1538f) },
        { 3.0f, pi / 2 },
        { 20.0f, pi / 2 },
    };

    for (const auto& [level, angle] : cases)
        EXPECT_NEAR (MeterGeometry::vuNeedleAngle (level), angle, 1.0e-5f) << level << " dB";
}

TEST (MeterGeometry, VuArcCentreAndRadius)
{
    const auto editorSize = MeterGeometry::computeVuArcGeometry ({ 0, 0, 92, 34 });
    EXPECT_NEAR (editorSize.centre.x, 46.0f, 1.0e-4f);
    EXPECT_NEAR (editorSize.centre.y, 24.7f, 1.0e-4f);
    EXPECT_NEAR (editorSize.radius, 18.7f, 1.0e-4f);

    // Wide and low: the radius is limited by the height.
    EXPECT_NEAR (MeterGeometry::computeVuArcGeometry ({ 0, 0, 200, 32 }).radius, 17.0f, 1.0e-4f);
    EXPECT_FLOAT_EQ (MeterGeometry::computeVuArcGeometry ({ 0, 0, 16, 34 }).radius, 0.0f);
    EXPECT_FLOAT_EQ (MeterGeometry::computeVuArcGeometry ({ 0, 0, 92, 12 }).radius, 0.0f);
}

//==============================================================================
TEST_F (MeterFixture, LadderLightsSegmentsInTheirZoneColours)
{
    VaskelLadderMeter meter;
    meter.setSize (16, 416);
    const auto unlit = looktest::over (juce::Colours::black, VaskelColours::textDim.withAlpha (0.15f));
    const auto segmentCentre = [] (int i) { return 391 - 26 * i + 12; };

    meter.levelDb = -24.0f;
    auto image = render (meter);
    EXPECT_EQ (pixel (image, 8, segmentCentre (0)), VaskelColours::accentGlow);
    EXPECT_EQ (pixel (image, 8, segmentCentre (7)), VaskelColours::accentGlow);
    EXPECT_TRUE (coloursNear (pixel (image, 8, segmentCentre (8)), unlit, 1));
    EXPECT_EQ (pixel (image, 8, 390), juce::Colours::black); // the gap above segment 0
    EXPECT_EQ (pixel (image, 8, 0), juce::Colours::black);   // the row above segment 15
    EXPECT_EQ (meter.levelDb, -24.0f);                       // painting leaves the level alone

    meter.levelDb = 0.0f;
    image = render (meter);
    EXPECT_EQ (pixel (image, 8, segmentCentre (12)), juce::Colour (0xFFFFFF00));
    EXPECT_EQ (pixel (image, 8, segmentCentre (15)), VaskelColours::hot);
    EXPECT_EQ (pixel (image, 0, segmentCentre (15)), VaskelColours::hot); // full width

    VaskelLadderMeter fresh;
    fresh.setSize (16, 416);
    EXPECT_EQ (fresh.levelDb, -100.0f);
    image = render (fresh);
    EXPECT_TRUE (coloursNear (pixel (image, 8, segmentCentre (0)), unlit, 1));
}

TEST_F (MeterFixture, VuNeedleRestsLeftAndReachesRight)
{
    VaskelVuArc meter;
    meter.setSize (92, 34);

    const auto body = juce::Colour (0xFF030304);

    auto image = render (meter); // a new meter: -100 dB
    EXPECT_TRUE (coloursNear (pixel (image, 33, 24), VaskelColours::text, 6));
    EXPECT_EQ (pixel (image, 60, 24), body);

    meter.levelDb = 3.0f;
    image = render (meter);
    EXPECT_TRUE (coloursNear (pixel (image, 59, 24), VaskelColours::text, 6));
    EXPECT_EQ (pixel (image, 33, 24), body);
    EXPECT_EQ (meter.levelDb, 3.0f);

    // The zones: glow up to 36 degrees right of 12 o'clock, hot beyond, on radius 18.7 around (46, 24.7).
    const auto arcPixel = [&image] (float angle)
    {
        return pixel (image, juce::roundToInt (46.0f + 18.7f * std::sin (angle)),
                      juce::roundToInt (24.7f - 18.7f * std::cos (angle)));
    };

    EXPECT_TRUE (coloursNear (arcPixel (-0.5f), VaskelColours::accentGlow, 40));
    EXPECT_TRUE (coloursNear (arcPixel (1.1f), VaskelColours::hot, 40));

    // Rounded body corners show what lies behind.
    EXPECT_EQ (pixel (image, 0, 0), juce::Colour (0xFF808080));
}

TEST_F (MeterFixture, TinyVuStillDrawsThePivot)
{
    VaskelVuArc meter;
    meter.setSize (16, 40);
    const auto image = render (meter);

    // The centre sits at (8, 6 + 0.85 * 28); the pivot dot is drawn in `text`.
    EXPECT_TRUE (coloursNear (pixel (image, 8, 29), VaskelColours::text, 60));
}
