#include "support/ProcessorRig.h"
#include "support/Signals.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>

namespace
{
constexpr double sampleRate = 44100.0;
constexpr int blockSize = 512;
constexpr int leadIn = 4096;
constexpr int burstLength = 2048;
constexpr int lineLength = 88200; // 2 s at 44.1 kHz
constexpr float nan = std::numeric_limits<float>::quiet_NaN();
constexpr float infinity = std::numeric_limits<float>::infinity();

// A host whose position carries `bpm`, or no tempo, or no position at all.
struct TestPlayHead : juce::AudioPlayHead
{
    std::optional<double> bpm;
    bool hasPosition = true;
    mutable int queries = 0;

    juce::Optional<PositionInfo> getPosition() const override
    {
        ++queries;

        if (! hasPosition)
            return {};

        PositionInfo info;
        if (bpm.has_value())
            info.setBpm (*bpm);
        return info;
    }
};

// Noise, so that a repeat one sample early or late would not match.
juce::AudioBuffer<float> noiseBurst (int numSamples)
{
    auto input = Signals::noise (2, numSamples, 0.5f);
    for (int ch = 0; ch < 2; ++ch)
    {
        input.clear (ch, 0, leadIn);
        input.clear (ch, leadIn + burstLength, numSamples - leadIn - burstLength);
    }
    return input;
}

// Runs a noise burst through a processor with only the echo on (after
// `configure`) and through one with every send off. `expected` gets what an
// echo of `delay` samples, `amount` and `feedback` adds to that post-cabinet
// signal.
class EchoFixture : public testing::Test
{
protected:
    void runEcho (int delay, float amount, float feedback, const std::function<void (ProcessorRig&)>& configure,
                  int repeats = 1)
    {
        const auto input = noiseBurst (leadIn + repeats * delay + burstLength + blockSize);

        ProcessorRig without (sampleRate, blockSize);
        without.set (allSendsOff());
        post = without.run (input);

        ProcessorRig withEcho (sampleRate, blockSize);
        withEcho.set (allSendsOff());
        withEcho.set ({ { ParamIds::echoEnabled, 1.0f },
                        { ParamIds::echoAmount, amount * 100.0f },
                        { ParamIds::echoFeedback, feedback * 100.0f } });
        configure (withEcho);
        added = difference (withEcho.run (input), post);

        expected = juce::AudioBuffer<float> (post.getNumChannels(), post.getNumSamples());
        expected.clear();
        float gain = amount;
        for (int k = 1; k * delay < post.getNumSamples(); ++k, gain *= feedback)
            for (int ch = 0; ch < post.getNumChannels(); ++ch)
                expected.addFrom (ch, k * delay, post, ch, 0, post.getNumSamples() - k * delay, gain);
    }

    void expectRepeatsAsExpected() const
    {
        EXPECT_GT (Signals::peak (added), 0.05f);
        EXPECT_LT (maxAbsDifference (added, expected), 1.0e-5f);
    }

