#include "LookTestSupport.h"

#include "editor/PanelDrawing.h"

using looktest::coloursNear;
using looktest::pixel;

namespace
{
void expectRect (juce::Rectangle<float> actual, juce::Rectangle<float> expected)
{
    EXPECT_EQ (actual, expected) << actual.toString() << " vs " << expected.toString();
}

struct PanelFixture : ::testing::Test
{
    VaskelLookAndFeel look { looktest::editorAccents() };
};
} // namespace

TEST (PanelGeometry, RailsSitOnTheEdgesWithVentSlots)
{
    struct Case
    {
        float height;
        float railHeight;
        size_t slots;
    };
    const Case cases[] = {
        { 560, 540, 90 },
        { 24, 4, 1 },
        { 23, 3, 0 },   // the first slot top is not above the rail bottom
        { 10, -10, 0 }, // a negative height, passed on as computed
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.height);
        const auto rails = PanelDrawing::railBounds ({ 0, 0, 1180, c.height });
        expectRect (rails[0], { -8, 10, 16, c.railHeight });
        expectRect (rails[1], { 1172, 10, 16, c.railHeight });
        EXPECT_EQ (PanelDrawing::railSlots (rails[0]).size(), c.slots);
    }

    const auto slots = PanelDrawing::railSlots ({ -8, 10, 16, 540 });
    expectRect (slots.front(), { -7, 13, 14, 3 });
    expectRect (slots.back(), { -7, 547, 14, 3 });
}

TEST (PanelGeometry, ScrewsInTheFourCorners)
{
    const auto screws = PanelDrawing::screwBoxes ({ 0, 0, 1180, 560 }, 12.0f);

    expectRect (screws[0], { 12, 12, 13, 13 });
    expectRect (screws[1], { 1155, 12, 13, 13 });
    expectRect (screws[2], { 12, 535, 13, 13 });
    expectRect (screws[3], { 1155, 535, 13, 13 });

    // Not clamped: small bounds make them overlap.
    const auto cramped = PanelDrawing::screwBoxes ({ 0, 0, 30, 30 }, 12.0f);
    expectRect (cramped[3], { 5, 5, 13, 13 });
}

TEST (PanelGeometry, LedHaloLiesJustOutsideTheLamp)
{
    expectRect (PanelDrawing::ledHaloBounds ({ 0, 0, 18, 18 }), { -1.5f, -1.5f, 21, 21 });
    expectRect (PanelDrawing::ledHaloBounds ({ 4, 6, 0, 2 }), { 2.5f, 4.5f, 3, 5 });
}

//==============================================================================
TEST_F (PanelFixture, LitLedHasAWhiteSpotAndItsColourAroundIt)
{
    const auto colour = VaskelColours::accentGlow;
    const juce::Rectangle<float> lamp { 10, 10, 18, 18 };
    auto image = looktest::canvas (40, 40);
    {
        juce::Graphics g (image);
        PanelDrawing::drawLed (g, lamp, colour);
    }

    // The spot sits at 35 % / 30 % of the lamp; the lamp's centre lies between
    // the spot and the colour's own stop.
    const juce::Point<float> spot { 10 + 0.35f * 18, 10 + 0.3f * 18 };
    const auto radius = spot.getDistanceFrom ({ 28, 28 });
    juce::ColourGradient expected (juce::Colours::white, spot, colour.darker (0.4f), { 28, 28 }, true);
    expected.addColour (0.45, colour);

    // The renderer samples the gradient at pixel centres.
    const juce::Point<float> centre { 19.5f, 19.5f };
    EXPECT_TRUE (
        coloursNear (pixel (image, 19, 19), expected.getColourAtPosition (spot.getDistanceFrom (centre) / radius), 4));
    EXPECT_TRUE (coloursNear (pixel (image, 16, 15), juce::Colours::white, 12));

    // Lower right inside the lamp: darker than the colour itself.
    const auto rim = pixel (image, 24, 24);
    EXPECT_LT (rim.getBrightness(), colour.getBrightness());
    EXPECT_GT (rim.getRed(), rim.getBlue());

    // The halo ring, 1.5 pixels outside the lamp's left edge.
    EXPECT_GT (pixel (image, 8, 19).getRed(), 100);
    EXPECT_EQ (pixel (image, 5, 19), juce::Colours::black);
}

TEST_F (PanelFixture, RailsShowSlotsOverTheirBody)
{
    auto image = looktest::canvas (100, 100);
    {
        juce::Graphics g (image);
        PanelDrawing::drawSideRails (g, { 0, 0, 100, 100 });
    }

    EXPECT_EQ (pixel (image, 3, 14), juce::Colour (0xFF1C1F2B));  // first slot, rows 13 ... 15
    EXPECT_EQ (pixel (image, 3, 17), juce::Colour (0xFF0A0B10));  // between slots
    EXPECT_EQ (pixel (image, 96, 14), juce::Colour (0xFF1C1F2B)); // the right rail's slot
    EXPECT_EQ (pixel (image, 50, 50), juce::Colours::black);      // nothing between the rails
}

