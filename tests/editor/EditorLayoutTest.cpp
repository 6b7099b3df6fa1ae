#include "EditorTestAccess.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

namespace
{
using Rect = juce::Rectangle<int>;

struct LayoutFixture : ::testing::Test
{
    VaskelQuorlinProcessor processor;
    std::unique_ptr<VaskelQuorlinEditor> editor = std::make_unique<VaskelQuorlinEditor> (processor);
    VaskelQuorlinEditorTestAccess access { *editor };

    // A stored rectangle or a control's bounds, by member name.
    Rect boundsOf (const juce::String& name) const
    {
        for (auto& [n, r] : access.rectangles())
            if (n == name)
                return r;

        return access.control (name).getBounds();
    }
};

struct Expected
{
    const char* name;
    Rect bounds;
};

// The layout at the default size, 1180 x 560.
const Expected defaultLayout[] = {
    { "headerArea", { 22, 18, 1136, 54 } },
    { "bypassButton", { 1038, 26, 110, 38 } },
    { "vuMeter", { 944, 28, 92, 34 } },
    { "titleArea", { 32, 26, 900, 38 } },
    { "inputColumn", { 22, 82, 100, 452 } },
    { "moduleArea", { 130, 82, 812, 452 } },
    { "tempoColumn", { 950, 82, 100, 452 } },
    { "outputColumn", { 1058, 82, 100, 452 } },
    { "inputCaption", { 30, 506, 84, 20 } },
    { "inputMeter", { 30, 90, 16, 416 } },
    { "inputFader", { 46, 90, 68, 416 } },
    { "toneColumn", { 364, 90, 113, 436 } },
    { "modColumn", { 590, 90, 113, 436 } },
    { "spaceColumn", { 703, 90, 113, 436 } },
    { "echoColumn", { 816, 90, 118, 436 } },
    { "gateCaption", { 142, 502, 105, 20 } },
    { "gateSelector", { 142, 94, 105, 48 } },
    { "gateFader", { 142, 142, 105, 360 } },
    { "driveCaption", { 255, 502, 105, 20 } },
    { "driveLed", { 298, 96, 18, 18 } },
    { "driveSelector", { 255, 116, 105, 48 } },
    { "driveFader", { 255, 164, 105, 338 } },
    { "toneCaption", { 368, 502, 105, 20 } },
    { "toneLed", { 411, 96, 18, 18 } },
    { "midFreqKnob", { 397, 119, 46, 46 } },
    { "midFreqCaption", { 368, 168, 105, 14 } },
    { "toneSelector", { 368, 182, 105, 48 } },
    { "toneFader", { 368, 230, 105, 272 } },
    { "cabCaption", { 481, 502, 105, 20 } },
    { "cabLed", { 524, 96, 18, 18 } },
    { "cabSelector", { 481, 124, 105, 48 } },
    { "modCaption", { 368 + 226, 502, 105, 20 } },
    { "modLed", { 411 + 226, 96, 18, 18 } },
    { "modRateKnob", { 397 + 226, 119, 46, 46 } },
    { "modRateCaption", { 368 + 226, 168, 105, 14 } },
    { "modSelector", { 368 + 226, 182, 105, 48 } },
    { "modFader", { 368 + 226, 230, 105, 272 } },
    { "spaceCaption", { 368 + 339, 502, 105, 20 } },
    { "spaceLed", { 411 + 339, 96, 18, 18 } },
    { "preDelayKnob", { 397 + 339, 119, 46, 46 } },
    { "preDelayCaption", { 368 + 339, 168, 105, 14 } },
    { "spaceSelector", { 368 + 339, 182, 105, 48 } },
    { "spaceFader", { 368 + 339, 230, 105, 272 } },
    { "echoCaption", { 820, 502, 110, 20 } },
    { "echoLed", { 866, 96, 18, 18 } },
    { "feedbackKnob", { 852, 119, 46, 46 } },
    { "feedbackCaption", { 820, 168, 110, 14 } },
    { "echoSelector", { 820, 182, 110, 48 } },
    { "echoFader", { 820, 230, 110, 272 } },
    { "tapButton", { 958, 90, 84, 24 } },
    { "bpmLabel", { 958, 114, 84, 16 } },
    { "syncButton", { 958, 130, 84, 18 } },
    { "blendCaption", { 958, 506, 84, 20 } },
    { "blendFader", { 958, 148, 84, 358 } },
    { "outputCaption", { 1066, 506, 84, 20 } },
    { "outputMeter", { 1066, 90, 16, 416 } },
    { "outputFader", { 1082, 90, 68, 416 } },
};

// Records the order in which the controls get new bounds.
struct MoveRecorder : juce::ComponentListener
{
    void componentMovedOrResized (juce::Component& c, bool, bool) override { order.add (c.getName()); }
    juce::StringArray order;
};

const char* const boundsOrder[] = {
    "bypassButton",    "vuMeter",       "inputCaption",  "inputMeter",     "inputFader",    "gateCaption",
    "gateSelector",    "gateFader",     "driveCaption",  "driveLed",       "driveSelector", "driveFader",
    "toneCaption",     "toneLed",       "midFreqKnob",   "midFreqCaption", "toneSelector",  "toneFader",
    "cabCaption",      "cabLed",        "cabSelector",   "modCaption",     "modLed",        "modRateKnob",
    "modRateCaption",  "modSelector",   "modFader",      "spaceCaption",   "spaceLed",      "preDelayKnob",
    "preDelayCaption", "spaceSelector", "spaceFader",    "echoCaption",    "echoLed",       "feedbackKnob",
    "feedbackCaption", "echoSelector",  "echoFader",     "tapButton",      "bpmLabel",      "syncButton",
    "blendCaption",    "blendFader",    "outputCaption", "outputMeter",    "outputFader",
};
} // namespace