    juce::AudioBuffer<float> post, added, expected;
};

//==============================================================================
struct DivisionCase
{
    const char* name;
    float division;
    float manualBpm;
    int delaySamples;
};

class EchoDivisions : public EchoFixture, public testing::WithParamInterface<DivisionCase>
{
};

TEST_P (EchoDivisions, RepeatAfterTheDivisionsDelay)
{
    const auto division = GetParam();

    runEcho (division.delaySamples, 1.0f, 0.0f,
             [&] (ProcessorRig& rig)
             {
                 rig.set (ParamIds::echoDivision, division.division);
                 rig.processor.hostSyncEnabled = false;
                 rig.processor.setManualBpm (division.manualBpm);
             });

    expectRepeatsAsExpected();
}

INSTANTIATE_TEST_SUITE_P (Echo, EchoDivisions,
                          testing::Values (DivisionCase { "SlapAt120", 0.0f, 120.0f, 5292 },     // 120 ms
                                           DivisionCase { "SlapAt45", 0.0f, 45.0f, 5292 },       // whatever the tempo
                                           DivisionCase { "EighthAt120", 1.0f, 120.0f, 11025 },  // 250 ms
                                           DivisionCase { "QuarterAt120", 2.0f, 120.0f, 22050 }, // 500 ms
                                           DivisionCase { "QuarterAt30", 2.0f, 30.0f, lineLength }, // exactly 2 s
                                           DivisionCase { "QuarterAt20", 2.0f, 20.0f,
                                                          lineLength },                        // 3 s, cut to the line
                                           DivisionCase { "EighthAt60", 1.0f, 60.0f, 22050 }), // 500 ms
                          [] (const auto& info) { return std::string (info.param.name); });

TEST (EchoDelayTime, FollowsTheDivisionAndTempo)
{
    EXPECT_FLOAT_EQ (VaskelQuorlinProcessor::getEchoDelayMs (0, 60.0), 120.0f);
    EXPECT_FLOAT_EQ (VaskelQuorlinProcessor::getEchoDelayMs (1, 60.0), 500.0f);
    EXPECT_FLOAT_EQ (VaskelQuorlinProcessor::getEchoDelayMs (2, 60.0), 1000.0f);
    EXPECT_FLOAT_EQ (VaskelQuorlinProcessor::getEchoDelayMs (2, 400.0), 150.0f);
    EXPECT_FLOAT_EQ (VaskelQuorlinProcessor::getEchoDelayMs (3, 60.0), 120.0f);
    EXPECT_FLOAT_EQ (VaskelQuorlinProcessor::getEchoDelayMs (-1, 60.0), 120.0f);
}

//==============================================================================
class EchoFeedback : public EchoFixture, public testing::WithParamInterface<float>
{
};

TEST_P (EchoFeedback, ScalesEachRepeatByTheFeedback)
{
    const float feedback = GetParam();
    runEcho (
        5292, 0.8f, feedback, [] (ProcessorRig&) {}, 4);

    expectRepeatsAsExpected();

    // The fourth repeat next to the first: as loud at 100 %, gone at 0 %.
    const float first = Signals::rms (added, 0, leadIn + 5292, burstLength);
    const float fourth = Signals::rms (added, 0, leadIn + 4 * 5292, burstLength);
    EXPECT_NEAR (fourth, first * feedback * feedback * feedback, 1.0e-4f);
}

INSTANTIATE_TEST_SUITE_P (Echo, EchoFeedback, testing::Values (0.0f, 0.5f, 1.0f));

TEST (EchoSend, RepeatsTheSendNotTheOtherEffects)
{
    // With the reverb and the modulation on as well, the echo still repeats
    // the post-cabinet signal alone.
    const auto input = noiseBurst (leadIn + 5292 + burstLength + blockSize);
    const ParameterSettings others { { ParamIds::spaceEnabled, 1.0f },
                                     { ParamIds::spaceAmount, 100.0f },
                                     { ParamIds::modEnabled, 1.0f },
                                     { ParamIds::modAmount, 100.0f } };

    ProcessorRig othersOnly (sampleRate, blockSize);
    othersOnly.set (allSendsOff());
    othersOnly.set (others);

    ProcessorRig withEcho (sampleRate, blockSize);
    withEcho.set (allSendsOff());
    withEcho.set (others);
    withEcho.set (
        { { ParamIds::echoEnabled, 1.0f }, { ParamIds::echoAmount, 100.0f }, { ParamIds::echoFeedback, 0.0f } });

    ProcessorRig without (sampleRate, blockSize);
    without.set (allSendsOff());

    const auto post = without.run (input);
    const auto echo = difference (withEcho.run (input), othersOnly.run (input));

    EXPECT_LT (maxAbsDifference (echo, 5292, post, 0, post.getNumSamples() - 5292), 1.0e-5f);
}

//==============================================================================
struct HostTempoCase
{
    const char* name;
    bool hostSync;
    bool hasPosition;
    std::optional<double> hostBpm;
    double expectedBpm; // the manual tempo is 100
};

class HostTempo : public testing::TestWithParam<HostTempoCase>
{
};

TEST_P (HostTempo, DecidesTheEffectiveTempo)
{
    const auto tempo = GetParam();
    VaskelQuorlinProcessor processor;
    TestPlayHead host;
    host.hasPosition = tempo.hasPosition;
    host.bpm = tempo.hostBpm;
    processor.setPlayHead (&host);
    processor.setManualBpm (100.0f);
    processor.hostSyncEnabled = tempo.hostSync;

    EXPECT_EQ (processor.getEffectiveBpm(), tempo.expectedBpm);
}

INSTANTIATE_TEST_SUITE_P (
    Echo, HostTempo,
    testing::Values (HostTempoCase { "HostTempoUsed", true, true, 90.0, 90.0 },
                     HostTempoCase { "NotLimitedLikeTheManualTempo", true, true, 400.0, 400.0 },
                     HostTempoCase { "JustAboveOne", true, true, 1.5, 1.5 },
                     HostTempoCase { "ExactlyOneIgnored", true, true, 1.0, 100.0 },
                     HostTempoCase { "NegativeIgnored", true, true, -120.0, 100.0 },
                     HostTempoCase { "NaNIgnored", true, true, std::numeric_limits<double>::quiet_NaN(), 100.0 },
                     HostTempoCase { "InfinityIgnored", true, true, std::numeric_limits<double>::infinity(), 100.0 },
                     HostTempoCase { "NoTempo", true, true, std::nullopt, 100.0 },
                     HostTempoCase { "NoPosition", true, false, std::nullopt, 100.0 },
                     HostTempoCase { "SyncOff", false, true, 90.0, 100.0 }),
    [] (const auto& info) { return std::string (info.param.name); });

TEST (HostTempo, ManualTempoWithoutAPlayHead)
{
    VaskelQuorlinProcessor processor;
    processor.setManualBpm (133.0f);
    EXPECT_EQ (processor.getEffectiveBpm(), 133.0);
}

struct HostDelayCase
{
    const char* name;
    double hostBpm;
    int delaySamples; // "Quarter", manual tempo 120
};

class HostTempoDelay : public EchoFixture, public testing::WithParamInterface<HostDelayCase>
{
};

TEST_P (HostTempoDelay, SetsTheEchoDelay)
{
    const auto tempo = GetParam();
    TestPlayHead host;
    host.bpm = tempo.hostBpm;

    runEcho (tempo.delaySamples, 1.0f, 0.0f,
             [&] (ProcessorRig& rig)
             {
                 rig.set (ParamIds::echoDivision, 2.0f);
                 rig.processor.setPlayHead (&host);
             });

    expectRepeatsAsExpected();
}

INSTANTIATE_TEST_SUITE_P (Echo, HostTempoDelay,
                          testing::Values (HostDelayCase { "At600", 600.0, 4410 },         // 100 ms
                                           HostDelayCase { "At1Point5", 1.5, lineLength }, // 40 s, cut to 2 s
                                           HostDelayCase { "AtOneUsesManual", 1.0, 22050 },
                                           HostDelayCase { "NaNUsesManual", std::numeric_limits<double>::quiet_NaN(),
                                                           22050 }),
                          [] (const auto& info) { return std::string (info.param.name); });

TEST (HostTempo, IsAskedOnlyWhileTheEchoRuns)
{
    ProcessorRig rig (sampleRate, blockSize);
    TestPlayHead host;
    host.bpm = 120.0;
    rig.processor.setPlayHead (&host);
    juce::AudioBuffer<float> buffer (2, 4 * blockSize);
    buffer.clear();

    rig.set ({ { ParamIds::echoEnabled, 1.0f }, { ParamIds::echoAmount, 0.0f } });
    rig.process (buffer);
    EXPECT_EQ (host.queries, 0);

    rig.set ({ { ParamIds::echoEnabled, 0.0f }, { ParamIds::echoAmount, 50.0f } });
    rig.process (buffer);
    EXPECT_EQ (host.queries, 0);

    rig.set (ParamIds::echoEnabled, 1.0f);
    rig.process (buffer);
    EXPECT_EQ (host.queries, 4);
}

//==============================================================================
struct BadTempoCase
{
    const char* name;
    float manualBpm;
    int delaySamples; // "Quarter"
};

class EchoWithABadManualTempo : public EchoFixture, public testing::WithParamInterface<BadTempoCase>
{
};

// However manualBpm came by such a value, the delay stays inside the line.
TEST_P (EchoWithABadManualTempo, KeepsTheDelayInsideTheLine)
{
    const auto tempo = GetParam();

    runEcho (tempo.delaySamples, 1.0f, 0.0f,
             [&] (ProcessorRig& rig)
             {
                 rig.set (ParamIds::echoDivision, 2.0f);
                 rig.processor.hostSyncEnabled = false;
                 rig.processor.manualBpm = tempo.manualBpm;
             });

    EXPECT_TRUE (Signals::allFinite (added));
    expectRepeatsAsExpected();
}

INSTANTIATE_TEST_SUITE_P (Echo, EchoWithABadManualTempo,
                          testing::Values (BadTempoCase { "NaNGivesOneSample", nan, 1 },
                                           BadTempoCase { "InfinityGivesOneSample", infinity, 1 },
                                           BadTempoCase { "NegativeGivesOneSample", -120.0f, 1 },
                                           BadTempoCase { "ZeroGivesTheWholeLine", 0.0f, lineLength }),
                          [] (const auto& info) { return std::string (info.param.name); });

//==============================================================================
struct ManualBpmCase
{
    const char* name;
    float typed;
    float stored; // the tempo before is 100
};

class ManualTempo : public testing::TestWithParam<ManualBpmCase>
{
};

TEST_P (ManualTempo, IsLimitedTo20To300)
{
    const auto tempo = GetParam();
    VaskelQuorlinProcessor processor;
    processor.setManualBpm (100.0f);

    processor.setManualBpm (tempo.typed);

    EXPECT_EQ (processor.manualBpm.load(), tempo.stored);
}

INSTANTIATE_TEST_SUITE_P (
    Tempo, ManualTempo,
    testing::Values (ManualBpmCase { "BelowRange", 10.0f, 20.0f }, ManualBpmCase { "AboveRange", 400.0f, 300.0f },
                     ManualBpmCase { "InRange", 123.4f, 123.4f }, ManualBpmCase { "LowestEdge", 20.0f, 20.0f },
                     ManualBpmCase { "HighestEdge", 300.0f, 300.0f },
                     // Not a finite number: ignored, the tempo stays.
                     ManualBpmCase { "NaNIgnored", nan, 100.0f }, ManualBpmCase { "InfinityIgnored", infinity, 100.0f },
                     ManualBpmCase { "MinusInfinityIgnored", -infinity, 100.0f }),
    [] (const auto& info) { return std::string (info.param.name); });

TEST (ManualTempo, StartsAt120WithHostSyncOn)
{
    VaskelQuorlinProcessor processor;
    EXPECT_EQ (processor.manualBpm.load(), 120.0f);
    EXPECT_TRUE (processor.hostSyncEnabled.load());
}

//==============================================================================
// The tap clock is a plain function; the tests move its time by hand.
double tapClockNowMs = 0.0;
double readTapClock() { return tapClockNowMs; }

class TapTempo : public testing::Test
{
protected:
    TapTempo()
    {
        processor.setTapClock (&readTapClock);
        processor.setManualBpm (100.0f);
        tapAt (50000.0); // the first tap only starts the measurement
    }

