// The cost of the whole chain through processBlock, stereo at 48 kHz, against a
// floor: the same DSP blocks from JUCE (oversampler, waveshaper, the biquads,
// reverb, chorus, delay lines) wired the same way, but without parameter reads,
// coefficient updates, the gate, trims, blend, meters or any other frame work.
// Chain and floor are measured in one run, their repetitions interleaved at
// random, and a summary with the ratios follows Google Benchmark's table.

#include "common/ParamIds.h"
#include "processor/VaskelQuorlinProcessor.h"

#include <benchmark/benchmark.h>
#include <juce_dsp/juce_dsp.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int numChannels = 2;
constexpr int blockSizes[] = { 32, 128, 512 };
constexpr int breakdownBlockSize = 128;

using Settings = std::vector<std::pair<juce::String, float>>;

// The chain's stages switched on one after the other, in chain order; with all
// steps applied every stage runs ("everything on").
struct Step
{
    const char* name;
    Settings settings;
};

const std::vector<Step> chainSteps {
    { "frame, gate, oversampling", { { ParamIds::gateAmount, 30.0f }, { ParamIds::toneEnabled, 0.0f } } },
    { "drive", { { ParamIds::driveEnabled, 1.0f }, { ParamIds::driveAmount, 60.0f }, { ParamIds::driveMode, 0.0f } } },
    { "tone", { { ParamIds::toneEnabled, 1.0f }, { ParamIds::toneTilt, 3.0f } } },
    { "cabinet", { { ParamIds::cabEnabled, 1.0f }, { ParamIds::cabMode, 0.0f } } },
    { "space",
      { { ParamIds::spaceEnabled, 1.0f },
        { ParamIds::spaceAmount, 40.0f },
        { ParamIds::spaceMode, 2.0f },
        { ParamIds::spacePreDelay, 120.0f } } },
    { "modulation", { { ParamIds::modEnabled, 1.0f }, { ParamIds::modAmount, 50.0f }, { ParamIds::modMode, 0.0f } } },
    { "echo",
      { { ParamIds::echoEnabled, 1.0f },
        { ParamIds::echoAmount, 40.0f },
        { ParamIds::echoDivision, 1.0f },
        { ParamIds::echoFeedback, 50.0f } } },
};

Settings settingsUpTo (size_t lastStep)
{
    Settings settings;
    for (size_t i = 0; i <= lastStep; ++i)
        settings.insert (settings.end(), chainSteps[i].settings.begin(), chainSteps[i].settings.end());
    return settings;
}

const Settings everythingOn = settingsUpTo (chainSteps.size() - 1);

Settings withBypass (Settings settings)
{
    settings.emplace_back (ParamIds::bypass, 1.0f);
    return settings;
}

// Blocks are taken in turn from ten seconds of noise at -12 dBFS, loud enough
// to keep the gate open.
struct InputLoop
{
    InputLoop()
        : source (numChannels, (int) sampleRate * 10)
    {
        juce::Random random (4711);
        for (int ch = 0; ch < numChannels; ++ch)
            for (int i = 0; i < source.getNumSamples(); ++i)
                source.setSample (ch, i, 0.25f * (2.0f * random.nextFloat() - 1.0f));
    }

    void next (juce::AudioBuffer<float>& block)
    {
        const int n = block.getNumSamples();
        if (position + n > source.getNumSamples())
            position = 0;

        for (int ch = 0; ch < numChannels; ++ch)
            block.copyFrom (ch, 0, source, ch, position, n);

        position += n;
    }

    juce::AudioBuffer<float> source;
    int position = 0;
};

struct ProcessorUnderTest
{
    ProcessorUnderTest (const Settings& settings, int blockSize)
        : buffer (numChannels, blockSize)
    {
        for (const auto& [id, value] : settings)
        {
            auto* parameter = processor.apvts.getParameter (id);
            parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
        }

        processor.prepareToPlay (sampleRate, blockSize);

        // Half a second first, so that every stage has settled (gate open, reverb
        // and echo filled).
        for (int done = 0; done < (int) sampleRate / 2; done += blockSize)
            processNext();
    }