TEST_F (LayoutFixture, DefaultSizeGivesTheReferenceLayout)
{
    ASSERT_EQ (editor->getLocalBounds(), Rect (0, 0, 1180, 560));

    for (auto& e : defaultLayout)
        EXPECT_EQ (boundsOf (e.name), e.bounds) << e.name;

    // Every stored rectangle and every control is covered by the table above.
    std::map<juce::String, bool> covered;
    for (auto& e : defaultLayout)
        covered[e.name] = true;
    for (auto& [name, r] : access.rectangles())
        EXPECT_TRUE (covered[name]) << name;
    for (auto& [name, c] : access.controls())
        EXPECT_TRUE (covered[name]) << name;
}

TEST_F (LayoutFixture, ControlsGetTheirBoundsInLayoutOrder)
{
    MoveRecorder recorder;
    for (auto& [name, control] : access.controls())
    {
        control->setName (name);
        control->addComponentListener (&recorder);
    }

    // A size at which every control moves or changes size.
    editor->setSize (1000, 400);

    juce::StringArray expected;
    for (auto* name : boundsOrder)
        expected.add (name);
    EXPECT_EQ (recorder.order, expected);

    for (auto& [name, control] : access.controls())
        control->removeComponentListener (&recorder);
}

namespace
{
struct SmallSizeCase
{
    int width, height;
    std::vector<Expected> expected;
};

const SmallSizeCase smallSizes[] = {
    { 300,
      560,
      { { "outputColumn", { 178, 82, 100, 452 } },
        { "tempoColumn", { 70, 82, 100, 452 } },
        { "moduleArea", { 130, 82, 0, 452 } },
        { "toneColumn", { 138, 90, 0, 436 } },
        { "echoColumn", { 138, 90, 0, 436 } } } },
    // Stage columns of zero width: the LEDs and knobs stand left of the inner edge.
    { 200,
      560,
      { { "moduleArea", { 130, 82, 0, 452 } },
        { "tempoColumn", { 30, 82, 100, 452 } },
        { "outputColumn", { 78, 82, 100, 452 } },
        { "driveLed", { 133, 96, 18, 18 } },
        { "cabLed", { 133, 96, 18, 18 } },
        { "midFreqKnob", { 119, 119, 46, 46 } },
        { "feedbackKnob", { 119, 119, 46, 46 } },
        { "gateSelector", { 142, 94, 0, 48 } } } },
    { 100, 560, { { "tempoColumn", { -22, 82, 100, 452 } }, { "outputColumn", { -22, 82, 100, 452 } } } },
    // Stage columns and their controls of zero height; LEDs and knobs on rows at y = 94.
    { 1180,
      120,
      { { "headerArea", { 22, 18, 1136, 54 } },
        { "moduleArea", { 130, 82, 812, 12 } },
        { "toneColumn", { 364, 90, 113, 0 } },
        { "echoColumn", { 816, 90, 118, 0 } },
        { "toneFader", { 368, 94, 105, 0 } },
        { "toneSelector", { 368, 94, 105, 0 } },
        { "gateCaption", { 142, 94, 105, 0 } },
        { "toneLed", { 411, 85, 18, 18 } },
        { "midFreqKnob", { 397, 71, 46, 46 } } } },
    { 0,
      0,
      { { "headerArea", { 22, 18, 0, 0 } },
        { "titleArea", { 32, 26, 0, 0 } },
        { "inputColumn", { 22, 18, 0, 0 } },
        { "moduleArea", { 22, 18, 0, 0 } },
        { "outputColumn", { -78, 18, 100, 0 } },
        { "tempoColumn", { -78, 18, 100, 0 } } } },
};
} // namespace

