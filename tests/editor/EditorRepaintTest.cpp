#include "EditorTestAccess.h"

#include "common/ParamIds.h"
#include "editor/ControlGeometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

// What a timer tick asks the window to repaint: a widget only when what it
// shows has changed, and of the bypass switch only its lamp.

namespace
{
using Rect = juce::Rectangle<int>;

double lampNowMs = 0.0;
double lampClock() { return lampNowMs; }

// The pulse's period, 2 pi / 0.003 ms; at a quarter of it the lamp is fully lit
// and its alpha hardly moves.
constexpr double pulsePeriodMs = juce::MathConstants<double>::twoPi / 0.003;

// Takes the editor's repaint requests in place of a window.
struct RepaintRecorder : juce::CachedComponentImage
{
    void paint (juce::Graphics&) override {}
    bool invalidateAll() override
    {
        wholeEditor = true;
        return false;
    }
    bool invalidate (const Rect& area) override
    {
        regions.add (area);
        return false;
    }
    void releaseResources() override {}

    juce::RectangleList<int> regions;
    bool wholeEditor = false;
};

struct RepaintFixture : ::testing::Test
{
    RepaintFixture()
    {
        lampNowMs = 1000.0;
        access.look().setLampClock (&lampClock);

        // Repaints reach the editor's cached image only while it is visible.
        editor->setVisible (true);
        editor->setCachedComponentImage (recorder);

        tick(); // the tempo label's first text, the lamp's first colour
    }

    // One tick; returns the rectangles it asked to repaint.
    std::vector<Rect> tick()
    {
        recorder->regions.clear();
        recorder->wholeEditor = false;
        editor->timerCallback();
        EXPECT_FALSE (recorder->wholeEditor);
        return { recorder->regions.begin(), recorder->regions.end() };
    }

    Rect bounds (const char* control) { return access.control (control).getBounds(); }

    void setPlain (const juce::String& id, float plainValue)
    {
        auto* p = processor.apvts.getParameter (id);
        p->setValueNotifyingHost (p->convertTo0to1 (plainValue));
    }

    VaskelQuorlinProcessor processor;
    std::unique_ptr<VaskelQuorlinEditor> editor = std::make_unique<VaskelQuorlinEditor> (processor);
    VaskelQuorlinEditorTestAccess access { *editor };
    RepaintRecorder* recorder = new RepaintRecorder(); // owned by the editor
};
} // namespace

TEST_F (RepaintFixture, ATickWithNothingChangedRepaintsNothing)
{
    EXPECT_TRUE (tick().empty());

    // The meters' levels were stored: the same levels again change nothing.
    processor.inputLevelDb = -20.0f;
    processor.outputLevelDb = -10.0f;
    EXPECT_FALSE (tick().empty());
    EXPECT_TRUE (tick().empty());
}

TEST_F (RepaintFixture, ALadderRepaintsWhenAnotherNumberOfSegmentsLights)
{
    struct Step
    {
        float levelDb;
        bool repaints;
    };

    // 8 segments at -24 dB and still at -24.5 dB (7.83 rounds to 8), 9 at -20
    // dB; none at -48 dB or anything below.
    const Step steps[] = { { -24.0f, true }, { -24.5f, false }, { -20.0f, true },
                           { -48.0f, true }, { -60.0f, false }, { -100.0f, false } };

    for (const auto& step : steps)
    {
        SCOPED_TRACE (step.levelDb);
        processor.inputLevelDb = step.levelDb;
        const auto repainted = tick();

        if (step.repaints)
            EXPECT_EQ (repainted, std::vector<Rect> { bounds ("inputMeter") });
        else
            EXPECT_TRUE (repainted.empty());

        EXPECT_EQ (access.control<VaskelLadderMeter> ("inputMeter").levelDb, step.levelDb);
    }
}

TEST_F (RepaintFixture, TheOutputLevelRepaintsTheArcMeterWhenItsNeedleMovesAndTheLadderWhenItsCountChanges)
{
    // -12 dB: the needle moves and 12 segments light.
    processor.outputLevelDb = -12.0f;
    const auto both = tick();
    EXPECT_EQ (both.size(), 2u);
    EXPECT_NE (std::find (both.begin(), both.end(), bounds ("vuMeter")), both.end());
    EXPECT_NE (std::find (both.begin(), both.end(), bounds ("outputMeter")), both.end());

    // -12.4 dB: the needle moves a little, the count stays.
    processor.outputLevelDb = -12.4f;
    EXPECT_EQ (tick(), std::vector<Rect> { bounds ("vuMeter") });

    // Below -36 dB the needle rests at 9 o'clock, whatever the level.
    processor.outputLevelDb = -70.0f;
    tick();
    processor.outputLevelDb = -80.0f;
    EXPECT_TRUE (tick().empty());
    EXPECT_EQ (access.control<VaskelVuArc> ("vuMeter").levelDb, -80.0f);
}

TEST_F (RepaintFixture, ThePulsingLampRepaintsOnlyItselfWhenItsAlphaChanges)
{
    auto& bypass = access.control<juce::Button> ("bypassButton");
    const auto lampCell = ControlGeometry::computeToggleGeometry (bypass.getLocalBounds().toFloat())
                              .lamp.getSmallestIntegerContainer()
                              .expanded (1) +
                          bypass.getPosition();

    // Half a pulse later the lamp is drawn in another alpha: its cell alone
    // is repainted, not the text beside it.
    lampNowMs += pulsePeriodMs / 2.0;
    const auto repainted = tick();
    EXPECT_EQ (repainted, std::vector<Rect> { lampCell });
    EXPECT_TRUE (bypass.getBounds().contains (lampCell));

    // At the top of the pulse the alpha stays at 255 for a few milliseconds.
    lampNowMs = pulsePeriodMs * 10.25;
    tick();
    lampNowMs += 2.0;
    EXPECT_TRUE (tick().empty());
    lampNowMs += 100.0;
    EXPECT_EQ (tick(), std::vector<Rect> { lampCell });
}

TEST_F (RepaintFixture, ABypassedLampIsSteadyAndNeverRepaintedByTheTimer)
{
    setPlain (ParamIds::bypass, 1.0f);
    ASSERT_TRUE (access.control<juce::Button> ("bypassButton").getToggleState());
    tick();

    for (int i = 0; i < 10; ++i)
    {
        lampNowMs += 137.0;
        EXPECT_TRUE (tick().empty());
    }
}

TEST_F (RepaintFixture, ThePictureBehindTheControlsFollowsTheProcessWideAccents)
{
    const auto render = [this] { return editor->createComponentSnapshot (editor->getLocalBounds(), true, 1.0f); };
    const auto inputPanel = juce::Point<int> (25, 300); // margin of the accented input column

    const auto before = render();

    {
        // Every look constructor writes the accents that all drawing reads.
        VaskelLookAndFeel other (
            AccentColours { juce::Colour (0xFF6AC4FF), juce::Colour (0xFF2B86D9), juce::Colour (0xFF5CA6E8) });
        EXPECT_NE (render().getPixelAt (inputPanel.x, inputPanel.y), before.getPixelAt (inputPanel.x, inputPanel.y));
    }

    // The editor's accents back, and with them the first picture.
    VaskelLookAndFeel same (
        AccentColours { juce::Colour (0xFFFFC46A), juce::Colour (0xFFD9862B), juce::Colour (0xFFE8A65C) });
    const auto after = render();

    for (int y = 0; y < after.getHeight(); ++y)
        for (int x = 0; x < after.getWidth(); ++x)
            ASSERT_EQ (after.getPixelAt (x, y), before.getPixelAt (x, y)) << x << ", " << y;
}