    void processNext()
    {
        input.next (buffer);
        processor.processBlock (buffer, midi);
    }

    VaskelQuorlinProcessor processor;
    InputLoop input;
    juce::AudioBuffer<float> buffer;
    juce::MidiBuffer midi;
};

//==============================================================================
// The floor: the chain's DSP blocks with fixed settings, as everything-on uses
// them, processed in the chain's order and with the same parallel sends.
class FloorChain
{
public:
    enum Stage
    {
        oversampling,
        drive,
        tone,
        cabinet,
        space,
        modulation,
        echo
    };

    explicit FloorChain (int blockSize)
    {
        const juce::dsp::ProcessSpec spec { sampleRate, (juce::uint32) blockSize, (juce::uint32) numChannels };
        using Coefficients = juce::dsp::IIR::Coefficients<float>;

        oversampler.initProcessing ((size_t) blockSize);
        shaper.functionToUse = [] (float x) { return std::tanh (x); };
        driveGain = juce::Decibels::decibelsToGain (0.6f * 40.0f);
        compensation = 1.0f / std::sqrt (driveGain);

        *filters[0].state =
            *Coefficients::makeLowShelf (sampleRate, 400.0f, 0.7071f, juce::Decibels::decibelsToGain (-1.5f));
        *filters[1].state =
            *Coefficients::makeHighShelf (sampleRate, 2000.0f, 0.7071f, juce::Decibels::decibelsToGain (1.5f));
        *filters[2].state =
            *Coefficients::makePeakFilter (sampleRate, 800.0f, 1.0f, juce::Decibels::decibelsToGain (4.0f));
        *filters[3].state = *Coefficients::makeHighPass (sampleRate, 120.0f);
        *filters[4].state = *Coefficients::makeHighPass (sampleRate, 120.0f);
        *filters[5].state = *Coefficients::makeLowPass (sampleRate, 6500.0f);
        *filters[6].state = *Coefficients::makeLowPass (sampleRate, 6500.0f);
        *filters[7].state =
            *Coefficients::makePeakFilter (sampleRate, 3000.0f, 1.0f, juce::Decibels::decibelsToGain (2.0f));

        for (auto& filter : filters)
            filter.prepare (spec);

        juce::dsp::Reverb::Parameters hall;
        hall.roomSize = 0.85f;
        hall.damping = 0.3f;
        hall.width = 1.0f;
        hall.wetLevel = 0.4f * 0.85f;
        hall.dryLevel = 0.0f;
        reverb.prepare (spec);
        reverb.setParameters (hall);

        preDelay.setMaximumDelayInSamples ((int) (sampleRate * 0.6));
        preDelay.prepare (spec);
        preDelay.setDelay ((float) sampleRate * 0.12f);

        chorus.prepare (spec);
        chorus.setRate (0.8f);
        chorus.setCentreDelay (7.5f);
        chorus.setFeedback (0.0f);
        chorus.setDepth (0.25f);
        chorus.setMix (1.0f);

        echoLine.setMaximumDelayInSamples ((int) (sampleRate * 2.0));
        echoLine.prepare (spec);
        echoLine.setDelay ((float) sampleRate * 0.25f); // an 8th at 120 BPM

        sendBuffer.setSize (numChannels, blockSize);
        workBuffer.setSize (numChannels, blockSize);
    }