TEST_F (LayoutFixture, SmallSizesGiveTheDegenerateLayoutWithoutFailing)
{
    for (auto& c : smallSizes)
    {
        SCOPED_TRACE (juce::String (c.width) + " x " + juce::String (c.height));
        editor->setSize (c.width, c.height);
        ASSERT_EQ (editor->getLocalBounds(), Rect (0, 0, c.width, c.height));

        for (auto& e : c.expected)
            EXPECT_EQ (boundsOf (e.name), e.bounds) << e.name;

        // Painting the whole window at this size fails nowhere either.
        if (c.width > 0 && c.height > 0)
            editor->createComponentSnapshot (editor->getLocalBounds());
        else
        {
            juce::Image image (juce::Image::ARGB, 4, 4, true);
            juce::Graphics g (image);
            editor->paintEntireComponent (g, true);
        }
    }
}

TEST_F (LayoutFixture, AtZeroSizeOnlyTheFixedSizeLedsAndKnobsHaveAnArea)
{
    editor->setSize (0, 0);

    for (auto& [name, r] : access.rectangles())
        EXPECT_TRUE (r.getWidth() == 0 || r.getHeight() == 0) << name;

    for (auto& [name, control] : access.controls())
    {
        const auto b = control->getBounds();

        if (name.endsWith ("Led"))
            EXPECT_EQ (b.getWidth() * b.getHeight(), 18 * 18) << name;
        else if (name.endsWith ("Knob"))
            EXPECT_EQ (b.getWidth() * b.getHeight(), 46 * 46) << name;
        else
            EXPECT_TRUE (b.getWidth() == 0 || b.getHeight() == 0) << name;
    }
}

TEST_F (LayoutFixture, ColumnsFollowTheWindowSize)
{
    for (int w = 0; w <= 1400; w += 7)
    {
        editor->setSize (w, 560);
        SCOPED_TRACE (w);

        EXPECT_EQ (access.rectangle ("moduleArea").getWidth(), juce::jmax (0, w - 368));
        EXPECT_EQ (access.rectangle ("outputColumn").getWidth(), 100);
        EXPECT_EQ (access.rectangle ("tempoColumn").getWidth(), 100);

        if (w >= 44)
            EXPECT_EQ (access.rectangle ("outputColumn").getX(), w - 122);

        const auto tempoX = access.rectangle ("tempoColumn").getX();
        if (w >= 260)
            EXPECT_EQ (tempoX, w - 230);
        else if (w >= 152)
            EXPECT_EQ (tempoX, 30);
        else
            EXPECT_EQ (tempoX, access.rectangle ("outputColumn").getX());

        // The echo column takes the remainder of the division by seven.
        const auto interior = juce::jmax (0, access.rectangle ("moduleArea").getWidth() - 16);
        EXPECT_EQ (access.rectangle ("toneColumn").getWidth(), interior / 7);
        EXPECT_EQ (access.rectangle ("echoColumn").getWidth(), interior - 6 * (interior / 7));
    }

    for (int h = 0; h <= 900; h += 5)
    {
        editor->setSize (1180, h);
        SCOPED_TRACE (h);

        if (h >= 108)
        {
            for (auto* name : { "inputColumn", "tempoColumn", "outputColumn", "moduleArea" })
                EXPECT_EQ (access.rectangle (name).getHeight(), h - 108) << name;
        }

        EXPECT_EQ (access.rectangle ("toneColumn").getHeight(), juce::jmax (0, h - 124));

        if (h >= 90)
            EXPECT_EQ (access.rectangle ("headerArea").getHeight(), 54);
    }
}
