#include "EditorTestAccess.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// Exact captures of the whole window, compared byte for byte (premultiplied
// ARGB, every channel) with renders stored in tests/editor/reference/captures.
// Unlike the reference picture they allow no tolerance at all: they pin the
// pixels at several sizes and scales, and after a repaint of a few small
// regions, so that a change in how the editor gets its pixels on screen
// (repainting less, cached layers, opaque widgets) shows as a difference of a
// single level. Regenerate them with scripts/regenerate-editor-reference only
// after an intended visual change.

namespace
{
using Rect = juce::Rectangle<int>;

bool regeneratingCaptures()
{
    return juce::SystemStats::getEnvironmentVariable ("QUORLIN_REGENERATE_EDITOR_CAPTURES", {}).isNotEmpty();
}

juce::File captureFile (const juce::String& name)
{
    return juce::File (QUORLIN_TEST_DATA_DIR).getChildFile ("editor/reference/captures/" + name + ".png");
}

// The off lamp pulses with the clock; the captures draw it at chosen moments.
double lampNowMs = 1000.0;
double lampClock() { return lampNowMs; }

// A render's premultiplied pixels, row by row.
struct Capture
{
    int width = 0, height = 0;
    std::vector<juce::uint32> argb;

    juce::uint32 at (int x, int y) const { return argb[(size_t) (y * width + x)]; }
};

Capture captureOf (const juce::Image& image)
{
    Capture c { image.getWidth(), image.getHeight(), {} };
    const auto argbImage = image.convertedToFormat (juce::Image::ARGB);
    const juce::Image::BitmapData data (argbImage, juce::Image::BitmapData::readOnly);

    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x)
            c.argb.push_back (reinterpret_cast<const juce::PixelARGB*> (data.getPixelPointer (x, y))->getNativeARGB());

    return c;
}

// A PNG keeps ARGB unpremultiplied, which loses levels at partial alpha, so a
// capture is stored as an opaque picture twice the height: the premultiplied
// colour above, the alpha as grey below.
juce::Image encode (const Capture& c)
{
    juce::Image image (juce::Image::RGB, c.width, 2 * c.height, false);

    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x)
        {
            const auto p = c.at (x, y);
            const auto a = (juce::uint8) (p >> 24);
            image.setPixelAt (x, y, juce::Colour ((juce::uint8) (p >> 16), (juce::uint8) (p >> 8), (juce::uint8) p));
            image.setPixelAt (x, c.height + y, juce::Colour (a, a, a));
        }

    return image;
}

Capture decode (const juce::Image& image)
{
    Capture c { image.getWidth(), image.getHeight() / 2, {} };

    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x)
        {
            const auto colour = image.getPixelAt (x, y);
            const auto alpha = image.getPixelAt (x, c.height + y).getRed();
            c.argb.push_back (((juce::uint32) alpha << 24) | ((juce::uint32) colour.getRed() << 16) |
                              ((juce::uint32) colour.getGreen() << 8) | (juce::uint32) colour.getBlue());
        }

    return c;
}

bool write (const Capture& c, const juce::File& file)
{
    file.getParentDirectory().createDirectory();
    file.deleteFile();
    juce::FileOutputStream out (file);
    return out.openedOk() && juce::PNGImageFormat().writeImageToStream (encode (c), out);
}

// Compares a render with its stored capture (or stores it when regenerating).
void expectMatchesCapture (const juce::Image& image, const juce::String& name)
{
    SCOPED_TRACE (name.toStdString());
    const auto actual = captureOf (image);
    const auto file = captureFile (name);

    if (regeneratingCaptures())
    {
        ASSERT_TRUE (write (actual, file)) << file.getFullPathName();
        return;
    }

    const auto stored = juce::ImageFileFormat::loadFrom (file);
    ASSERT_TRUE (stored.isValid()) << "missing " << file.getFullPathName()
                                   << "; run scripts/regenerate-editor-reference";
    const auto expected = decode (stored);
    ASSERT_EQ (actual.width, expected.width);
    ASSERT_EQ (actual.height, expected.height);

    int differing = 0;
    juce::Point<int> first;

    for (int y = 0; y < actual.height; ++y)
        for (int x = 0; x < actual.width; ++x)
            if (actual.at (x, y) != expected.at (x, y) && differing++ == 0)
                first = { x, y };

    if (differing > 0)
    {
        const auto actualFile = juce::File::getSpecialLocation (juce::File::tempDirectory)
                                    .getChildFile ("editor-capture-" + name + "-actual.png");
        write (actual, actualFile);
        ADD_FAILURE() << differing << " pixels differ, the first at " << first.toString() << ": 0x"
                      << juce::String::toHexString ((int) actual.at (first.x, first.y)) << " instead of 0x"
                      << juce::String::toHexString ((int) expected.at (first.x, first.y))
                      << "; this render: " << actualFile.getFullPathName();
    }
}