    void process (juce::AudioBuffer<float>& buffer, Stage last)
    {
        juce::ScopedNoDenormals noDenormals;
        const int n = buffer.getNumSamples();
        juce::dsp::AudioBlock<float> block (buffer);
        const juce::dsp::ProcessContextReplacing<float> context (block);

        auto upsampled = oversampler.processSamplesUp (block);
        if (last >= drive)
        {
            upsampled.multiplyBy (driveGain);
            shaper.process (juce::dsp::ProcessContextReplacing<float> (upsampled));
            upsampled.multiplyBy (compensation);
        }
        oversampler.processSamplesDown (block);

        if (last >= tone)
            for (int i = 0; i < 3; ++i)
                filters[i].process (context);

        if (last >= cabinet)
            for (int i = 3; i < 8; ++i)
                filters[i].process (context);

        if (last < space)
            return;

        for (int ch = 0; ch < numChannels; ++ch)
            sendBuffer.copyFrom (ch, 0, buffer, ch, 0, n);

        auto work = juce::dsp::AudioBlock<float> (workBuffer).getSubBlock (0, (size_t) n);

        copySendIntoWork (n);
        for (int ch = 0; ch < numChannels; ++ch)
        {
            auto* samples = workBuffer.getWritePointer (ch);
            for (int i = 0; i < n; ++i)
            {
                preDelay.pushSample (ch, samples[i]);
                samples[i] = preDelay.popSample (ch);
            }
        }
        reverb.process (juce::dsp::ProcessContextReplacing<float> (work));
        for (int ch = 0; ch < numChannels; ++ch)
            buffer.addFrom (ch, 0, workBuffer, ch, 0, n);

        if (last >= modulation)
        {
            copySendIntoWork (n);
            chorus.process (juce::dsp::ProcessContextReplacing<float> (work));
            for (int ch = 0; ch < numChannels; ++ch)
                buffer.addFrom (ch, 0, workBuffer, ch, 0, n, 0.5f);
        }

        if (last >= echo)
        {
            for (int ch = 0; ch < numChannels; ++ch)
            {
                const auto* send = sendBuffer.getReadPointer (ch);
                auto* out = buffer.getWritePointer (ch);
                for (int i = 0; i < n; ++i)
                {
                    const float repeat = echoLine.popSample (ch);
                    echoLine.pushSample (ch, send[i] + repeat * 0.5f);
                    out[i] += repeat * 0.4f;
                }
            }
        }
    }

private:
    void copySendIntoWork (int n)
    {
        for (int ch = 0; ch < numChannels; ++ch)
            workBuffer.copyFrom (ch, 0, sendBuffer, ch, 0, n);
    }

    using Filter = juce::dsp::ProcessorDuplicator<juce::dsp::IIR::Filter<float>, juce::dsp::IIR::Coefficients<float>>;
    using Delay = juce::dsp::DelayLine<float, juce::dsp::DelayLineInterpolationTypes::Linear>;

    juce::dsp::Oversampling<float> oversampler { numChannels, 2,
                                                 juce::dsp::Oversampling<float>::filterHalfBandPolyphaseIIR, true,
                                                 true };
    juce::dsp::WaveShaper<float, float (*) (float)> shaper { nullptr };
    float driveGain = 1.0f, compensation = 1.0f;
    Filter filters[8];
    juce::dsp::Reverb reverb;
    Delay preDelay { 48000 };
    juce::dsp::Chorus<float> chorus;
    Delay echoLine { 192000 };
    juce::AudioBuffer<float> sendBuffer, workBuffer;
};

struct FloorUnderTest
{
    FloorUnderTest (FloorChain::Stage lastStage, int blockSize)
        : floor (blockSize)
        , last (lastStage)
        , buffer (numChannels, blockSize)
    {
        for (int done = 0; done < (int) sampleRate / 2; done += blockSize)
            processNext();
    }

    void processNext()
    {
        input.next (buffer);
        floor.process (buffer, last);
    }

    FloorChain floor;
    FloorChain::Stage last;
    InputLoop input;
    juce::AudioBuffer<float> buffer;
};

//==============================================================================
void addRateCounters (benchmark::State& state, int blockSize)
{
    state.SetItemsProcessed (state.iterations() * blockSize);
    // Seconds of audio per second of processing.
    state.counters["realtime_x"] =
        benchmark::Counter ((double) blockSize / sampleRate, benchmark::Counter::kIsIterationInvariantRate);
}

template <typename UnderTest>
void runBlocks (benchmark::State& state, UnderTest& underTest, int blockSize)
{
    for (auto _ : state)
    {
        underTest.processNext();
        benchmark::DoNotOptimize (underTest.buffer.getReadPointer (0));
        benchmark::ClobberMemory();
    }

    addRateCounters (state, blockSize);
}

void benchmarkChain (benchmark::State& state, const Settings& settings)
{
    const int blockSize = (int) state.range (0);
    ProcessorUnderTest underTest (settings, blockSize);
    runBlocks (state, underTest, blockSize);
}

