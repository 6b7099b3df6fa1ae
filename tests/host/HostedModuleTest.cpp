#include "support/HostedPlugin.h"
#include "support/Signals.h"

#include <gtest/gtest.h>

#include <pluginterfaces/base/ipluginbase.h>

#include <cmath>

namespace
{
// The module's own factory, read through the VST3 interfaces as a host reads
// it before creating anything.
struct ModuleFactory
{
    ModuleFactory()
    {
        const auto binary = juce::File (QUORLIN_VST3_BINARY_DIR).getChildFile ("Tessarwood Quorlin.so");

        if (! library.open (binary.getFullPathName()))
            return;

        using Entry = bool (*) (void*);
        using Exit = bool (*)();
        using GetFactory = Steinberg::IPluginFactory* (*) ();

        entry = reinterpret_cast<Entry> (library.getFunction ("ModuleEntry"));
        exit = reinterpret_cast<Exit> (library.getFunction ("ModuleExit"));
        auto getFactory = reinterpret_cast<GetFactory> (library.getFunction ("GetPluginFactory"));

        if (entry == nullptr || exit == nullptr || getFactory == nullptr || ! entry (library.getNativeHandle()))
            return;

        entered = true;
        factory = getFactory();

        if (factory != nullptr)
            factory->queryInterface (Steinberg::IPluginFactory2::iid, reinterpret_cast<void**> (&factory2));
    }

    ~ModuleFactory()
    {
        if (factory2 != nullptr)
            factory2->release();
        if (factory != nullptr)
            factory->release();
        if (entered)
            exit();
    }

    juce::DynamicLibrary library;
    bool (*entry) (void*) = nullptr;
    bool (*exit)() = nullptr;
    bool entered = false;
    Steinberg::IPluginFactory* factory = nullptr;
    Steinberg::IPluginFactory2* factory2 = nullptr;
};

// The host-facing ID of a parameter: a 31-bit hash of its identifier.
juce::uint32 hashedId (const juce::String& identifier)
{
    juce::uint32 hash = 0;
    for (auto c : identifier)
        hash = hash * 31u + (juce::uint32) c;
    return hash & 0x7FFFFFFFu;
}

// Every parameter as the host lists it: identifier (empty for the client's
// own bypass) and name.
const std::vector<std::pair<const char*, const char*>>& hostParameters()
{
    static const std::vector<std::pair<const char*, const char*>> list {
        { "inputTrim", "Input" },
        { "gateAmount", "Gate" },
        { "gateMode", "Gate Character" },
        { "driveAmount", "Drive" },
        { "driveMode", "Drive Character" },
        { "driveEnabled", "Drive Enabled" },
        { "toneTilt", "Tone" },
        { "toneMode", "Tone Character" },
        { "toneMidFreq", "Mid Sweep" },
        { "toneEnabled", "Tone Enabled" },
        { "cabMode", "Cab Character" },
        { "cabEnabled", "Cab Enabled" },
        { "modAmount", "Modulation" },
        { "modMode", "Modulation Character" },
        { "modRate", "Mod Rate" },
        { "modEnabled", "Mod Enabled" },
        { "spaceAmount", "Space" },
        { "spaceMode", "Space Character" },
        { "spacePreDelay", "Space Pre-Delay" },
        { "spaceEnabled", "Space Enabled" },
        { "echoAmount", "Echo" },
        { "echoDivision", "Echo Division" },
        { "echoFeedback", "Echo Feedback" },
        { "echoEnabled", "Echo Enabled" },
        { "blend", "Blend" },
        { "outputTrim", "Output" },
        { "bypass", "Bypass" },
        { "", "Bypass" },
    };
    return list;
}

constexpr juce::uint32 hostBypassId = 0x62797073; // "byps"

// The oversampler's delay: two polyphase IIR half-band stages with integer
// latency, rounded up to whole samples.
constexpr int expectedLatency = 6;

} // namespace