    void tapAt (double timeMs)
    {
        tapClockNowMs = timeMs;
        processor.tapTempo();
    }

    VaskelQuorlinProcessor processor;
};

struct TapCase
{
    const char* name;
    double intervalMs;
    float bpm;
};

class TapIntervals : public TapTempo, public testing::WithParamInterface<TapCase>
{
};

TEST_P (TapIntervals, SetTheTempoFromTheLastTwoTaps)
{
    const auto tap = GetParam();
    EXPECT_EQ (processor.manualBpm.load(), 100.0f);

    tapAt (50000.0 + tap.intervalMs);

    EXPECT_EQ (processor.manualBpm.load(), tap.bpm);
}

INSTANTIATE_TEST_SUITE_P (Tempo, TapIntervals,
                          testing::Values (TapCase { "Half", 500.0, 120.0f }, TapCase { "Quarter", 250.0, 240.0f },
                                           TapCase { "Shortest", 200.0, 300.0f }, TapCase { "Longest", 2000.0, 30.0f },
                                           TapCase { "TooSoon", 199.0, 100.0f }, TapCase { "TooLate", 2001.0, 100.0f }),
                          [] (const auto& info) { return std::string (info.param.name); });

TEST_F (TapTempo, OutOfRangeTapBecomesTheNextReference)
{
    tapAt (50199.0); // too soon: no tempo
    tapAt (50699.0); // 500 ms after the rejected tap, 699 ms after the one before
    EXPECT_EQ (processor.manualBpm.load(), 120.0f);

    tapAt (52700.0); // too late: no tempo
    tapAt (52950.0);
    EXPECT_EQ (processor.manualBpm.load(), 240.0f);
}

TEST_F (TapTempo, FollowsOnlyTheLatestInterval)
{
    tapAt (50500.0);
    tapAt (50750.0);
    tapAt (51050.0);
    EXPECT_EQ (processor.manualBpm.load(), 200.0f);
}
} // namespace
