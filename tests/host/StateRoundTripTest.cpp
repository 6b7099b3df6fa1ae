// The saved state as a host sees it: the component state of the built VST3
// module, saved from one instance and loaded into another.

#include "support/BufferExpectations.h"
#include "support/HostedPlugin.h"
#include "support/Signals.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace
{
constexpr double sampleRate = 44100.0;
constexpr int blockSize = 512;

// Normalised host values, by display name, away from the defaults; the
// processor's own "Bypass" stays off so the chain runs.
const std::vector<std::pair<juce::String, float>>& hostSettings()
{
    static const std::vector<std::pair<juce::String, float>> table {
        { "Input", 0.6f },
        { "Gate", 0.05f },
        { "Gate Character", 1.0f },
        { "Drive", 0.45f },
        { "Drive Character", 0.5f },
        { "Tone", 0.7f },
        { "Tone Character", 1.0f },
        { "Mid Sweep", 0.2f },
        { "Cab Character", 0.5f },
        { "Cab Enabled", 1.0f },
        { "Modulation", 0.5f },
        { "Modulation Character", 0.5f },
        { "Mod Rate", 0.3f },
        { "Space", 0.3f },
        { "Space Character", 1.0f },
        { "Space Pre-Delay", 0.1f },
        { "Echo", 0.4f },
        { "Echo Division", 0.5f },
        { "Echo Feedback", 0.6f },
        { "Blend", 0.8f },
        { "Output", 0.65f },
    };
    return table;
}

juce::AudioBuffer<float> silence()
{
    juce::AudioBuffer<float> buffer (2, blockSize);
    buffer.clear();
    return buffer;
}

juce::MemoryBlock saveState (HostedPlugin& plugin)
{
    juce::MemoryBlock state;
    plugin.instance->getStateInformation (state);
    return state;
}

// The component's state inside the host's saved state: the bytes that the
// module's getState wrote, which the client builds from the processor's chunk
// and its own private block.
juce::MemoryBlock componentState (const juce::MemoryBlock& hostState)
{
    juce::MemoryBlock component;

    if (auto xml = juce::AudioProcessor::getXmlFromBinary (hostState.getData(), (int) hostState.getSize()))
        if (auto* element = xml->getChildByName ("IComponent"))
            component.fromBase64Encoding (element->getAllSubText());

    return component;
}

struct ComponentStateParts
{
    juce::String processorDocument;
    juce::ValueTree clientData;
};

// Splits a component state into the processor's chunk ("VC2!", length n, n
// bytes of text, a zero byte) and the client's block after it (8 zero bytes,
// its value tree, the tree's size as 64 bits, "JUCEPrivateData").
ComponentStateParts splitComponentState (const juce::MemoryBlock& state)
{
    const auto* bytes = static_cast<const char*> (state.getData());
    const auto size = state.getSize();
    const juce::String marker ("JUCEPrivateData");
    const auto markerSize = (size_t) marker.length();

    EXPECT_GT (size, 9u + 8u + 8u + markerSize);
    EXPECT_EQ (std::memcmp (bytes, "VC2!", 4), 0);

    const auto textLength = (size_t) juce::ByteOrder::littleEndianInt (bytes + 4);
    const auto chunkEnd = 8 + textLength + 1;
    EXPECT_EQ (bytes[chunkEnd - 1], 0);
    EXPECT_EQ (juce::ByteOrder::littleEndianInt64 (bytes + chunkEnd), 0u);

    EXPECT_EQ (juce::String (juce::CharPointer_UTF8 (bytes + size - markerSize), juce::CharPointer_UTF8 (bytes + size)),
               marker);
    const auto treeSize = (size_t) juce::ByteOrder::littleEndianInt64 (bytes + size - markerSize - 8);
    EXPECT_EQ (chunkEnd + 8 + treeSize + 8 + markerSize, size);

    return { juce::String::fromUTF8 (bytes + 8, (int) textLength),
             juce::ValueTree::readFromData (bytes + chunkEnd + 8, treeSize) };
}

void expectSameParameters (HostedPlugin& a, HostedPlugin& b)
{
    const auto& first = a.instance->getParameters();
    const auto& second = b.instance->getParameters();
    ASSERT_EQ (first.size(), second.size());

    // The host keeps the unsnapped values it set; the restored instance reads
    // the plug-in's, which lie on the parameters' steps, so compare the texts.
    for (int i = 0; i < first.size(); ++i)
        EXPECT_EQ (first[i]->getCurrentValueAsText(), second[i]->getCurrentValueAsText()) << first[i]->getName (64);
}
} // namespace