void benchmarkFloor (benchmark::State& state, FloorChain::Stage last)
{
    const int blockSize = (int) state.range (0);
    FloorUnderTest underTest (last, blockSize);
    runBlocks (state, underTest, blockSize);
}

// Every block timed on its own: the block-time percentiles against the
// block's real-time budget.
void benchmarkChainBlockTimes (benchmark::State& state, const Settings& settings)
{
    const int blockSize = (int) state.range (0);
    ProcessorUnderTest underTest (settings, blockSize);
    std::vector<double> seconds;
    seconds.reserve ((size_t) std::min<benchmark::IterationCount> (state.max_iterations, 50'000'000));

    for (auto _ : state)
    {
        underTest.input.next (underTest.buffer);
        const auto start = std::chrono::steady_clock::now();
        underTest.processor.processBlock (underTest.buffer, underTest.midi);
        const auto end = std::chrono::steady_clock::now();
        const double elapsed = std::chrono::duration<double> (end - start).count();
        state.SetIterationTime (elapsed);
        seconds.push_back (elapsed);
    }

    std::sort (seconds.begin(), seconds.end());
    const auto percentile = [&seconds] (double p)
    { return seconds[(size_t) std::floor (p * (double) (seconds.size() - 1))]; };
    const double budget = (double) blockSize / sampleRate;

    state.counters["p50_us"] = percentile (0.50) * 1.0e6;
    state.counters["p99_us"] = percentile (0.99) * 1.0e6;
    state.counters["max_us"] = seconds.back() * 1.0e6;
    state.counters["p99_budget_pct"] = percentile (0.99) / budget * 100.0;
    addRateCounters (state, blockSize);
}

// The frame looks every parameter up by its identifier in every block: the 27
// lookups and loads of an everything-on block, on their own.
void benchmarkParameterLookups (benchmark::State& state)
{
    VaskelQuorlinProcessor processor;
    const juce::String* ids[] = { &ParamIds::bypass,       &ParamIds::inputTrim,     &ParamIds::gateAmount,
                                  &ParamIds::gateMode,     &ParamIds::driveEnabled,  &ParamIds::driveAmount,
                                  &ParamIds::driveMode,    &ParamIds::toneEnabled,   &ParamIds::toneTilt,
                                  &ParamIds::toneMode,     &ParamIds::toneMidFreq,   &ParamIds::cabEnabled,
                                  &ParamIds::cabMode,      &ParamIds::spaceEnabled,  &ParamIds::spaceAmount,
                                  &ParamIds::spaceMode,    &ParamIds::spacePreDelay, &ParamIds::modEnabled,
                                  &ParamIds::modAmount,    &ParamIds::modMode,       &ParamIds::modRate,
                                  &ParamIds::echoEnabled,  &ParamIds::echoAmount,    &ParamIds::echoDivision,
                                  &ParamIds::echoFeedback, &ParamIds::blend,         &ParamIds::outputTrim };

    for (auto _ : state)
        for (const auto* id : ids)
            benchmark::DoNotOptimize (processor.apvts.getRawParameterValue (*id)->load());
}

//==============================================================================
// Collects the medians and the fastest repetitions (or the single runs, without
// repetitions) for the summary.
class SummaryReporter : public benchmark::ConsoleReporter
{
public:
    void ReportRuns (const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns (runs);

        for (const auto& run : runs)
        {
            if (run.error_occurred)
                continue;

            const auto key = run.run_name.function_name + "/" + run.run_name.args;
            const double ns = run.GetAdjustedRealTime() * timeUnitInNanoseconds (run.time_unit);
            const bool single = run.run_type == Run::RT_Iteration && run.repetitions <= 1;

            if (single || (run.run_type == Run::RT_Aggregate && run.aggregate_name == "median"))
            {
                medianNs[key] = ns;
                for (const auto& [name, counter] : run.counters)
                    counters[key][name] = counter.value;
            }

            if (single || (run.run_type == Run::RT_Aggregate && run.aggregate_name == "min"))
                fastestNs[key] = ns;
        }
    }