struct CaptureFixture : ::testing::Test
{
    CaptureFixture()
    {
        lampNowMs = 1000.0; // alpha 0.61: the lamp is part-lit
        access.look().setLampClock (&lampClock);
        showLevels (-30.0f, -12.0f);
    }

    // The meters take the levels (and the label its tempo) at a tick.
    void showLevels (float inputDb, float outputDb)
    {
        processor.inputLevelDb = inputDb;
        processor.outputLevelDb = outputDb;
        editor->timerCallback();
    }

    juce::Image render (float scale = 1.0f) const
    {
        return editor->createComponentSnapshot (editor->getLocalBounds(), true, scale);
    }

    VaskelQuorlinProcessor processor;
    std::unique_ptr<VaskelQuorlinEditor> editor = std::make_unique<VaskelQuorlinEditor> (processor);
    VaskelQuorlinEditorTestAccess access { *editor };
};

struct CaptureSize
{
    const char* name;
    int width, height;
    float scale;
};

const CaptureSize captureSizes[] = {
    { "1180x560", 1180, 560, 1.0f },      // the default size
    { "1180x560@1.5x", 1180, 560, 1.5f }, // a display scaled by 150 %
    { "240x300", 240, 300, 1.0f },        // so narrow that the side and tempo columns overlap
    { "240x300@2x", 240, 300, 2.0f },
    { "1x1", 1, 1, 1.0f }, // the framework's default constrainer allows down to 0 x 0
};
} // namespace

TEST_F (CaptureFixture, RendersAtEverySizeAndScaleMatchTheirCaptures)
{
    // One window resized from size to size, as a host or the corner grip does.
    for (const auto& size : captureSizes)
    {
        editor->setSize (size.width, size.height);
        expectMatchesCapture (render (size.scale), size.name);
    }

    // The smallest size of all has no pixel to draw.
    editor->setSize (0, 0);
    EXPECT_FALSE (render().isValid());

    // Back at the default size the picture is what it was.
    editor->setSize (1180, 560);
    expectMatchesCapture (render(), "1180x560");
}

TEST_F (CaptureFixture, ARepaintOfSmallRegionsMatchesItsCapture)
{
    auto frame = render();

    // New levels and a later moment of the lamp's pulse, then a repaint of
    // only these regions into the same picture, as a window repaints after
    // the widgets in them change: the lamp's cell, the arc meter, the input
    // meter, and a band from the output column's panel edge, across the top
    // of its meter and part of its fader, to the window's right edge.
    //
    // The band ends at the window's edge on purpose. The software renderer
    // gives a path that runs past the right edge of the clip's bounding box
    // 255/256 coverage in that box's last column, so a repaint whose regions
    // end left of the window's edge shows that column a level or two fainter
    // than a whole render does.
    lampNowMs = 1700.0;
    showLevels (-9.0f, -2.5f);

    juce::RectangleList<int> regions;
    regions.add (Rect (1038, 26, 38, 38));
    regions.add (Rect (944, 28, 92, 34));
    regions.add (Rect (30, 90, 16, 416));
    regions.add (Rect (1060, 80, 120, 200));

    for (const auto& r : regions)
        frame.clear (r);

    {
        juce::LowLevelGraphicsSoftwareRenderer context (frame, {}, regions);
        juce::Graphics g (context);
        editor->paintEntireComponent (g, true);
    }

    expectMatchesCapture (frame, "1180x560-after-partial-repaint");

    // Inside the regions the repaint is what a whole new render shows.
    const auto fresh = captureOf (render());
    const auto repainted = captureOf (frame);

    for (const auto& r : regions)
        for (int y = r.getY(); y < r.getBottom(); ++y)
            for (int x = r.getX(); x < r.getRight(); ++x)
                ASSERT_EQ (repainted.at (x, y), fresh.at (x, y)) << x << ", " << y;
}