//==============================================================================
TEST (HostedModule, FactoryPublishesTheVendorAndTwoClasses)
{
    ModuleFactory module;
    ASSERT_NE (module.factory, nullptr);
    ASSERT_NE (module.factory2, nullptr);

    Steinberg::PFactoryInfo info {};
    ASSERT_EQ (module.factory->getFactoryInfo (&info), Steinberg::kResultOk);
    EXPECT_STREQ (info.vendor, "tessarwood");
    EXPECT_STREQ (info.url, "https://tessarwood.example");
    EXPECT_STREQ (info.email, "");
    EXPECT_EQ (info.flags, Steinberg::PFactoryInfo::kUnicode);

    struct ExpectedClass
    {
        const char* category;
    };
    const ExpectedClass classes[] = { { "Audio Module Class" }, { "Component Controller Class" } };

    ASSERT_EQ (module.factory->countClasses(), 2);

    for (int i = 0; i < 2; ++i)
    {
        Steinberg::PClassInfo2 classInfo {};
        ASSERT_EQ (module.factory2->getClassInfo2 (i, &classInfo), Steinberg::kResultOk);
        SCOPED_TRACE (classes[i].category);

        EXPECT_STREQ (classInfo.category, classes[i].category);
        EXPECT_STREQ (classInfo.name, "Tessarwood Quorlin");
        EXPECT_STREQ (classInfo.vendor, "tessarwood");
        EXPECT_STREQ (classInfo.version, "0.0.1");
        EXPECT_STREQ (classInfo.subCategories, "Fx");
        EXPECT_STREQ (classInfo.sdkVersion, "VST 3.7.2");
        EXPECT_EQ (classInfo.classFlags, 0u);
        EXPECT_EQ (classInfo.cardinality, Steinberg::PClassInfo::kManyInstances);
    }

    // The two class IDs differ, and asking twice gives the same ones.
    Steinberg::PClassInfo first {}, second {};
    ASSERT_EQ (module.factory->getClassInfo (0, &first), Steinberg::kResultOk);
    ASSERT_EQ (module.factory->getClassInfo (1, &second), Steinberg::kResultOk);
    EXPECT_FALSE (Steinberg::FUnknownPrivate::iidEqual (first.cid, second.cid));

    Steinberg::PClassInfo again {};
    ASSERT_EQ (module.factory->getClassInfo (0, &again), Steinberg::kResultOk);
    EXPECT_TRUE (Steinberg::FUnknownPrivate::iidEqual (first.cid, again.cid));
}

TEST (HostedModule, ScanDescribesAStereoEffect)
{
    juce::VST3PluginFormat format;
    const auto found = HostedPlugin::scan (format);
    ASSERT_EQ (found.size(), 1);
    const auto& description = *found[0];

    EXPECT_EQ (description.name, "Tessarwood Quorlin");
    EXPECT_EQ (description.manufacturerName, "tessarwood");
    EXPECT_EQ (description.version, "0.0.1");
    EXPECT_TRUE (description.category.contains ("Fx")) << description.category;
    EXPECT_EQ (description.pluginFormatName, "VST3");
    EXPECT_FALSE (description.isInstrument);
    EXPECT_EQ (description.numInputChannels, 2);
    EXPECT_EQ (description.numOutputChannels, 2);
}

//==============================================================================
TEST (HostedModule, ListsTheParametersWithTheirHashedIds)
{
    HostedPlugin plugin;
    ASSERT_TRUE (plugin.isLoaded()) << plugin.errorMessage;

    const auto& parameters = plugin.instance->getParameters();
    const auto& expected = hostParameters();
    ASSERT_EQ (parameters.size(), (int) expected.size());

    for (int i = 0; i < parameters.size(); ++i)
    {
        const auto& [identifier, name] = expected[(size_t) i];
        const juce::String id (identifier);
        SCOPED_TRACE (name);

        EXPECT_EQ (parameters[i]->getName (100), name);

        const auto expectedId = id.isEmpty() ? hostBypassId : hashedId (id);
        EXPECT_EQ (HostedPlugin::vst3Id (*parameters[i]), expectedId);
        EXPECT_EQ (plugin.findParameter (juce::String (expectedId)), parameters[i]);
    }

    EXPECT_EQ (plugin.instance->getBypassParameter(), parameters.getLast());

    // The hash itself, worked out by hand for two identifiers.
    EXPECT_EQ (hashedId ("bypass"), 0x2E186CE8u);
    EXPECT_EQ (hashedId ("inputTrim"), 0x65BE4B0Cu);
}

TEST (HostedModule, ParametersStartAtTheirDefaults)
{
    HostedPlugin plugin;
    ASSERT_TRUE (plugin.isLoaded()) << plugin.errorMessage;

    struct Case
    {
        const char* name;
        float normalised;
        const char* text;
    };

    const Case cases[] = {
        { "Input", 0.5f, "0.0" },           { "Output", 60.0f / 84.0f, "0.0" }, { "Mid Sweep", 0.5094f, "800" },
        { "Mod Rate", 0.378f, "0.80" },     { "Echo Feedback", 0.35f, "35.0" }, { "Blend", 1.0f, "100.0" },
        { "Tone Character", 0.5f, "Flat" }, { "Cab Enabled", 0.0f, "Off" },     { "Drive Enabled", 1.0f, "On" },
    };

    for (const auto& c : cases)
    {
        auto* parameter = plugin.findParameter (c.name);
        ASSERT_NE (parameter, nullptr) << c.name;
        EXPECT_NEAR (parameter->getValue(), c.normalised, 1e-3f) << c.name;
        EXPECT_EQ (parameter->getCurrentValueAsText(), c.text) << c.name;
    }

    EXPECT_EQ (plugin.instance->getBypassParameter()->getValue(), 0.0f);
}