TEST_F (PanelFixture, ChassisBodySettlesAtSixtyPercent)
{
    auto image = looktest::canvas (400, 200);
    {
        juce::Graphics g (image);
        PanelDrawing::drawChassis (g, { 0, 0, 400, 200 }, 14.0f);
    }

    EXPECT_TRUE (coloursNear (pixel (image, 30, 5),
                              juce::Colour (0xFF1C1F2B).interpolatedWith (juce::Colour (0xFF14161F), 5.0f / 120.0f),
                              2));
    EXPECT_EQ (pixel (image, 30, 150), juce::Colour (0xFF14161F));
    EXPECT_EQ (pixel (image, 30, 190), juce::Colour (0xFF14161F));
    // The sheen brightens the middle of the diagonal.
    EXPECT_GT (pixel (image, 200, 100).getRed(), pixel (image, 30, 190).getRed());
    // The border.
    EXPECT_EQ (pixel (image, 0, 100), juce::Colour (0xFF2A2E3D));
}

TEST_F (PanelFixture, PlainAndAccentedPanelsDifferOnlyInFillAndBorder)
{
    const juce::Rectangle<float> area { 10, 10, 120, 60 };
    const juce::Colour grey { 0xFF404040 };

    const auto render = [&] (bool accented)
    {
        auto image = looktest::canvas (140, 80, grey);
        juce::Graphics g (image);
        PanelDrawing::drawPanel (g, area, accented, 8.0f);
        return image;
    };

    const auto plain = render (false);
    const auto accented = render (true);

    EXPECT_TRUE (
        coloursNear (pixel (plain, 70, 40), looktest::over (grey, juce::Colours::white.withAlpha (0.015f)), 1));
    EXPECT_TRUE (
        coloursNear (pixel (accented, 70, 40), looktest::over (grey, VaskelColours::accent.withAlpha (0.1f)), 1));

    // Border: the outline's left column.
    EXPECT_TRUE (coloursNear (pixel (plain, 10, 40), juce::Colour (0xFF2A2E3D), 40));
    EXPECT_GT (pixel (accented, 10, 40).getRed(), pixel (accented, 10, 40).getBlue() + 20);

    // Below the area only the drop line reaches: the same for both.
    EXPECT_EQ (pixel (plain, 70, 71), pixel (accented, 70, 71));
    EXPECT_LT (pixel (plain, 70, 71).getBrightness(), grey.getBrightness());
}

// The editor draws its images right after the panels with the colour the last
// panel left current; what it sees there is white at alpha 0.06.
TEST_F (PanelFixture, RoutinesLeaveTheirLastColourCurrent)
{
    struct Case
    {
        const char* name;
        std::function<void (juce::Graphics&)> draw;
        juce::Colour expected;
    };
    const Case cases[] = {
        { "plain panel",
          [] (juce::Graphics& g) {
              PanelDrawing::drawPanel (g, { 10, 10, 80, 40 }, false, 8.0f);
          },
          juce::Colour (0x0FFFFFFF) },
        { "accented panel",
          [] (juce::Graphics& g) {
              PanelDrawing::drawPanel (g, { 10, 10, 80, 40 }, true, 8.0f);
          },
          juce::Colour (0x0FFFFFFF) },
        { "chassis",
          [] (juce::Graphics& g) {
              PanelDrawing::drawChassis (g, { 0, 0, 200, 100 }, 14.0f);
          },
          juce::Colour (0x0FFFFFFF) },
        { "rails",
          [] (juce::Graphics& g) {
              PanelDrawing::drawSideRails (g, { 0, 0, 200, 100 });
          },
          juce::Colour (0xFF000000) },
        { "screws",
          [] (juce::Graphics& g) {
              PanelDrawing::drawScrews (g, { 0, 0, 200, 100 }, 12.0f);
          },
          juce::Colour (0xCC000000) },
        { "led",
          [] (juce::Graphics& g) {
              PanelDrawing::drawLed (g, { 0, 0, 18, 18 }, juce::Colour (0xFF00FF00));
          },
          juce::Colour (0xFF00FF00) },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        auto image = looktest::clearCanvas (300, 300);
        {
            juce::Graphics g (image);
            c.draw (g);
            g.fillRect (250, 250, 20, 20);
        }

        const auto current = pixel (image, 260, 260);
        EXPECT_EQ (current.getAlpha(), c.expected.getAlpha());

        if (c.expected.getAlpha() > 0x40)
            EXPECT_TRUE (coloursNear (current, c.expected, 1));
        else
            EXPECT_GT (current.getRed(), 200); // white, as far as 15/255 of it can be read back
    }
}