    bool has (const std::string& key) const { return medianNs.count (key) > 0; }
    double blockNs (const std::string& key) const { return medianNs.at (key); }
    double fastestBlockNs (const std::string& key) const
    {
        return fastestNs.count (key) > 0 ? fastestNs.at (key) : blockNs (key);
    }
    double counter (const std::string& key, const std::string& name) const { return counters.at (key).at (name); }

private:
    static double timeUnitInNanoseconds (benchmark::TimeUnit unit)
    {
        switch (unit)
        {
            case benchmark::kSecond: return 1.0e9;
            case benchmark::kMillisecond: return 1.0e6;
            case benchmark::kMicrosecond: return 1.0e3;
            default: return 1.0;
        }
    }

    std::map<std::string, double> medianNs, fastestNs;
    std::map<std::string, std::map<std::string, double>> counters;
};

std::string key (const std::string& name, int blockSize) { return name + "/" + std::to_string (blockSize); }

std::string loadAverage()
{
    const juce::File file ("/proc/loadavg");
    return file.existsAsFile() ? file.loadFileAsString().upToFirstOccurrenceOf (" ", false, false).toStdString()
                               : "n/a";
}

void printSummary (const SummaryReporter& results, const std::string& loadBefore)
{
    std::printf ("\n== Summary (stereo, 48 kHz; medians; ns per sample = per channel pair)\n");
    std::printf ("machine: %s, %d logical CPUs; 1-minute load average %s before, %s after\n",
                 juce::SystemStats::getCpuModel().toRawUTF8(), juce::SystemStats::getNumCpus(), loadBefore.c_str(),
                 loadAverage().c_str());

    std::printf ("\n%-6s %-15s %12s %12s %12s %10s\n", "block", "setting", "us/block", "ns/sample", "realtime x",
                 "vs floor");

    for (const int blockSize : blockSizes)
    {
        const auto floorKey = key ("floor", blockSize);
        if (! results.has (floorKey))
            continue;

        const double floorNs = results.blockNs (floorKey);

        for (const char* setting : { "floor", "chain/everything on", "chain/defaults", "chain/bypass" })
        {
            const auto k = key (setting, blockSize);
            if (! results.has (k))
                continue;

            const double ns = results.blockNs (k);
            const auto label = juce::String (setting).replace ("chain/", "");
            std::printf ("%-6d %-15s %12.2f %12.1f %12.1f %10.3f\n", blockSize, label.toRawUTF8(), ns / 1000.0,
                         ns / blockSize, (blockSize / sampleRate) * 1.0e9 / ns, ns / floorNs);
        }
    }

    std::printf ("\naims:\n");

    const auto on128 = key ("chain/everything on", 128), floor128 = key ("floor", 128);
    if (results.has (on128) && results.has (floor128))
    {
        const double ratio = results.blockNs (on128) / results.blockNs (floor128);
        std::printf ("  everything on at 48 kHz / 128: %.3f x floor (aim <= 1.05): %s\n", ratio,
                     ratio <= 1.05 ? "met" : "NOT met");
    }

    for (const int blockSize : blockSizes)
    {
        const auto on = key ("chain/everything on", blockSize), bypass = key ("chain/bypass", blockSize);
        if (results.has (on) && results.has (bypass))
        {
            const double share = results.blockNs (bypass) / results.blockNs (on) * 100.0;
            std::printf ("  bypass at %d: %.2f %% of everything on (aim < 2 %%): %s\n", blockSize, share,
                         share < 2.0 ? "met" : "NOT met");
        }
    }

    const auto times32 = key ("block times/everything on", 32);
    if (results.has (times32))
    {
        const double p99 = results.counter (times32, "p99_budget_pct");
        std::printf ("  p99 block at 32, everything on: %.2f us = %.2f %% of the %.1f us budget (aim < 5 %%): %s"
                     " (p50 %.2f us, max %.2f us)\n",
                     results.counter (times32, "p99_us"), p99, 32.0 / sampleRate * 1.0e6, p99 < 5.0 ? "met" : "NOT met",
                     results.counter (times32, "p50_us"), results.counter (times32, "max_us"));
    }

    const auto lookups = key ("parameter lookups", 27);
    if (results.has (lookups) && results.has (floor128))
        std::printf ("\nthe frame's 27 parameter lookups by identifier: %.2f us per block = %.1f %% of the floor's "
                     "block at 128\n",
                     results.blockNs (lookups) / 1000.0,
                     results.blockNs (lookups) / results.blockNs (floor128) * 100.0);

    std::printf ("\nper stage at %d (ns per sample each stage adds, from the fastest repetitions; the floor's first\n"
                 "row is the bare oversampler, the chain's also holds the frame and the gate):\n",
                 breakdownBlockSize);
    std::printf ("%-28s %10s %10s %10s\n", "stage", "chain", "floor", "chain-floor");

    double previousChain = 0.0, previousFloor = 0.0;
    for (size_t i = 0; i < chainSteps.size(); ++i)
    {
        const auto chainKey = key (std::string ("stages/chain/") + chainSteps[i].name, breakdownBlockSize);
        const auto floorKey = key (std::string ("stages/floor/") + chainSteps[i].name, breakdownBlockSize);
        if (! results.has (chainKey) || ! results.has (floorKey))
            continue;

        const double chainNs = results.fastestBlockNs (chainKey) / breakdownBlockSize;
        const double floorNs = results.fastestBlockNs (floorKey) / breakdownBlockSize;
        std::printf ("%-28s %10.1f %10.1f %10.1f\n", chainSteps[i].name, chainNs - previousChain,
                     floorNs - previousFloor, (chainNs - previousChain) - (floorNs - previousFloor));
        previousChain = chainNs;
        previousFloor = floorNs;
    }
}

