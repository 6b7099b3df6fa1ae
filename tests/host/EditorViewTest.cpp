#include "support/HostedPlugin.h"
#include "support/Signals.h"
#include "support/X11SessionAtoms.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <thread>

namespace juce
{
// JUCE's own dispatch step (juce_events): runs posted messages and the plug-in
// view's run-loop callbacks without a modal loop.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

namespace
{
void dispatchPendingMessages()
{
    for (int i = 0; i < 1000 && juce::dispatchNextMessageOnSystemQueue (true); ++i)
    {
    }
}

// Lets due timer ticks (the editor's and the framework's) arrive and run.
void dispatchFor (int milliseconds)
{
    const auto end = juce::Time::getMillisecondCounter() + (juce::uint32) milliseconds;

    while (juce::Time::getMillisecondCounter() < end)
    {
        if (! juce::dispatchNextMessageOnSystemQueue (true))
            juce::Thread::sleep (1);
    }
}

bool hasDisplay() { return juce::SystemStats::getEnvironmentVariable ("DISPLAY", {}).isNotEmpty(); }

// Processes blocks on a thread of its own for as long as it lives, as a host's
// audio thread does while the editor opens and closes.
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
        auto input = Signals::sine (2, 256, 220.0, 44100.0);
        juce::AudioBuffer<float> buffer (2, 256);

        while (! stop)
        {
            buffer.makeCopyOf (input, true);
            plugin.process (buffer);
            ++blocks;
        }
    }

    HostedPlugin& plugin;
    std::atomic<bool> stop { false };
    std::atomic<int> blocks { 0 };
    std::thread thread;
};
} // namespace

TEST (EditorView, OpensResizesAndClosesRepeatedlyWhileAudioRuns)
{
    if (! hasDisplay())
        GTEST_SKIP() << "needs an X display (run under xvfb-run)";

    HostedPlugin plugin (44100.0, 256);
    ASSERT_TRUE (plugin.isLoaded()) << plugin.errorMessage;
    ASSERT_TRUE (plugin.instance->hasEditor());
    plugin.prepare (44100.0, 256);

    {
        AudioThread audio (plugin);

        for (int round = 0; round < 50; ++round)
        {
            SCOPED_TRACE (round);
            std::unique_ptr<juce::AudioProcessorEditor> view (plugin.instance->createEditorIfNeeded());
            ASSERT_NE (view, nullptr);
            EXPECT_EQ (plugin.instance->getActiveEditor(), view.get());

            // The view opens at the editor's own size.
            EXPECT_EQ (view->getWidth(), 1180);
            EXPECT_EQ (view->getHeight(), 560);

            {
                HostWindow window;
                window.setContentNonOwned (view.get(), true);
                window.setVisible (true);
                dispatchPendingMessages();

                // The editor sets no limits, so the host gets the size it asks for.
                view->setSize (900 - round, 450 + round);
                dispatchPendingMessages();
                EXPECT_EQ (view->getWidth(), 900 - round);
                EXPECT_EQ (view->getHeight(), 450 + round);

                view->setSize (300, 120);
                dispatchPendingMessages();
                EXPECT_EQ (view->getWidth(), 300);
                EXPECT_EQ (view->getHeight(), 120);

                // Now and then long enough for the editor's 33 ms timer to tick.
                if (round % 10 == 0)
                    dispatchFor (80);

                window.clearContentComponent();
            }

            view.reset();
            dispatchPendingMessages();
            EXPECT_EQ (plugin.instance->getActiveEditor(), nullptr);
        }

        dispatchFor (40);
        EXPECT_GT (audio.blocks.load(), 0);
    }

    dispatchPendingMessages();
}

TEST (EditorView, ADestroyedViewCanBeOpenedAgainWithoutAWindow)
{
    HostedPlugin plugin (44100.0, 256);
    ASSERT_TRUE (plugin.isLoaded()) << plugin.errorMessage;

    // Created and destroyed without ever being attached to a window.
    for (int round = 0; round < 3; ++round)
    {
        std::unique_ptr<juce::AudioProcessorEditor> view (plugin.instance->createEditorIfNeeded());
        ASSERT_NE (view, nullptr);
        view.reset();
        dispatchPendingMessages();
    }
}
