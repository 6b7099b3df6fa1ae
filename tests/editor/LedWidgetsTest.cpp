#include "LookTestSupport.h"

#include "editor/LedWidgets.h"

using looktest::coloursNear;
using looktest::pixel;

namespace
{
void expectNear (juce::Rectangle<float> actual, juce::Rectangle<float> expected)
{
    EXPECT_NEAR (actual.getX(), expected.getX(), 1.0e-5f) << actual.toString();
    EXPECT_NEAR (actual.getY(), expected.getY(), 1.0e-5f) << actual.toString();
    EXPECT_NEAR (actual.getWidth(), expected.getWidth(), 1.0e-5f) << actual.toString();
    EXPECT_NEAR (actual.getHeight(), expected.getHeight(), 1.0e-5f) << actual.toString();
}

struct LedFixture : ::testing::Test
{
    VaskelLookAndFeel look { looktest::editorAccents() };
};

struct SelectorFixture : LedFixture
{
    VaskelLedStackSelector selector;
    std::vector<int> reported;

    void SetUp() override
    {
        selector.setSize (105, 48);
        selector.setChoices ({ "Tube", "Fuzz", "Boost" });
        selector.onChange = [this] (int index) { reported.push_back (index); };
    }

    void releaseAt (int x, int y, juce::ModifierKeys buttons = juce::ModifierKeys::leftButtonModifier)
    {
        selector.mouseUp (looktest::mouseEventAt (selector, x, y, buttons));
    }

    juce::Image render()
    {
        auto image = looktest::clearCanvas (selector.getWidth(), selector.getHeight());
        juce::Graphics g (image);
        selector.paint (g);
        return image;
    }
};
} // namespace

//==============================================================================
TEST_F (LedFixture, LedButtonHasNoTextAndClicksToggleIt)
{
    VaskelLedButton button;

    EXPECT_TRUE (button.getName().isEmpty());
    EXPECT_TRUE (button.getButtonText().isEmpty());
    EXPECT_TRUE (button.getClickingTogglesState());
}

TEST_F (LedFixture, LedButtonColourFollowsStateAndHoverOnly)
{
    VaskelLedButton button;
    button.setSize (18, 18);

    const auto render = [&] (bool on, bool highlighted, bool down)
    {
        button.setToggleState (on, juce::dontSendNotification);
        auto image = looktest::clearCanvas (18, 18);
        juce::Graphics g (image);
        button.paintButton (g, highlighted, down);
        return image;
    };

    // Near the centre the white spot shows; towards the lower right the
    // gradient is past the colour's own stop and carries the colour's alpha.
    const auto lit = render (true, false, false);
    EXPECT_GT (pixel (lit, 9, 9).getRed(), 240);
    EXPECT_GT (pixel (lit, 9, 9).getGreen(), pixel (lit, 9, 9).getBlue());
    EXPECT_EQ (pixel (lit, 9, 9).getAlpha(), 255);

    const auto idle = render (false, false, false);
    const auto hovered = render (false, true, false);
    EXPECT_NEAR (pixel (idle, 13, 13).getAlpha(), 0x59, 1);
    EXPECT_NEAR (pixel (hovered, 13, 13).getAlpha(), 0x99, 1);
    EXPECT_EQ (pixel (lit, 13, 13).getAlpha(), 255);

    // Pressed looks exactly like hovered.
    EXPECT_TRUE (looktest::imagesEqual (render (false, true, true), hovered, { 0, 0, 18, 18 }));
    EXPECT_TRUE (looktest::imagesEqual (render (true, true, true), render (true, false, false), { 0, 0, 18, 18 }));
}

//==============================================================================
TEST (LedStackGeometry, RowsAndHitTesting)
{
    EXPECT_EQ (LedStackGeometry::rowHeight (48, 3), 16);
    EXPECT_EQ (LedStackGeometry::rowHeight (50, 3), 16);
    EXPECT_EQ (LedStackGeometry::rowHeight (2, 3), 0);
    EXPECT_EQ (LedStackGeometry::rowHeight (48, 0), 0);
    EXPECT_EQ (LedStackGeometry::rowAt (10, 48, 0), -1);

    expectNear (LedStackGeometry::dotBounds (0, 105, 16), { 4.8f, 4.8f, 6.4f, 6.4f });
    expectNear (LedStackGeometry::dotBounds (2, 110, 16), { 4.8f, 36.8f, 6.4f, 6.4f });
    EXPECT_EQ (LedStackGeometry::textBounds (1, 105, 16), juce::Rectangle<int> (18, 16, 85, 16));

    // Narrower than a row: the dot's cell shrinks to the width, the text box to nothing.
    const auto narrowDot = LedStackGeometry::dotBounds (0, 10, 16);
    EXPECT_NEAR (narrowDot.getWidth(), 0.4f, 1.0e-5f);
    EXPECT_NEAR (narrowDot.getHeight(), 6.4f, 1.0e-5f);
    EXPECT_EQ (LedStackGeometry::textBounds (0, 10, 16).getWidth(), 0);
    EXPECT_EQ (LedStackGeometry::dotBounds (0, 3, 16).getWidth(), 0.0f);
}

