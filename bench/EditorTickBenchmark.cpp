// The editor's own cost per timer tick, headless. The editor is rendered into a
// window-sized picture the way a window keeps it: at each 33 ms tick (paced in
// real time, so the bypass lamp pulses as it does on screen) the timer runs, and
// then exactly the regions it asked to repaint are cleared and painted, clipped,
// into the picture, as JUCE's Linux windows do. Two scenes: idle (no audio, the
// meters at rest) and playing (the processor runs plucked notes at 48 kHz
// between ticks, outside the measurement, so the meters move).
//
// Reported per scene: the CPU time of a tick and its repaint on this thread
// (mean, median, 95th percentile), that as a share of one core at one tick per
// 33 ms, and the area repainted per tick; then the cost of repainting the whole
// window.
//
// Usage: QuorlinEditorTickBenchmark [--ticks N] [--scale S] [--size WxH] [--scene idle|playing]

#include "PluckSignal.h"
#include "editor/VaskelQuorlinEditor.h"
#include "processor/VaskelQuorlinProcessor.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <numeric>
#include <thread>
#include <vector>

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 256;
constexpr double tickSeconds = 0.033;

double threadCpuSeconds()
{
    timespec ts {};
    clock_gettime (CLOCK_THREAD_CPUTIME_ID, &ts);
    return (double) ts.tv_sec + (double) ts.tv_nsec * 1.0e-9;
}

// Takes what the editor and its children ask to repaint, in place of a window.
struct RepaintRecorder : juce::CachedComponentImage
{
    explicit RepaintRecorder (juce::Component& c)
        : owner (c)
    {
    }

    void paint (juce::Graphics&) override {}
    bool invalidateAll() override
    {
        regions.add (owner.getLocalBounds());
        return false;
    }
    bool invalidate (const juce::Rectangle<int>& area) override
    {
        regions.add (area);
        return false;
    }
    void releaseResources() override {}

    juce::Component& owner;
    juce::RectangleList<int> regions;
};

struct Options
{
    int ticks = 240; // 8 s
    float scale = 1.0f;
    int width = 1180, height = 560;
    juce::String scene; // empty: both
};

struct Statistics
{
    double mean = 0, median = 0, p95 = 0;
};

Statistics statisticsOf (std::vector<double> values)
{
    std::sort (values.begin(), values.end());
    const auto n = values.size();
    return { std::accumulate (values.begin(), values.end(), 0.0) / (double) n, values[n / 2],
             values[std::min (n - 1, (n * 95) / 100)] };
}

class EditorRig
{
public:
    explicit EditorRig (const Options& o)
        : options (o)
        , frame (juce::Image::ARGB, juce::roundToInt ((float) o.width * o.scale),
                 juce::roundToInt ((float) o.height * o.scale), true, juce::SoftwareImageType())
    {
        processor.prepareToPlay (sampleRate, blockSize);
        editor = std::make_unique<VaskelQuorlinEditor> (processor);
        editor->setSize (o.width, o.height);
        editor->setVisible (true); // repaints reach the recorder only from a visible editor

        recorder = new RepaintRecorder (*editor);
        editor->setCachedComponentImage (recorder); // owned by the editor

        paintRegions ({ editor->getLocalBounds() }); // the window's first picture
    }

    ~EditorRig() { editor = nullptr; }

    // One tick with its repaint; returns the CPU seconds it took.
    double tick()
    {
        const auto start = threadCpuSeconds();
        editor->timerCallback();

        auto regions = recorder->regions;
        recorder->regions.clear();
        repaintedArea += regions.isEmpty() ? 0 : (double) areaOf (regions);

        if (! regions.isEmpty())
            paintRegions (regions);

        return threadCpuSeconds() - start;
    }

    double repaintWholeWindow()
    {
        const auto start = threadCpuSeconds();
        paintRegions ({ editor->getLocalBounds() });
        return threadCpuSeconds() - start;
    }

    // Runs the audio that falls into one tick through the processor.
    void playOneTick()
    {
        samplesDue += sampleRate * tickSeconds;

        while (samplesDue >= blockSize)
        {
            signal.fill (block);
            processor.processBlock (block, midi);
            samplesDue -= blockSize;
        }
    }