void registerBenchmarks()
{
    const auto fastest = [] (const std::vector<double>& values)
    { return *std::min_element (values.begin(), values.end()); };
    const auto perBlock = [fastest] (benchmark::internal::Benchmark* b, int blockSize)
    { b->Arg (blockSize)->Unit (benchmark::kMicrosecond)->ComputeStatistics ("min", fastest); };

    for (const int blockSize : blockSizes)
    {
        perBlock (benchmark::RegisterBenchmark ("floor", benchmarkFloor, FloorChain::echo), blockSize);
        perBlock (benchmark::RegisterBenchmark ("chain/everything on", benchmarkChain, everythingOn), blockSize);
        perBlock (benchmark::RegisterBenchmark ("chain/defaults", benchmarkChain, Settings {}), blockSize);
        perBlock (benchmark::RegisterBenchmark ("chain/bypass", benchmarkChain, withBypass (everythingOn)), blockSize);
    }

    perBlock (benchmark::RegisterBenchmark ("parameter lookups", benchmarkParameterLookups), 27);
    perBlock (benchmark::RegisterBenchmark ("block times/everything on", benchmarkChainBlockTimes, everythingOn)
                  ->UseManualTime(),
              32);

    for (size_t i = 0; i < chainSteps.size(); ++i)
    {
        const auto name = std::string (chainSteps[i].name);
        perBlock (benchmark::RegisterBenchmark (("stages/chain/" + name).c_str(), benchmarkChain, settingsUpTo (i)),
                  breakdownBlockSize);
        perBlock (
            benchmark::RegisterBenchmark (("stages/floor/" + name).c_str(), benchmarkFloor, (FloorChain::Stage) i),
            breakdownBlockSize);
    }
}
} // namespace

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;

    // Interleaved repetitions by default; flags given on the command line come
    // later and win.
    std::vector<char*> arguments { argv[0] };
    std::string defaults[] = { "--benchmark_repetitions=7", "--benchmark_enable_random_interleaving=true",
                               "--benchmark_report_aggregates_only=true" };
    for (auto& flag : defaults)
        arguments.push_back (flag.data());
    for (int i = 1; i < argc; ++i)
        arguments.push_back (argv[i]);

    int count = (int) arguments.size();
    benchmark::Initialize (&count, arguments.data());
    if (benchmark::ReportUnrecognizedArguments (count, arguments.data()))
        return 1;

    registerBenchmarks();

    const auto loadBefore = loadAverage();
    SummaryReporter reporter;
    benchmark::RunSpecifiedBenchmarks (&reporter);
    printSummary (reporter, loadBefore);

    benchmark::Shutdown();
    return 0;
}