TEST_F (SelectorFixture, ReleaseChoosesTheRowUnderItClampedToTheRows)
{
    struct Case
    {
        int x, y, row;
    };
    const Case cases[] = {
        { 50, -30, 0 },                                               // above the selector
        { 50, 0, 0 },   { 50, 15, 0 }, { 50, 16, 1 }, { -40, 20, 1 }, // x never matters
        { 900, 31, 1 }, { 50, 32, 2 }, { 50, 47, 2 }, { 50, 48, 2 },  // below the last row
        { 50, 500, 2 },
    };

    for (const auto& c : cases)
    {
        SCOPED_TRACE (juce::String (c.x) + ", " + juce::String (c.y));
        reported.clear();
        releaseAt (c.x, c.y);
        EXPECT_EQ (selector.getSelectedIndex(), c.row);
        EXPECT_EQ (reported, std::vector<int> { c.row });
    }
}

TEST_F (SelectorFixture, EveryReleaseReportsAlsoOnTheLitRow)
{
    selector.setSelectedIndex (1);
    releaseAt (10, 20);
    releaseAt (10, 20); // a double click: once per release
    releaseAt (10, 40, juce::ModifierKeys::rightButtonModifier);

    EXPECT_EQ (reported, (std::vector<int> { 1, 1, 2 }));
    EXPECT_EQ (selector.getSelectedIndex(), 2);
}

TEST_F (SelectorFixture, LeftOverPixelsBelowTheRowsBelongToTheLastRow)
{
    selector.setSize (105, 50); // rows of 16, two pixels left over
    releaseAt (10, 49);
    EXPECT_EQ (selector.getSelectedIndex(), 2);
}

TEST_F (SelectorFixture, ZeroRowHeightPicksRowYClamped)
{
    selector.setSize (105, 2);

    for (const auto& [y, row] : { std::pair { 0, 0 }, { 1, 1 }, { 2, 2 }, { 7, 2 }, { -3, 0 } })
    {
        releaseAt (5, y);
        EXPECT_EQ (selector.getSelectedIndex(), row) << "y " << y;
    }

    // Zero-height rows draw nothing visible.
    EXPECT_TRUE (looktest::isUniform (render(), { 0, 0, 105, 2 }, juce::Colour()));
}

TEST_F (SelectorFixture, EmptySelectorIgnoresReleasesAndDrawsNothing)
{
    selector.setChoices ({});
    selector.setSelectedIndex (1);
    releaseAt (10, 20);

    EXPECT_TRUE (reported.empty());
    EXPECT_EQ (selector.getSelectedIndex(), 1);
    EXPECT_TRUE (looktest::isUniform (render(), { 0, 0, 105, 48 }, juce::Colour()));
}

TEST_F (SelectorFixture, SetSelectedIndexStoresAnyValueWithoutReporting)
{
    for (const auto index : { -1, 3, 99, 0 })
    {
        selector.setSelectedIndex (index);
        EXPECT_EQ (selector.getSelectedIndex(), index);
    }

    EXPECT_TRUE (reported.empty());
}

TEST_F (SelectorFixture, SetChoicesKeepsTheSelection)
{
    selector.setSelectedIndex (2);
    selector.setChoices ({ "Room", "Plate", "Hall" });

    EXPECT_EQ (selector.getSelectedIndex(), 2);
    EXPECT_EQ (selector.getChoices(), juce::StringArray ({ "Room", "Plate", "Hall" }));
}

TEST_F (SelectorFixture, OnlyTheSelectedRowIsLit)
{
    const auto unlitDot = VaskelColours::textDim.withAlpha (0.4f);

    selector.setSelectedIndex (1);
    auto image = render();
    EXPECT_TRUE (coloursNear (pixel (image, 8, 8), unlitDot, 2));
    EXPECT_EQ (pixel (image, 8, 24), VaskelColours::accentGlow);
    EXPECT_TRUE (coloursNear (pixel (image, 8, 40), unlitDot, 2));

    // Nothing behind the rows: the gaps stay transparent.
    EXPECT_EQ (pixel (image, 1, 1).getAlpha(), 0);
    EXPECT_EQ (pixel (image, 16, 24).getAlpha(), 0);

    // Texts in their own colours: the lit row's brightest pixel is `text`, the others' `textDim`.
    const auto brightestIn = [&image] (juce::Rectangle<int> area)
    {
        juce::Colour best;

        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                if (image.getPixelAt (x, y).getAlpha() > best.getAlpha())
                    best = image.getPixelAt (x, y);

        return best;
    };

    EXPECT_TRUE (coloursNear (brightestIn ({ 18, 16, 85, 16 }), VaskelColours::text, 24));
    EXPECT_TRUE (coloursNear (brightestIn ({ 18, 0, 85, 16 }), VaskelColours::textDim, 24));

    // An index outside the rows lights none.
    for (const auto index : { -1, 3 })
    {
        selector.setSelectedIndex (index);
        image = render();

        for (const auto y : { 8, 24, 40 })
            EXPECT_TRUE (coloursNear (pixel (image, 8, y), unlitDot, 2)) << "index " << index << ", y " << y;
    }
}
