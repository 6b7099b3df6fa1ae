// The editor as a host sees it: the built VST3 bundle is loaded with JUCE's
// VST3 hosting, its editor opened at its default size in a window on an X
// display (run it under xvfb-run), and the CPU time of this whole process is
// measured over 8 s after 4 s of settling. The host runs an ordinary blocking
// message loop, as a DAW's UI thread does. Three scenes:
//   none       the instance alone, prepared, no audio: the host's own floor;
//   idle       the editor open, no audio;
//   playing    the editor open while an audio thread streams plucked notes
//              through the instance at 48 kHz in real time (256-sample blocks),
//              so the meters move.
// Besides the whole process, each scene's CPU is split by thread (from
// /proc/self/task/*/schedstat): the message thread, where the editor's timer
// and all painting run; the audio thread; and the rest (the framework's timer
// threads). Every figure is a share of one core. The X server's own work
// (putting the pictures on its screen) is another process and is not counted.
//
// Usage: QuorlinEditorHostBenchmark [--runs N] [--settle SECONDS] [--measure SECONDS]
//                                   [--scene none|idle|playing] [--threads] [--bundle PATH.vst3]
// (--scene runs one scene only; --threads lists every thread's share as well;
// --bundle loads another build's bundle instead of this build's)

#include "PluckSignal.h"
#include "support/HostedPlugin.h"
#include "support/X11SessionAtoms.h"

#include <pthread.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <map>
#include <memory>
#include <thread>
#include <vector>

namespace juce
{
// JUCE's own dispatch step (juce_events): with false it waits for the next
// event, the way a host's message loop sleeps between events.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 256;

double processCpuSeconds()
{
    timespec ts {};
    clock_gettime (CLOCK_PROCESS_CPUTIME_ID, &ts);
    return (double) ts.tv_sec + (double) ts.tv_nsec * 1.0e-9;
}

double nowSeconds() { return juce::Time::getMillisecondCounterHiRes() * 1.0e-3; }

int currentThreadId() { return (int) syscall (SYS_gettid); }

// CPU time per thread of this process, in seconds.
std::map<int, double> threadCpuSeconds()
{
    std::map<int, double> result;

    for (const auto& task : juce::File ("/proc/self/task").findChildFiles (juce::File::findDirectories, false))
    {
        const auto stats = task.getChildFile ("schedstat").loadFileAsString();

        if (stats.isNotEmpty())
            result[task.getFileName().getIntValue()] = (double) stats.getLargeIntValue() * 1.0e-9;
    }

    return result;
}

void runMessageLoopFor (double seconds)
{
    const auto end = nowSeconds() + seconds;

    while (nowSeconds() < end)
        juce::dispatchNextMessageOnSystemQueue (false);
}

// Streams blocks through the instance in real time, as a host's audio thread does.
struct AudioThread
{
    explicit AudioThread (HostedPlugin& p)
        : plugin (p)
        , thread ([this] { run(); })
    {
    }

    ~AudioThread()
    {
        stop = true;
        thread.join();
    }

    void run()
    {
        pthread_setname_np (pthread_self(), "quorlin audio");
        threadId = currentThreadId();

        PluckSignal signal (sampleRate);
        juce::AudioBuffer<float> buffer (2, blockSize);
        const auto period = std::chrono::nanoseconds ((long long) (1.0e9 * blockSize / sampleRate));
        auto next = std::chrono::steady_clock::now();

        while (! stop)
        {
            signal.fill (buffer);
            plugin.process (buffer);
            next += period;
            std::this_thread::sleep_until (next);
        }
    }

