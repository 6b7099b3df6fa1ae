#include "LookTestSupport.h"

#include "editor/ControlGeometry.h"

using looktest::coloursNear;
using looktest::editorAccents;
using looktest::pixel;

namespace
{
void expectRect (juce::Rectangle<float> actual, juce::Rectangle<float> expected)
{
    EXPECT_NEAR (actual.getX(), expected.getX(), 1.0e-4f) << actual.toString();
    EXPECT_NEAR (actual.getY(), expected.getY(), 1.0e-4f) << actual.toString();
    EXPECT_NEAR (actual.getWidth(), expected.getWidth(), 1.0e-4f) << actual.toString();
    EXPECT_NEAR (actual.getHeight(), expected.getHeight(), 1.0e-4f) << actual.toString();
}

void expectPoint (juce::Point<float> actual, juce::Point<float> expected)
{
    EXPECT_NEAR (actual.x, expected.x, 1.0e-4f);
    EXPECT_NEAR (actual.y, expected.y, 1.0e-4f);
}

struct LookFixture : ::testing::Test
{
    VaskelLookAndFeel look { editorAccents() };
};
} // namespace

//==============================================================================
TEST (ControlGeometry, ToggleLampAndTextBox)
{
    struct Case
    {
        juce::Rectangle<float> bounds, lamp, textBox;
    };
    const Case cases[] = {
        { { 0, 0, 100, 20 }, { 5, 5, 10, 10 }, { 24, 0, 72, 20 } },
        { { 0, 0, 16, 40 }, { 5, 5, 6, 30 }, { 20, 0, 0, 40 } }, // narrower than high: no room for text
        { { 0, 0, 84, 18 }, { 5, 5, 8, 8 }, { 22, 0, 58, 18 } },
        { { 0, 0, 6, 6 }, { 5, 5, 0, 0 }, { 10, 0, 0, 6 } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.bounds.toString());
        const auto g = ControlGeometry::computeToggleGeometry (c.bounds);
        expectRect (g.lamp, c.lamp);
        expectRect (g.textBox, c.textBox);
    }
}

TEST (ControlGeometry, UnlitToggleLampPulsesBetweenAlpha01And1)
{
    EXPECT_FLOAT_EQ (ControlGeometry::toggleLampAlpha (true, 12345.0), 1.0f);

    const auto period = juce::MathConstants<double>::twoPi / 0.003;
    EXPECT_NEAR (ControlGeometry::toggleLampAlpha (false, period / 4.0), 1.0f, 1.0e-5f);
    EXPECT_NEAR (ControlGeometry::toggleLampAlpha (false, 3.0 * period / 4.0), 0.1f, 1.0e-5f);

    // Half a period (about 1047 ms) apart the alphas mirror about 0.55.
    for (const auto t : { 0.0, 200.0, 777.0, 5000.0 })
        EXPECT_NEAR (ControlGeometry::toggleLampAlpha (false, t) +
                         ControlGeometry::toggleLampAlpha (false, t + period / 2.0),
                     1.1f, 1.0e-4f);
}

TEST (ControlGeometry, FaderTrackFillCapAndGroove)
{
    struct Case
    {
        float sliderPos;
        juce::Rectangle<float> fill, cap;
    };
    const Case cases[] = {
        { 100.0f, { 17, 100, 6, 88 }, { 0, 94.5f, 40, 11 } },
        { 188.0f, { 17, 188, 6, 0 }, { 0, 182.5f, 40, 11 } }, // minimum: empty fill
        { 12.0f, { 17, 12, 6, 176 }, { 0, 6.5f, 40, 11 } },   // maximum: the whole travel
        { 220.0f, { 17, 188, 6, 0 }, { 0, 214.5f, 40, 11 } }, // beyond the travel: the fill clamps, the cap follows
        { -4.0f, { 17, 12, 6, 176 }, { 0, -9.5f, 40, 11 } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.sliderPos);
        const auto g = ControlGeometry::computeFaderGeometry ({ 0, 0, 40, 200 }, c.sliderPos, 188.0f, 12.0f);
        expectRect (g.track, { 17, 0, 6, 200 });
        expectRect (g.fill, c.fill);
        expectRect (g.cap, c.cap);
        expectPoint (g.groove.getStart(), { 2.0f, c.sliderPos });
        expectPoint (g.groove.getEnd(), { 38.0f, c.sliderPos });
    }
}

