#pragma once

// The built VST3 bundle, loaded the way a host loads it: scanned and
// instantiated through JUCE's VST3 hosting. Only for the host test binary,
// which is built with JUCE_PLUGINHOST_VST3 and knows QUORLIN_VST3_BINARY_DIR.

#include <juce_audio_processors/juce_audio_processors.h>

#include <memory>

namespace juce
{
// JUCE's own dispatch step (defined in juce_events): runs one posted message
// without a modal loop.
bool dispatchNextMessageOnSystemQueue (bool returnIfNoPendingMessages);
} // namespace juce

// Runs the host's posted messages until `done` holds (or a generous bound of
// tries has passed, after which the caller's expectation reports the fault).
template <typename Condition>
void dispatchHostMessagesUntil (Condition done)
{
    for (int i = 0; i < 5000 && ! done(); ++i)
    {
        while (juce::dispatchNextMessageOnSystemQueue (true))
        {
        }

        juce::Thread::sleep (1);
    }
}

struct HostedPlugin
{
    // The bundle folder (….vst3) that holds the module binary.
    static juce::File bundle()
    {
        return juce::File (QUORLIN_VST3_BINARY_DIR).getParentDirectory().getParentDirectory();
    }

    // Every class the VST3 format finds in the bundle (one for this plug-in).
    static juce::OwnedArray<juce::PluginDescription> scan (juce::VST3PluginFormat& format,
                                                           const juce::File& bundleFolder = bundle())
    {
        juce::OwnedArray<juce::PluginDescription> found;
        format.findAllTypesForFile (found, bundleFolder.getFullPathName());
        return found;
    }

    // Scans the bundle (the one the build produced unless another is given)
    // and creates one instance at the given rate and block size; isLoaded()
    // tells whether that worked, errorMessage why not.
    explicit HostedPlugin (double sampleRate = 44100.0, int blockSize = 512, const juce::File& bundleFolder = bundle())
    {
        auto found = scan (format, bundleFolder);

        if (found.isEmpty())
        {
            errorMessage = "no plug-in found in " + bundleFolder.getFullPathName();
            return;
        }

        description = *found[0];
        instance = format.createInstanceFromDescription (description, sampleRate, blockSize, errorMessage);
    }

    ~HostedPlugin()
    {
        if (instance != nullptr)
            instance->releaseResources();
    }

    bool isLoaded() const { return instance != nullptr; }

    // Sets the stereo-in/stereo-out (or any other) layout and prepares.
    void prepare (double sampleRate, int blockSize)
    {
        instance->setRateAndBufferSizeDetails (sampleRate, blockSize);
        instance->prepareToPlay (sampleRate, blockSize);
    }

    void process (juce::AudioBuffer<float>& buffer)
    {
        midi.clear();
        instance->processBlock (buffer, midi);
    }

    // The host-side parameter whose name (e.g. "Drive") or host parameter ID
    // (the decimal VST3 ID, e.g. "1652125811") matches; nullptr if none.
    juce::AudioProcessorParameter* findParameter (const juce::String& nameOrId) const
    {
        for (auto* parameter : instance->getParameters())
        {
            if (parameter->getName (256) == nameOrId)
                return parameter;

            if (auto* withId = dynamic_cast<juce::HostedAudioProcessorParameter*> (parameter))
                if (withId->getParameterID() == nameOrId)
                    return parameter;
        }

        return nullptr;
    }

    // The VST3 parameter ID that the host sees for a parameter.
    static juce::uint32 vst3Id (const juce::AudioProcessorParameter& parameter)
    {
        if (auto* withId = dynamic_cast<const juce::HostedAudioProcessorParameter*> (&parameter))
            return (juce::uint32) withId->getParameterID().getLargeIntValue();

        return 0;
    }

    juce::VST3PluginFormat format;
    juce::PluginDescription description;
    std::unique_ptr<juce::AudioPluginInstance> instance;
    juce::MidiBuffer midi;
    juce::String errorMessage;
};

// A host's window holding the plug-in's view, with the native frame: JUCE's
// own title bar needs window-manager hints that a bare X server does not have.
struct HostWindow : juce::DocumentWindow
{
    HostWindow()
        : juce::DocumentWindow ("Tessarwood Quorlin", juce::Colours::black, 0)
    {
        setUsingNativeTitleBar (true);
    }
};
