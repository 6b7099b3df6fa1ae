#include "EditorTestAccess.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace
{
double fakeNowMs = 0.0;
double fakeClock() { return fakeNowMs; }

// Label keeps its mouse handlers protected; the framework calls them through Component.
juce::Component& asComponent (juce::Component& c) { return c; }

struct TempoFixture : ::testing::Test
{
    TempoFixture() { processor.setTapClock (&fakeClock); }

    VaskelQuorlinProcessor processor;
    std::unique_ptr<VaskelQuorlinEditor> editor = std::make_unique<VaskelQuorlinEditor> (processor);
    VaskelQuorlinEditorTestAccess access { *editor };

    juce::Label& bpmLabel() { return access.control<juce::Label> ("bpmLabel"); }

    // Double-clicks the label, which opens the tempo field.
    juce::TextEditor* openField()
    {
        auto& label = bpmLabel();
        asComponent (label).mouseDoubleClick (EditorTesting::mouseEventAt (label, { 10.0f, 8.0f }, 2));
        return label.getCurrentTextEditor();
    }

    static void typeKeys (juce::TextEditor& field, const juce::String& keys)
    {
        for (auto c : keys)
            field.keyPressed (juce::KeyPress ((int) c, juce::ModifierKeys(), c));
    }

    // Return is posted by the field and delivered by the message loop. The
    // result does not depend on the keyboard focus (these tests show no
    // window): without the focus the label ends the edit, the same way, at the
    // first text change that the loop delivers.
    static void pressReturn (juce::TextEditor& field)
    {
        field.keyPressed (juce::KeyPress (juce::KeyPress::returnKey));
        EditorTesting::dispatchPendingMessages();
    }

    void tapAt (double ms)
    {
        fakeNowMs = ms;
        EditorTesting::click (access.control ("tapButton"));
    }

    // Opens the tempo field with a double click, types the keys and ends the
    // edit with Return, the way a user does.
    void typeTempo (const juce::String& keys)
    {
        auto* field = openField();
        ASSERT_NE (field, nullptr);
        typeKeys (*field, keys);
        pressReturn (*field);
        ASSERT_FALSE (bpmLabel().isBeingEdited());
    }
};
} // namespace

TEST_F (TempoFixture, TheLabelShowsTheTruncatedTempoFromTheFirstTick)
{
    EXPECT_EQ (bpmLabel().getText(), "");

    const std::pair<float, const char*> cases[] = {
        { 120.0f, "120 BPM" }, { 133.33333f, "133 BPM" }, { 85.714287f, "85 BPM" },
        { 300.0f, "300 BPM" }, { 20.0f, "20 BPM" },       { 99.999f, "99 BPM" },
    };

    for (auto& [bpm, text] : cases)
    {
        processor.manualBpm = bpm;
        editor->timerCallback();
        EXPECT_EQ (bpmLabel().getText(), text);
    }
}

TEST_F (TempoFixture, TapsSetTheTempoFromTheirInterval)
{
    // The first tap only records its time (the clock has run for a while).
    tapAt (100000.0);
    EXPECT_EQ (processor.manualBpm.load(), 120.0f);

    tapAt (100450.0);
    EXPECT_FLOAT_EQ (processor.manualBpm.load(), (float) (60000.0 / 450.0));
    editor->timerCallback();
    EXPECT_EQ (bpmLabel().getText(), "133 BPM");

    tapAt (100650.0); // exactly 200 ms
    EXPECT_EQ (processor.manualBpm.load(), 300.0f);

    tapAt (102650.0); // exactly 2000 ms
    EXPECT_EQ (processor.manualBpm.load(), 30.0f);

    // 199 ms and 2001 ms change nothing but restart the measurement.
    tapAt (102849.0);
    EXPECT_EQ (processor.manualBpm.load(), 30.0f);
    tapAt (104850.0);
    EXPECT_EQ (processor.manualBpm.load(), 30.0f);
    tapAt (105350.0);
    EXPECT_EQ (processor.manualBpm.load(), 120.0f);
    editor->timerCallback();
    EXPECT_EQ (bpmLabel().getText(), "120 BPM");
}

TEST_F (TempoFixture, TheSyncToggleFollowsTheProcessorAndStoresTheStateItShows)
{
    auto& sync = access.control<juce::Button> ("syncButton");
    ASSERT_TRUE (sync.getToggleState());

    EditorTesting::click (sync);
    EXPECT_FALSE (sync.getToggleState());
    EXPECT_FALSE (processor.hostSyncEnabled.load());

    // A change from elsewhere shows at the next tick, so the next click flips
    // what the processor holds.
    processor.hostSyncEnabled = true;
    editor->timerCallback();
    EXPECT_TRUE (sync.getToggleState());
    EditorTesting::click (sync);
    EXPECT_FALSE (sync.getToggleState());
    EXPECT_FALSE (processor.hostSyncEnabled.load());
}

namespace
{
// Counts the host notifications that mark the project as changed outside
// the parameters.
struct StateChangeCounter : juce::AudioProcessorListener
{
    void audioProcessorParameterChanged (juce::AudioProcessor*, int, float) override {}
    void audioProcessorChanged (juce::AudioProcessor*, const ChangeDetails& details) override
    {
        if (details.nonParameterStateChanged)
            ++count;
    }

    int count = 0;
};
} // namespace