    HostedPlugin& plugin;
    std::atomic<bool> stop { false };
    std::atomic<int> threadId { 0 };
    std::thread thread;
};

struct Shares
{
    double process = 0, messageThread = 0, audioThread = 0, others = 0;
};

enum class Scene
{
    noEditor,
    idle,
    playing
};

bool listThreads = false;

juce::String threadName (int id)
{
    return juce::File ("/proc/self/task/" + juce::String (id) + "/comm").loadFileAsString().trim();
}

Shares runScene (Scene scene, const juce::File& bundle, double settleSeconds, double measureSeconds)
{
    HostedPlugin plugin (sampleRate, blockSize, bundle);

    if (! plugin.isLoaded())
    {
        std::fprintf (stderr, "could not load the plug-in: %s\n", plugin.errorMessage.toRawUTF8());
        std::exit (1);
    }

    plugin.prepare (sampleRate, blockSize);

    std::unique_ptr<juce::AudioProcessorEditor> view;
    std::unique_ptr<HostWindow> window;

    if (scene != Scene::noEditor)
    {
        view.reset (plugin.instance->createEditorIfNeeded());
        window = std::make_unique<HostWindow>();
        window->setContentNonOwned (view.get(), true);
        window->centreWithSize (window->getWidth(), window->getHeight());
        window->setVisible (true);
    }

    std::unique_ptr<AudioThread> audio;

    if (scene == Scene::playing)
        audio = std::make_unique<AudioThread> (plugin);

    runMessageLoopFor (settleSeconds);

    const auto threadsBefore = threadCpuSeconds();
    const auto processBefore = processCpuSeconds();
    const auto wallBefore = nowSeconds();

    runMessageLoopFor (measureSeconds);

    const auto wall = nowSeconds() - wallBefore;
    const auto process = processCpuSeconds() - processBefore;
    const auto threadsAfter = threadCpuSeconds();

    Shares shares;
    shares.process = 100.0 * process / wall;

    const auto messageThreadId = (int) getpid();
    const auto audioThreadId = audio != nullptr ? audio->threadId.load() : -1;
    double others = 0.0;

    for (const auto& [id, after] : threadsAfter)
    {
        const auto before = threadsBefore.count (id) != 0 ? threadsBefore.at (id) : 0.0;
        const auto share = 100.0 * (after - before) / wall;

        if (listThreads)
            std::printf ("    thread %d %-16s %6.2f\n", id, threadName (id).toRawUTF8(), share);

        if (id == messageThreadId)
            shares.messageThread = share;
        else if (id == audioThreadId)
            shares.audioThread = share;
        else
            others += share;
    }

    shares.others = others;

    audio = nullptr;

    if (window != nullptr)
        window->clearContentComponent();

    window = nullptr;
    view = nullptr;

    for (int i = 0; i < 1000 && juce::dispatchNextMessageOnSystemQueue (true); ++i)
    {
    }

    return shares;
}

double median (std::vector<double> values)
{
    std::sort (values.begin(), values.end());
    return values[values.size() / 2];
}
} // namespace

int main (int argc, char** argv)
{
    int runs = 3;
    juce::String onlyScene;
    auto bundle = HostedPlugin::bundle();
    double settle = 4.0, measure = 8.0;

    for (int i = 1; i < argc; ++i)
    {
        const juce::String flag (argv[i]), value (i + 1 < argc ? argv[i + 1] : "");

        if (flag == "--threads")
            listThreads = true;
        else if (flag == "--scene")
            onlyScene = value;
        else if (flag == "--bundle")
            bundle = juce::File::getCurrentWorkingDirectory().getChildFile (value);
        else if (flag == "--runs")
            runs = juce::jmax (1, value.getIntValue());
        else if (flag == "--settle")
            settle = juce::jmax (0.0, value.getDoubleValue());
        else if (flag == "--measure")
            measure = juce::jmax (0.5, value.getDoubleValue());
        else
            continue;

        if (flag != "--threads")
            ++i;
    }

    if (juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isEmpty())
    {
        std::fprintf (stderr, "needs an X display: run it under xvfb-run -a -s \"-screen 0 1920x1080x24\"\n");
        return 1;
    }

    juce::ScopedJuceInitialiser_GUI juce;

    std::printf ("%s\n", bundle.getFullPathName().toRawUTF8());
    std::printf ("%d runs per scene, %.0f s settling, %.0f s measured; %% of one core, median of the runs\n", runs,
                 settle, measure);
    std::printf ("%-10s  %10s  %10s  %10s  %10s\n", "scene", "process", "message", "audio", "others");

    const std::pair<const char*, Scene> scenes[] = { { "none", Scene::noEditor },
                                                     { "idle", Scene::idle },
                                                     { "playing", Scene::playing } };

    for (const auto& [name, scene] : scenes)
    {
        if (onlyScene.isNotEmpty() && onlyScene != name)
            continue;

        std::vector<double> process, message, audio, others;

        for (int run = 0; run < runs; ++run)
        {
            const auto s = runScene (scene, bundle, settle, measure);
            process.push_back (s.process);
            message.push_back (s.messageThread);
            audio.push_back (s.audioThread);
            others.push_back (s.others);
            std::printf ("  run %d: %6.2f  %10.2f  %10.2f  %10.2f\n", run + 1, s.process, s.messageThread,
                         s.audioThread, s.others);
            std::fflush (stdout);
        }

        std::printf ("%-10s  %9.2f%%  %9.2f%%  %9.2f%%  %9.2f%%\n", name, median (process), median (message),
                     median (audio), median (others));
        std::fflush (stdout);
    }

    return 0;
}
