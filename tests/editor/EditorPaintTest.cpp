#include "EditorTestAccess.h"

#include "editor/VaskelColours.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace
{
using Rect = juce::Rectangle<int>;

// The reference picture of the whole window at its default size. Regenerate
// it with scripts/regenerate-editor-reference after an intended visual change.
juce::File referenceFile()
{
    return juce::File (QUORLIN_TEST_DATA_DIR).getChildFile ("editor/reference/editor-1180x560.png");
}

bool regeneratingReference()
{
    return juce::SystemStats::getEnvironmentVariable ("QUORLIN_REGENERATE_EDITOR_REFERENCE", {}).isNotEmpty();
}

// The bypass lamp pulses with the clock, so its cell is left out of the
// comparison (the lamp is drawn in the square at the button's left).
const Rect bypassLampCell { 1038, 26, 38, 38 };

struct PaintFixture : ::testing::Test
{
    VaskelQuorlinProcessor processor;
    std::unique_ptr<VaskelQuorlinEditor> editor = std::make_unique<VaskelQuorlinEditor> (processor);
    VaskelQuorlinEditorTestAccess access { *editor };

    PaintFixture()
    {
        editor->timerCallback(); // the tempo label gets its text
    }

    // The whole window with its children, on a transparent software image.
    juce::Image render() const { return editor->createComponentSnapshot (editor->getLocalBounds(), true, 1.0f); }
};

int luminance (juce::Colour c) { return (c.getRed() * 3 + c.getGreen() * 6 + c.getBlue()) / 10; }

int maxChannelDifference (juce::Colour a, juce::Colour b)
{
    const auto pa = a.getPixelARGB(), pb = b.getPixelARGB(); // premultiplied
    return juce::jmax (
        std::abs ((int) pa.getAlpha() - (int) pb.getAlpha()), std::abs ((int) pa.getRed() - (int) pb.getRed()),
        std::abs ((int) pa.getGreen() - (int) pb.getGreen()), std::abs ((int) pa.getBlue() - (int) pb.getBlue()));
}

// The largest channel difference between two renders inside an area.
int maxDifferenceIn (const juce::Image& a, const juce::Image& b, Rect area)
{
    int largest = 0;

    for (int y = area.getY(); y < area.getBottom(); ++y)
        for (int x = area.getX(); x < area.getRight(); ++x)
            largest = juce::jmax (largest, maxChannelDifference (a.getPixelAt (x, y), b.getPixelAt (x, y)));

    return largest;
}
} // namespace

TEST_F (PaintFixture, TheCornersOutsideTheChassisStayUntouched)
{
    // The editor's own picture, without its children.
    juce::Image own (juce::Image::ARGB, 1180, 560, true);
    {
        juce::Graphics g (own);
        editor->paint (g);
    }

    const auto image = render();
    ASSERT_EQ (image.getBounds(), Rect (0, 0, 1180, 560));

    for (auto corner : { juce::Point<int> (0, 0), { 1179, 0 }, { 0, 559 }, { 1179, 559 } })
    {
        SCOPED_TRACE (corner.toString());
        EXPECT_EQ (own.getPixelAt (corner.x, corner.y).getAlpha(), 0);

        // Two pixels in along the diagonal is still outside the 14-pixel rounding.
        const auto inward = juce::Point<int> (corner.x == 0 ? 2 : corner.x - 2, corner.y == 0 ? 2 : corner.y - 2);
        EXPECT_EQ (own.getPixelAt (inward.x, inward.y).getAlpha(), 0);

        // With the children too, except where the framework's corner grip sits.
        if (corner != juce::Point<int> (1179, 559))
            EXPECT_EQ (image.getPixelAt (corner.x, corner.y).getAlpha(), 0);
    }

    // The chassis itself is opaque.
    EXPECT_EQ (own.getPixelAt (590, 8).getAlpha(), 255);
    EXPECT_EQ (own.getPixelAt (14, 280).getAlpha(), 255);
}

TEST_F (PaintFixture, ScrewsSitInTheCorners)
{
    const auto image = render();

    // Screw boxes at (12, 12), (1155, 12), (12, 535), (1155, 535), 13 x 13.
    for (auto box :
         { Rect (12, 12, 13, 13), Rect (1155, 12, 13, 13), Rect (12, 535, 13, 13), Rect (1155, 535, 13, 13) })
    {
        SCOPED_TRACE (box.toString());
        const auto chassis = image.getPixelAt (box.getCentreX(), box.getY() - 4); // between screw and panels
        const auto head = image.getPixelAt (box.getX() + 6, box.getY() + 2);      // lit dome, off the slot lines
        const auto centre = image.getPixelAt (box.getX() + 6, box.getY() + 6);    // where the slots cross

        EXPECT_GT (luminance (head), luminance (chassis) + 20);
        EXPECT_LT (luminance (centre), luminance (head) - 20);
    }
}