//==============================================================================
TEST (HostedModule, AcceptsStereoOrMonoInputIntoStereo)
{
    HostedPlugin plugin;
    ASSERT_TRUE (plugin.isLoaded()) << plugin.errorMessage;
    auto& instance = *plugin.instance;

    ASSERT_EQ (instance.getBusCount (true), 1);
    ASSERT_EQ (instance.getBusCount (false), 1);
    EXPECT_EQ (instance.getBus (true, 0)->getName(), "Input");
    EXPECT_EQ (instance.getBus (false, 0)->getName(), "Output");
    EXPECT_EQ (instance.getChannelLayoutOfBus (true, 0), juce::AudioChannelSet::stereo());
    EXPECT_EQ (instance.getChannelLayoutOfBus (false, 0), juce::AudioChannelSet::stereo());
    EXPECT_FALSE (instance.acceptsMidi());
    EXPECT_FALSE (instance.producesMidi());

    auto layout = [] (const juce::AudioChannelSet& in, const juce::AudioChannelSet& out)
    {
        juce::AudioProcessor::BusesLayout l;
        l.inputBuses.add (in);
        l.outputBuses.add (out);
        return l;
    };

    EXPECT_FALSE (instance.setBusesLayout (layout (juce::AudioChannelSet::stereo(), juce::AudioChannelSet::mono())));
    EXPECT_EQ (instance.getChannelLayoutOfBus (false, 0), juce::AudioChannelSet::stereo());

    ASSERT_TRUE (instance.setBusesLayout (layout (juce::AudioChannelSet::mono(), juce::AudioChannelSet::stereo())));
    EXPECT_EQ (instance.getChannelLayoutOfBus (true, 0), juce::AudioChannelSet::mono());

    plugin.prepare (48000.0, 256);
    juce::AudioBuffer<float> block (2, 256);
    Signals::Sine sine { 440.0, 48000.0, 0.3f };
    for (int i = 0; i < 20; ++i)
    {
        sine.fill (block);
        block.clear (1, 0, 256);
        plugin.process (block);
    }

    // The single input channel comes out on both sides.
    EXPECT_GT (block.getMagnitude (0, 0, 256), 0.05f);
    for (int i = 0; i < 256; ++i)
        ASSERT_EQ (block.getSample (0, i), block.getSample (1, i)) << i;
}

TEST (HostedModule, ReportsLatencyAndTailInSamples)
{
    for (const double rate : { 44100.0, 48000.0, 96000.0 })
    {
        HostedPlugin plugin (rate, 512);
        ASSERT_TRUE (plugin.isLoaded()) << plugin.errorMessage;
        EXPECT_EQ (plugin.instance->getLatencySamples(), 0) << rate;

        // The first activation prepares the processor; the client announces the
        // new latency afterwards, from its own message thread.
        plugin.prepare (rate, 512);
        dispatchHostMessagesUntil ([&] { return plugin.instance->getLatencySamples() != 0; });
        EXPECT_EQ (plugin.instance->getLatencySamples(), expectedLatency) << rate;

        // A later activation reads it directly.
        plugin.instance->releaseResources();
        plugin.prepare (rate, 256);
        EXPECT_EQ (plugin.instance->getLatencySamples(), expectedLatency) << rate;

        EXPECT_EQ (juce::roundToInt (plugin.instance->getTailLengthSeconds() * rate), juce::roundToInt (4.0 * rate))
            << rate;
    }
}

TEST (HostedModule, AudioPassesAtEveryRateAndBlockSize)
{
    constexpr int preparedMaximum = 1024;

    // Blocks never exceed the maximum of the last activation: the client
    // copies the host's input into storage of that size before the processor
    // sees it (longer blocks are covered by the processor's own tests). A
    // re-activation with a larger maximum is how a host sends longer blocks.
    for (const double rate : { 44100.0, 48000.0, 96000.0 })
    {
        HostedPlugin plugin (rate, preparedMaximum);
        ASSERT_TRUE (plugin.isLoaded()) << plugin.errorMessage;
        plugin.prepare (rate, preparedMaximum);

        auto runBlocks = [&] (int blockSize)
        {
            SCOPED_TRACE (juce::String (rate) + " Hz, " + juce::String (blockSize) + " samples");
            const int blocks = juce::jmax (8, (int) (0.2 * rate) / blockSize);

            Signals::Sine sine { 440.0, rate, 0.3f };
            float peak = 0.0f;
            bool finite = true;

            for (int i = 0; i < blocks; ++i)
            {
                juce::AudioBuffer<float> block (2, blockSize);
                sine.fill (block);
                plugin.process (block);
                finite = finite && Signals::allFinite (block);
                if (i >= blocks / 2)
                    peak = juce::jmax (peak, block.getMagnitude (0, blockSize));
            }

            EXPECT_TRUE (finite);
            EXPECT_GT (peak, 0.1f);
            EXPECT_LT (peak, 1.0f);
        };

        for (const int blockSize : { 1, 64, 512, preparedMaximum })
            runBlocks (blockSize);

        juce::AudioBuffer<float> empty (2, 0);
        plugin.process (empty);

        plugin.instance->releaseResources();
        plugin.prepare (rate, 4 * preparedMaximum);

        for (const int blockSize : { 4 * preparedMaximum, preparedMaximum + 333, 7 })
            runBlocks (blockSize);
    }
}