TEST (ControlGeometry, KnobRadii)
{
    const auto k = ControlGeometry::computeKnobGeometry ({ 0, 0, 46, 46 });

    expectRect (k.bounds, { 3, 3, 40, 40 });
    EXPECT_FLOAT_EQ (k.radius, 20.0f);
    expectPoint (k.centre, { 23.0f, 23.0f });
    EXPECT_NEAR (k.tickInnerRadius, 17.2f, 1.0e-4f);
    EXPECT_NEAR (k.tickOuterRadius, 19.6f, 1.0e-4f);
    EXPECT_NEAR (k.arcRadius, 15.6f, 1.0e-4f);
    expectRect (k.knob, { 9.8f, 9.8f, 26.4f, 26.4f });
    EXPECT_NEAR (k.pointerLength, 12.0f, 1.0e-4f);

    // Too small an area floors the sizes at zero.
    const auto tiny = ControlGeometry::computeKnobGeometry ({ 10, 10, 4, 50 });
    expectRect (tiny.bounds, { 13, 13, 0, 44 });
    EXPECT_FLOAT_EQ (tiny.radius, 0.0f);
}

TEST (ControlGeometry, PointsOnCircleRunClockwiseFromTwelve)
{
    const juce::Point<float> c { 10.0f, 10.0f };
    const auto pi = juce::MathConstants<float>::pi;

    const std::pair<float, juce::Point<float>> cases[] = {
        { 0.0f, { 10, 5 } },
        { pi / 2, { 15, 10 } },
        { pi, { 10, 15 } },
        { -pi / 2, { 5, 10 } },
    };

    for (const auto& [angle, expected] : cases)
    {
        const auto p = ControlGeometry::pointOnCircle (c, 5.0f, angle);
        EXPECT_NEAR (p.x, expected.x, 1.0e-4f);
        EXPECT_NEAR (p.y, expected.y, 1.0e-4f);
    }
}

TEST (ControlGeometry, ComboArrowCell)
{
    struct Case
    {
        float w, h, cell;
        juce::Point<float> centre;
    };
    const Case cases[] = {
        { 100, 24, 18, { 91, 12 } },
        { 10, 24, 10, { 5, 12 } },
        { 18, 30, 18, { 9, 15 } },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.w);
        const auto a = ControlGeometry::computeComboArrow (c.w, c.h);
        EXPECT_FLOAT_EQ (a.cellWidth, c.cell);
        expectPoint (a.centre, c.centre);
        expectPoint (a.triangle[0], c.centre + juce::Point<float> (-4, -3));
        expectPoint (a.triangle[1], c.centre + juce::Point<float> (4, -3));
        expectPoint (a.triangle[2], c.centre + juce::Point<float> (0, 4));
    }
}

//==============================================================================
TEST_F (LookFixture, TextButtonBodyFollowsPressAndHoverNotItsColour)
{
    juce::TextButton button ("TAP");
    button.setSize (40, 20);
    button.setColour (juce::TextButton::buttonColourId, juce::Colours::red);

    struct Case
    {
        bool highlighted, down;
        juce::uint32 fill;
    };
    const Case cases[] = {
        { false, true, 0xFFD9862B },
        { true, true, 0xFFD9862B },
        { true, false, 0xFF35373E },
        { false, false, 0xFF0D0F18 },
    };

    for (const auto& c : cases)
    {
        auto image = looktest::canvas (40, 20);
        {
            juce::Graphics g (image);
            look.drawButtonBackground (g, button, juce::Colours::red, c.highlighted, c.down);
        }

        EXPECT_EQ (pixel (image, 20, 10), juce::Colour (c.fill));
        EXPECT_EQ (pixel (image, 0, 10), VaskelColours::textDim);
        EXPECT_EQ (pixel (image, 39, 10), VaskelColours::textDim);
        EXPECT_EQ (pixel (image, 20, 0), VaskelColours::textDim);
    }
}

TEST_F (LookFixture, ToggleWithoutTextNamesItsStateAndOneWithTextShowsIt)
{
    struct Case
    {
        juce::String buttonText;
        bool on;
        juce::String shown;
        juce::Colour textColour;
    };
    const Case cases[] = {
        { {}, true, "BYPASS", VaskelColours::textDim },
        { {}, false, "REC", VaskelColours::text },
        { "SYNC", true, "SYNC", VaskelColours::textDim },
        { "SYNC", false, "SYNC", VaskelColours::text },
    };

    const juce::Rectangle<float> textBox { 24, 0, 72, 20 };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.buttonText + (c.on ? " on" : " off"));
        juce::ToggleButton toggle (c.buttonText);
        toggle.setSize (100, 20);
        toggle.setToggleState (c.on, juce::dontSendNotification);

        auto image = looktest::canvas (100, 20);
        {
            juce::Graphics g (image);
            look.drawToggleButton (g, toggle, false, false);
        }

        auto reference = looktest::canvas (100, 20);
        {
            juce::Graphics g (reference);
            g.setColour (c.textColour);
            g.setFont (look.getDisplayFont (18.0f));
            g.drawText (c.shown, textBox, juce::Justification::centredLeft, true);
        }

        const juce::Rectangle<int> textArea { 16, 0, 84, 20 };
        EXPECT_FALSE (looktest::isUniform (image, textArea, juce::Colours::black));
        EXPECT_TRUE (looktest::imagesEqual (image, reference, textArea));

        // The lamp: dim when on, red-orange at a clock-driven alpha when off.
        const auto lamp = pixel (image, 10, 10);

        if (c.on)
        {
            EXPECT_EQ (lamp, VaskelColours::textDim);
        }
        else
        {
            EXPECT_GE (lamp.getRed(), 25);
            EXPECT_GT (lamp.getRed(), lamp.getGreen());
            EXPECT_GT (lamp.getGreen(), lamp.getBlue());
        }
    }
}