TEST_F (TempoFixture, EveryChangeOfTheStoredTempoOrSyncTellsTheHost)
{
    StateChangeCounter counter;
    processor.addListener (&counter);
    editor->timerCallback();

    struct Step
    {
        const char* what;
        std::function<void()> act;
        int notifications;
    };

    const Step steps[] = {
        { "first tap, which only records its time", [this] { tapAt (100000.0); }, 0 },
        { "second tap, 400 ms later", [this] { tapAt (100400.0); }, 1 },
        { "a tap out of range", [this] { tapAt (100500.0); }, 0 },
        { "typed 97", [this] { typeTempo ("97"); }, 1 },
        { "typed 97 again", [this] { typeTempo ("97"); }, 0 },
        { "typed 0, ignored", [this] { typeTempo ("0"); }, 0 },
        { "SYNC click", [this] { EditorTesting::click (access.control ("syncButton")); }, 1 },
        { "SYNC click back", [this] { EditorTesting::click (access.control ("syncButton")); }, 1 },
        { "ticks",
          [this]
          {
              editor->timerCallback();
              editor->timerCallback();
          },
          0 },
    };

    for (const auto& step : steps)
    {
        SCOPED_TRACE (step.what);
        const int before = counter.count;
        step.act();
        EXPECT_EQ (counter.count - before, step.notifications);
        editor->timerCallback();
    }

    EXPECT_FLOAT_EQ (processor.manualBpm.load(), 97.0f);
    EXPECT_TRUE (processor.hostSyncEnabled.load());

    // A restore comes from the host, which knows already.
    juce::MemoryBlock saved;
    {
        VaskelQuorlinProcessor other;
        other.manualBpm = 88.0f;
        other.hostSyncEnabled = false;
        other.getStateInformation (saved);
    }
    const int beforeRestore = counter.count;
    processor.setStateInformation (saved.getData(), (int) saved.getSize());
    EXPECT_EQ (counter.count, beforeRestore);

    processor.removeListener (&counter);
}

TEST_F (TempoFixture, TypedTempoGoesThroughTheProcessorsClamp)
{
    editor->timerCallback();

    typeTempo ("250");
    EXPECT_EQ (processor.manualBpm.load(), 250.0f);
    editor->timerCallback();
    EXPECT_EQ (bpmLabel().getText(), "250 BPM");

    typeTempo ("5");
    EXPECT_EQ (processor.manualBpm.load(), 20.0f);

    typeTempo ("999");
    EXPECT_EQ (processor.manualBpm.load(), 300.0f);

    // Entries that read as 0 are ignored; the next tick shows the tempo again.
    typeTempo ("0");
    EXPECT_EQ (processor.manualBpm.load(), 300.0f);
    editor->timerCallback();
    EXPECT_EQ (bpmLabel().getText(), "300 BPM");

    typeTempo ("000");
    EXPECT_EQ (processor.manualBpm.load(), 300.0f);
}

TEST_F (TempoFixture, TheFieldTakesAtMostThreeDigitsAndNothingElse)
{
    editor->timerCallback();
    auto& label = bpmLabel();

    // A single click does not open the field.
    asComponent (label).mouseDown (EditorTesting::mouseEventAt (label, { 10.0f, 8.0f }));
    asComponent (label).mouseUp (EditorTesting::mouseEventAt (label, { 10.0f, 8.0f }));
    EXPECT_FALSE (label.isBeingEdited());

    auto* field = openField();
    ASSERT_NE (field, nullptr);

    // It opens with the shown text, all selected, so the first digit replaces it.
    EXPECT_EQ (field->getText(), "120 BPM");
    EXPECT_EQ (field->getHighlightedRegion(), juce::Range<int> (0, 7));

    typeKeys (*field, "1a2-34 5");
    EXPECT_EQ (field->getText(), "123");

    field->insertTextAtCaret ("9x");
    EXPECT_EQ (field->getText(), "123");

    pressReturn (*field);
    EXPECT_EQ (processor.manualBpm.load(), 123.0f);
}

TEST_F (TempoFixture, TicksLeaveTheFieldAloneWhileItIsEdited)
{
    editor->timerCallback();
    auto& label = bpmLabel();

    auto* field = openField();
    ASSERT_NE (field, nullptr);
    typeKeys (*field, "8");

    processor.manualBpm = 95.0f;
    editor->timerCallback();

    EXPECT_TRUE (label.isBeingEdited());
    EXPECT_EQ (label.getCurrentTextEditor(), field);
    EXPECT_EQ (field->getText(), "8");
    EXPECT_EQ (label.getText(), "120 BPM");

    // The edit ends with the typed tempo, which the next tick shows.
    pressReturn (*field);
    EXPECT_FALSE (label.isBeingEdited());
    EXPECT_EQ (processor.manualBpm.load(), 20.0f);
    editor->timerCallback();
    EXPECT_EQ (label.getText(), "20 BPM");
}

TEST_F (TempoFixture, MetersShowTheProcessorsLevels)
{
    processor.inputLevelDb = -18.0f;
    processor.outputLevelDb = -3.0f;
    editor->timerCallback();

    EXPECT_EQ (access.control<VaskelLadderMeter> ("inputMeter").levelDb, -18.0f);
    EXPECT_EQ (access.control<VaskelLadderMeter> ("outputMeter").levelDb, -3.0f);
    EXPECT_EQ (access.control<VaskelVuArc> ("vuMeter").levelDb, -3.0f);
}