    double repaintedArea = 0.0;

private:
    static juce::int64 areaOf (const juce::RectangleList<int>& regions)
    {
        juce::int64 area = 0;
        for (const auto& r : regions)
            area += (juce::int64) r.getWidth() * r.getHeight();
        return area;
    }

    void paintRegions (const juce::RectangleList<int>& logicalRegions)
    {
        juce::RectangleList<int> regions;
        for (const auto& r : logicalRegions)
            regions.add ((r.toFloat() * options.scale).getSmallestIntegerContainer());

        for (const auto& r : regions)
            frame.clear (r);

        juce::LowLevelGraphicsSoftwareRenderer context (frame, {}, regions);
        context.addTransform (juce::AffineTransform::scale (options.scale));
        juce::Graphics g (context);
        editor->paintEntireComponent (g, true);
    }

    Options options;
    VaskelQuorlinProcessor processor;
    std::unique_ptr<VaskelQuorlinEditor> editor;
    RepaintRecorder* recorder = nullptr;
    juce::Image frame;

    PluckSignal signal { sampleRate };
    juce::AudioBuffer<float> block { 2, blockSize };
    juce::MidiBuffer midi;
    double samplesDue = 0.0;
};

void runScene (const char* name, bool playing, const Options& options)
{
    EditorRig rig (options);
    std::vector<double> cpu;
    const auto period = std::chrono::microseconds ((int) (tickSeconds * 1.0e6));
    auto next = std::chrono::steady_clock::now();
    constexpr int warmUpTicks = 30;

    for (int i = 0; i < warmUpTicks + options.ticks; ++i)
    {
        if (playing)
            rig.playOneTick();

        if (i == warmUpTicks)
            rig.repaintedArea = 0.0;

        const auto seconds = rig.tick();

        if (i >= warmUpTicks)
            cpu.push_back (seconds);

        next += period;
        std::this_thread::sleep_until (next);
    }

    const auto s = statisticsOf (cpu);
    std::printf ("%-8s  %9.1f  %9.1f  %9.1f  %10.2f %%  %12.0f\n", name, s.mean * 1.0e6, s.median * 1.0e6,
                 s.p95 * 1.0e6, 100.0 * s.mean / tickSeconds, rig.repaintedArea / (double) options.ticks);
}

void runWholeWindow (const Options& options)
{
    EditorRig rig (options);
    std::vector<double> cpu;

    for (int i = 0; i < 20; ++i)
        cpu.push_back (rig.repaintWholeWindow());

    const auto s = statisticsOf (cpu);
    std::printf ("whole-window repaint: %.0f us (median of 20)\n", s.median * 1.0e6);
}

Options parse (int argc, char** argv)
{
    Options o;

    for (int i = 1; i + 1 < argc; i += 2)
    {
        const juce::String flag (argv[i]), value (argv[i + 1]);

        if (flag == "--ticks")
            o.ticks = juce::jmax (1, value.getIntValue());
        else if (flag == "--scale")
            o.scale = juce::jlimit (0.25f, 4.0f, value.getFloatValue());
        else if (flag == "--scene")
            o.scene = value;
        else if (flag == "--size")
        {
            o.width = juce::jmax (1, value.upToFirstOccurrenceOf ("x", false, false).getIntValue());
            o.height = juce::jmax (1, value.fromFirstOccurrenceOf ("x", false, false).getIntValue());
        }
    }

    return o;
}
} // namespace

int main (int argc, char** argv)
{
    juce::ScopedJuceInitialiser_GUI juce;
    const auto options = parse (argc, argv);

    std::printf ("editor %d x %d at scale %.2f, %d ticks of 33 ms per scene (after 30 to settle)\n", options.width,
                 options.height, (double) options.scale, options.ticks);
    std::printf ("%-8s  %9s  %9s  %9s  %12s  %12s\n", "scene", "mean us", "median us", "p95 us", "of a core",
                 "px per tick");
    for (const auto& [name, playing] : { std::pair<const char*, bool> { "idle", false }, { "playing", true } })
        if (options.scene.isEmpty() || options.scene == name)
            runScene (name, playing, options);

    if (options.scene.isEmpty())
        runWholeWindow (options);
    return 0;
}