TEST_F (LookFixture, NarrowToggleDrawsNoText)
{
    juce::ToggleButton toggle ("SYNC");
    toggle.setSize (16, 40);
    toggle.setToggleState (true, juce::dontSendNotification);

    auto image = looktest::canvas (16, 40);
    {
        juce::Graphics g (image);
        look.drawToggleButton (g, toggle, false, false);
    }

    EXPECT_EQ (pixel (image, 8, 20), VaskelColours::textDim);
    EXPECT_TRUE (looktest::isUniform (image, { 12, 0, 4, 40 }, juce::Colours::black));
}

TEST_F (LookFixture, ComboBoxBoxOutlineAndArrow)
{
    juce::ComboBox box;
    box.setSize (100, 24);

    auto image = looktest::canvas (100, 24);
    {
        juce::Graphics g (image);
        look.drawComboBox (g, 100, 24, false, 0, 0, 0, 0, box);
    }

    EXPECT_EQ (pixel (image, 40, 12), VaskelColours::panel);
    EXPECT_EQ (pixel (image, 0, 12), VaskelColours::textDim);
    EXPECT_EQ (pixel (image, 91, 11), VaskelColours::accentGlow);
    EXPECT_EQ (pixel (image, 91, 18), VaskelColours::panel); // below the triangle's tip
}

//==============================================================================
struct FaderFixture : LookFixture
{
    juce::Slider slider { juce::Slider::LinearVertical, juce::Slider::NoTextBox };
    float bottom = 0.0f, top = 0.0f;

    void SetUp() override
    {
        slider.setLookAndFeel (&look);
        slider.setBounds (0, 0, 40, 200);
        setRange (0.0, 1.0);
    }

    void TearDown() override { slider.setLookAndFeel (nullptr); }

    void setRange (double minimum, double maximum)
    {
        slider.setRange (minimum, maximum);
        bottom = (float) slider.getPositionOfValue (minimum);
        top = (float) slider.getPositionOfValue (maximum);
    }

    juce::Image draw (float sliderPos)
    {
        auto image = looktest::canvas (40, 200);
        juce::Graphics g (image);
        look.drawLinearSlider (g, 0, 0, 40, 200, sliderPos, 0.0f, 0.0f, juce::Slider::LinearVertical, slider);
        return image;
    }

    juce::Colour fillColourAt (float y) const
    {
        return VaskelColours::accent.interpolatedWith (VaskelColours::accentGlow, (bottom - y) / (bottom - top));
    }
};

TEST_F (FaderFixture, FillIsAGradientOverTheWholeTravel)
{
    ASSERT_GT (bottom - top, 100.0f);
    const auto image = draw (top);
    const auto mid = std::round ((bottom + top) * 0.5f);

    EXPECT_TRUE (coloursNear (pixel (image, 20, (int) bottom - 1), fillColourAt (bottom - 0.5f), 4));
    EXPECT_TRUE (coloursNear (pixel (image, 20, (int) mid), fillColourAt (mid), 4));
    EXPECT_TRUE (coloursNear (pixel (image, 20, (int) top + 30), fillColourAt (top + 30.0f), 4));

    // The fill covers the track's outline; beside the track the area stays black.
    EXPECT_TRUE (coloursNear (pixel (image, 17, (int) mid), fillColourAt (mid), 4));
    EXPECT_EQ (pixel (image, 5, (int) mid), juce::Colours::black);
}