TEST_F (PaintFixture, AccentedPanelsAreTintedAndPlainOnesAreNot)
{
    const auto image = render();

    // Pairs of points at the same height in the margins of the panels, where
    // no control covers them: an accented panel and a plain one.
    const std::pair<juce::Point<int>, juce::Point<int>> pairs[] = {
        { { 25, 300 }, { 133, 300 } },   // input column / module area beside the gate column
        { { 366, 300 }, { 253, 300 } },  // tone column / module area in the drive column
        { { 1061, 300 }, { 953, 300 } }, // output column / tempo column
    };

    // The orange tint lifts red over blue by about a tenth of the accent's difference.
    const auto redOverBlue = [&] (juce::Point<int> p)
    {
        const auto c = image.getPixelAt (p.x, p.y);
        return (int) c.getRed() - (int) c.getBlue();
    };

    for (auto& [accented, plain] : pairs)
    {
        SCOPED_TRACE (accented.toString() + " / " + plain.toString());
        EXPECT_GE (redOverBlue (accented) - redOverBlue (plain), 12);
        EXPECT_LT (redOverBlue (plain), 0); // the bluish chassis shows through
    }
}

TEST_F (PaintFixture, TheFooterCarriesTheNameAndTheMakersDomain)
{
    const auto image = render();

    // The footer rectangle is (16, 541, 1148, 16); count pixels that the dim
    // text brightened well above the chassis.
    const auto background = image.getPixelAt (600, 549);
    const auto countText = [&] (Rect area)
    {
        int count = 0;
        for (int y = area.getY(); y < area.getBottom(); ++y)
            for (int x = area.getX(); x < area.getRight(); ++x)
                if (luminance (image.getPixelAt (x, y)) > luminance (background) + 30)
                    ++count;
        return count;
    };

    EXPECT_GT (countText ({ 16, 541, 200, 16 }), 40);   // "Tessarwood Quorlin 0.0.1", left
    EXPECT_GT (countText ({ 1000, 541, 164, 16 }), 40); // "tessarwood.example", right
    EXPECT_EQ (countText ({ 500, 541, 180, 16 }), 0);   // nothing in the middle
}

TEST_F (PaintFixture, TheImagesAreFaintWatermarksInTheTitleArea)
{
    const auto withBoth = render();

    // Without the emblem the wordmark moves, but the emblem's box only loses the emblem.
    auto emblem = access.emblemImage();
    access.emblemImage() = {};
    const auto withoutEmblem = render();
    access.emblemImage() = emblem;

    auto wordmark = access.wordmarkImage();
    access.wordmarkImage() = {};
    const auto withoutWordmark = render();
    access.wordmarkImage() = wordmark;

    // The emblem is drawn 33.6 x 38 at x 34.2 in its box (32, 26, 38, 38), at
    // about 6 % opacity: its brightest parts lift the header by some 13 levels.
    const auto emblemInk = maxDifferenceIn (withBoth, withoutEmblem, { 35, 26, 32, 38 });
    EXPECT_GE (emblemInk, 6);
    EXPECT_LE (emblemInk, 20);
    EXPECT_EQ (maxDifferenceIn (withBoth, withoutEmblem, { 26, 26, 8, 38 }), 0);
    EXPECT_EQ (maxDifferenceIn (withBoth, withoutEmblem, { 69, 26, 300, 38 }), 0);

    // The wordmark is drawn 92.6 x 24 from the left edge of its box (405, 33, 200, 24).
    const auto wordmarkInk = maxDifferenceIn (withBoth, withoutWordmark, { 405, 33, 93, 24 });
    EXPECT_GE (wordmarkInk, 6);
    EXPECT_LE (wordmarkInk, 20);
    EXPECT_EQ (maxDifferenceIn (withBoth, withoutWordmark, { 380, 26, 24, 38 }), 0);
    EXPECT_EQ (maxDifferenceIn (withBoth, withoutWordmark, { 499, 26, 120, 38 }), 0);
}

TEST_F (PaintFixture, MatchesTheReferenceImage)
{
    const auto image = render();
    const auto reference = referenceFile();

    if (regeneratingReference())
    {
        reference.getParentDirectory().createDirectory();
        reference.deleteFile();
        juce::FileOutputStream out (reference);
        ASSERT_TRUE (out.openedOk()) << reference.getFullPathName();
        ASSERT_TRUE (juce::PNGImageFormat().writeImageToStream (image, out));
        GTEST_SKIP() << "wrote " << reference.getFullPathName();
    }

    const auto expected = juce::ImageFileFormat::loadFrom (reference);
    ASSERT_TRUE (expected.isValid()) << "missing " << reference.getFullPathName()
                                     << "; run scripts/regenerate-editor-reference";
    ASSERT_EQ (expected.getBounds(), image.getBounds());

    // A small per-pixel tolerance for rounding in the renderer, and a small
    // share of pixels that may differ beyond it (anti-aliased edges).
    constexpr int tolerance = 8;
    int differing = 0, compared = 0, largest = 0;

    for (int y = 0; y < image.getHeight(); ++y)
        for (int x = 0; x < image.getWidth(); ++x)
        {
            if (bypassLampCell.contains (x, y))
                continue;

            ++compared;
            const auto d = maxChannelDifference (image.getPixelAt (x, y), expected.getPixelAt (x, y));
            largest = juce::jmax (largest, d);

            if (d > tolerance)
                ++differing;
        }

    const auto share = (double) differing / (double) compared;

    if (share > 0.001)
    {
        const auto actualFile =
            juce::File::getSpecialLocation (juce::File::tempDirectory).getChildFile ("editor-1180x560-actual.png");
        actualFile.deleteFile();
        juce::FileOutputStream out (actualFile);
        juce::PNGImageFormat().writeImageToStream (image, out);
        ADD_FAILURE() << differing << " pixels (" << share * 100.0 << " %) differ by more than " << tolerance
                      << " (largest " << largest << "); this render: " << actualFile.getFullPathName();
    }
}