// Either bypass, the client's own ("byps") or the plug-in's "Bypass", plays
// the input on both outputs (a mono input copied, as the chain gets it),
// exactly as late as the chain plays it: the latency the module reports, so
// the host's compensation keeps holding. A ramp, every sample different,
// shows that switching on and off neither skips nor repeats a sample.
TEST (HostedModule, EitherBypassPlaysTheInputAsLateAsTheChain)
{
    constexpr double rate = 48000.0;
    constexpr int blockSize = 256;

    for (const bool monoInput : { true, false })
    {
        for (const bool hostBypass : { true, false })
        {
            SCOPED_TRACE (juce::String (monoInput ? "mono" : "stereo") + " in, " + (hostBypass ? "byps" : "Bypass"));
            HostedPlugin plugin (rate, blockSize);
            ASSERT_TRUE (plugin.isLoaded()) << plugin.errorMessage;

            if (monoInput)
            {
                juce::AudioProcessor::BusesLayout layout;
                layout.inputBuses.add (juce::AudioChannelSet::mono());
                layout.outputBuses.add (juce::AudioChannelSet::stereo());
                ASSERT_TRUE (plugin.instance->setBusesLayout (layout));
            }

            plugin.prepare (rate, blockSize);
            dispatchHostMessagesUntil ([&] { return plugin.instance->getLatencySamples() != 0; });
            const int latency = plugin.instance->getLatencySamples();
            ASSERT_EQ (latency, expectedLatency);

            // Without the tone stage's filters the processed chain is the
            // oversampler alone: the input, `latency` samples late.
            plugin.findParameter ("Tone Enabled")->setValueNotifyingHost (0.0f);

            auto* bypass = hostBypass ? plugin.instance->getBypassParameter()
                                      : plugin.findParameter (juce::String (hashedId ("bypass")));
            ASSERT_NE (bypass, nullptr);

            // Processed, bypassed, processed again; switched between blocks.
            const int processedBlocks = 24, bypassedBlocks = 5, resumedBlocks = 4;
            const int bypassFrom = processedBlocks * blockSize, bypassTo = bypassFrom + bypassedBlocks * blockSize;
            const int length = bypassTo + resumedBlocks * blockSize;

            // Ramps through zero at the switch, where the chain's small gain
            // error cannot hide a sample of timing.
            juce::AudioBuffer<float> input (2, length);
            for (int i = 0; i < length; ++i)
            {
                input.setSample (0, i, 1.0e-4f * (float) (i - bypassFrom));
                input.setSample (1, i, monoInput ? 0.0f : -0.7e-4f * (float) (i - bypassFrom));
            }

            auto output = input;
            for (int start = 0; start < length; start += blockSize)
            {
                if (start == bypassFrom || start == bypassTo)
                    bypass->setValueNotifyingHost (start == bypassFrom ? 1.0f : 0.0f);

                juce::AudioBuffer<float> block (output.getArrayOfWritePointers(), 2, start, blockSize);
                plugin.process (block);
            }

            const auto delayedInput = [&] (int channel, int i)
            { return input.getSample (monoInput ? 0 : channel, i - latency); };

            for (int ch = 0; ch < 2; ++ch)
            {
                // Processed: the input, this late, through the oversampling filters
                // (within a fifth of one sample's step of the ramp).
                for (int i = bypassFrom - blockSize; i < bypassFrom; ++i)
                    ASSERT_NEAR (output.getSample (ch, i), delayedInput (ch, i), 0.2e-4f) << ch << ", " << i;

                // Bypassed, and the hand-over back to the chain: exactly the input.
                for (int i = bypassFrom; i < bypassTo + latency; ++i)
                    ASSERT_EQ (output.getSample (ch, i), delayedInput (ch, i)) << ch << ", " << i;
            }
        }
    }
}