TEST_F (FaderFixture, MinimumShowsTheBareTrackAndTheCapOnTheValue)
{
    const auto image = draw (bottom);

    EXPECT_EQ (pixel (image, 20, (int) top + 20), VaskelColours::track);
    EXPECT_TRUE (coloursNear (pixel (image, 17, (int) top + 20),
                              looktest::over (VaskelColours::track, VaskelColours::textDim.withAlpha (0.5f)), 1));
    // The cap is as wide as the area; its groove is a dark line across it.
    EXPECT_NE (pixel (image, 1, (int) bottom - 3), juce::Colours::black);
    EXPECT_LT (pixel (image, 10, (int) bottom).getBrightness(), pixel (image, 10, (int) bottom - 3).getBrightness());
}

TEST_F (FaderFixture, ZeroLineOnlyForRangesThatStraddleZero)
{
    struct Case
    {
        double minimum, maximum;
        bool line;
    };
    const Case cases[] = { { -24, 24, true }, { -60, 12, true }, { 0, 100, false }, { -10, 0, false } };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.minimum) + " ... " + juce::String (c.maximum));
        setRange (c.minimum, c.maximum);
        const auto image = draw (top); // cap at the top, away from the zero line

        int brightestRow = -1;
        float brightest = 0.0f;

        for (int y = (int) top + 15; y < 200; ++y)
        {
            if (pixel (image, 3, y).getBrightness() > brightest)
            {
                brightest = pixel (image, 3, y).getBrightness();
                brightestRow = y;
            }
        }

        if (c.line)
        {
            const auto zeroY = (float) slider.getPositionOfValue (0.0);
            EXPECT_NEAR ((float) brightestRow, zeroY, 1.0f);
            EXPECT_GT (brightest, 0.2f);
        }
        else
        {
            EXPECT_EQ (brightestRow, -1);
        }
    }
}

//==============================================================================
TEST_F (LookFixture, KnobValueArcFollowsThePosition)
{
    juce::Slider knob (juce::Slider::RotaryVerticalDrag, juce::Slider::NoTextBox);
    const auto pi = juce::MathConstants<float>::pi;

    const auto render = [&] (float pos)
    {
        auto image = looktest::canvas (46, 46);
        juce::Graphics g (image);
        look.drawRotarySlider (g, 0, 0, 46, 46, pos, 1.2f * pi, 2.8f * pi, knob);
        return image;
    };

    // 12 o'clock is half-way along the travel; the arc there is in the
    // gradient's middle, between accent and glow.
    const auto full = render (1.0f);
    const auto empty = render (0.0f);
    const auto arcPixel = pixel (full, 23, 7);

    EXPECT_TRUE (coloursNear (arcPixel, VaskelColours::accent.interpolatedWith (VaskelColours::accentGlow, 0.5f), 12));
    EXPECT_LT (pixel (empty, 23, 7).getBrightness(), 0.1f);

    // The pointer glows towards the value: at 12 o'clock for pos 0.5.
    const auto half = render (0.5f);
    EXPECT_GT (pixel (half, 23, 14).getRed(), 200);
    EXPECT_LT (pixel (full, 23, 14).getRed(), pixel (half, 23, 14).getRed());
}

//==============================================================================
// Nothing is saved or restored: what a drawing sets last stays current.
TEST_F (LookFixture, DrawingsLeaveTheirLastColourCurrent)
{
    juce::TextButton button ("TAP");
    button.setSize (40, 20);
    juce::ToggleButton toggle;
    toggle.setSize (100, 20);
    juce::ComboBox box;
    box.setSize (100, 24);
    juce::Slider slider (juce::Slider::LinearVertical, juce::Slider::NoTextBox);
    slider.setBounds (0, 0, 40, 200);

    struct Case
    {
        const char* name;
        std::function<void (juce::Graphics&)> draw;
        juce::Colour expected;
    };
    const Case cases[] = {
        { "button", [&] (juce::Graphics& g) { look.drawButtonBackground (g, button, {}, false, false); },
          VaskelColours::textDim },
        { "toggle", [&] (juce::Graphics& g) { look.drawToggleButton (g, toggle, false, false); }, VaskelColours::text },
        { "combo", [&] (juce::Graphics& g) { look.drawComboBox (g, 100, 24, false, 0, 0, 0, 0, box); },
          VaskelColours::accentGlow },
        { "fader",
          [&] (juce::Graphics& g)
          { look.drawLinearSlider (g, 0, 0, 40, 200, 100.0f, 0, 0, juce::Slider::LinearVertical, slider); },
          VaskelColours::background.withAlpha (0.6f) },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (c.name);
        auto image = looktest::clearCanvas (300, 300);
        {
            juce::Graphics g (image);
            c.draw (g);
            g.fillRect (250, 250, 10, 10);
        }

        EXPECT_TRUE (coloursNear (pixel (image, 255, 255), c.expected, 2));
    }
}