TEST (StateRoundTrip, SecondInstanceGetsTheParametersAndProcessesIdentically)
{
    HostedPlugin source (sampleRate, blockSize);
    ASSERT_TRUE (source.isLoaded()) << source.errorMessage;
    source.prepare (sampleRate, blockSize);

    for (const auto& [name, value] : hostSettings())
    {
        auto* parameter = source.findParameter (name);
        ASSERT_NE (parameter, nullptr) << name;
        parameter->setValueNotifyingHost (value);
    }

    // The changes reach the processor with the next block.
    auto block = silence();
    source.process (block);
    const auto state = saveState (source);

    HostedPlugin restored (sampleRate, blockSize);
    ASSERT_TRUE (restored.isLoaded()) << restored.errorMessage;
    restored.prepare (sampleRate, blockSize);
    restored.instance->setStateInformation (state.getData(), (int) state.getSize());

    expectSameParameters (source, restored);

    for (const auto& [name, value] : hostSettings())
        EXPECT_NEAR (restored.findParameter (name)->getValue(), value, 0.002f) << name;

    // Both instances have now seen one silent block with these settings.
    block = silence();
    restored.process (block);

    Signals::Sine sine { 220.0, sampleRate, 0.4f };
    for (int i = 0; i < 40; ++i)
    {
        juce::AudioBuffer<float> input (2, blockSize);
        sine.fill (input);
        Signals::fillNoise (input, 0.05f, i);

        auto fromSource = input;
        auto fromRestored = input;
        source.process (fromSource);
        restored.process (fromRestored);

        for (int ch = 0; ch < 2; ++ch)
            ASSERT_EQ (std::memcmp (fromSource.getReadPointer (ch), fromRestored.getReadPointer (ch),
                                    sizeof (float) * (size_t) blockSize),
                       0)
                << "block " << i << " channel " << ch;
    }

    // And the restored instance saves what it was given.
    EXPECT_TRUE (componentState (saveState (restored)) == componentState (state));
}

TEST (StateRoundTrip, ComponentStateIsTheProcessorChunkFollowedByTheHostBypass)
{
    HostedPlugin source (sampleRate, blockSize);
    ASSERT_TRUE (source.isLoaded()) << source.errorMessage;
    source.prepare (sampleRate, blockSize);

    source.findParameter ("Drive")->setValueNotifyingHost (0.45f);
    // The client's own host bypass ("byps").
    auto* hostBypass = source.instance->getBypassParameter();
    ASSERT_NE (hostBypass, nullptr);
    EXPECT_EQ (HostedPlugin::vst3Id (*hostBypass), 0x62797073u);
    hostBypass->setValueNotifyingHost (1.0f);

    auto block = silence();
    source.process (block);
    const auto state = saveState (source);

    const auto parts = splitComponentState (componentState (state));
    EXPECT_TRUE (parts.processorDocument.startsWith ("<?xml version=\"1.0\" encoding=\"UTF-8\"?> "
                                                     "<PARAMETERS manualBpm=\"120.0\" hostSyncEnabled=\"1\">"))
        << parts.processorDocument;
    EXPECT_TRUE (parts.processorDocument.contains ("<PARAM id=\"driveAmount\" value=\"45.0\"/>"))
        << parts.processorDocument;
    EXPECT_TRUE (parts.clientData.hasType ("JUCEPrivateData"));
    EXPECT_TRUE ((bool) parts.clientData.getProperty ("Bypass"));

    HostedPlugin restored (sampleRate, blockSize);
    ASSERT_TRUE (restored.isLoaded()) << restored.errorMessage;
    restored.prepare (sampleRate, blockSize);
    restored.instance->setStateInformation (state.getData(), (int) state.getSize());

    EXPECT_EQ (restored.instance->getBypassParameter()->getValue(), 1.0f);
    EXPECT_NEAR (restored.findParameter ("Drive")->getValue(), 0.45f, 0.002f);
    expectSameParameters (source, restored);

    // With the host bypass on, the audio passes untouched, as late as the
    // chain would play it.
    const auto first = Signals::noise (2, blockSize, 0.5f, 7);
    const auto second = Signals::noise (2, blockSize, 0.5f, 8);
    auto output = first;
    restored.process (output);
    output = second;
    restored.process (output);

    dispatchHostMessagesUntil ([&] { return restored.instance->getLatencySamples() != 0; });
    const auto expected = delayedBlock (first, second, restored.instance->getLatencySamples());
    for (int ch = 0; ch < 2; ++ch)
        EXPECT_EQ (
            std::memcmp (output.getReadPointer (ch), expected.getReadPointer (ch), sizeof (float) * (size_t) blockSize),
            0);
}
