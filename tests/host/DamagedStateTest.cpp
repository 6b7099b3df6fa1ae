// Component states that end in the VST3 client's "JUCEPrivateData" marker but
// whose private data is damaged or crafted, handed to the built module through
// IComponent::setState as a host loading such a project would: a stored size
// that does not fit inside the state, or private data other than the host
// bypass the client writes. Such a state restores as if it had no private
// data: the processor's chunk at its start restores and the host bypass keeps
// its value.

#include "support/HostedPlugin.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

namespace
{
constexpr double sampleRate = 44100.0;
constexpr int blockSize = 512;
const char* const marker = "JUCEPrivateData";

// The processor's chunk: "VC2!", the text's length, the text, a zero byte.
juce::MemoryBlock processorChunk()
{
    const std::string text ("<?xml version=\"1.0\" encoding=\"UTF-8\"?> <PARAMETERS manualBpm=\"88\">"
                            "<PARAM id=\"blend\" value=\"33\"/></PARAMETERS>");
    juce::MemoryOutputStream out;
    out.writeInt (0x21324356);
    out.writeInt ((int) text.size());
    out.write (text.data(), text.size());
    out.writeByte (0);
    return out.getMemoryBlock();
}

// The client's private data as it writes it: its value tree with the host bypass.
juce::MemoryBlock privateData (bool bypass)
{
    juce::ValueTree tree (marker);
    tree.setProperty ("Bypass", bypass, nullptr);
    juce::MemoryOutputStream out;
    tree.writeToStream (out);
    return out.getMemoryBlock();
}

// A value tree, in its binary form, whose one property is an array that
// claims two billion values and holds none.
juce::MemoryBlock arrayClaimingTwoBillionValues()
{
    juce::MemoryOutputStream out;
    out.writeString (marker);
    out.writeCompressedInt (1);
    out.writeString ("Bypass");
    out.writeCompressedInt (5);
    out.writeByte (7); // an array
    out.writeCompressedInt (0x7fffffff);
    out.writeCompressedInt (0);
    return out.getMemoryBlock();
}

// The chunk, 8 zero bytes, the private data, a stored size and the marker.
juce::MemoryBlock componentState (const juce::MemoryBlock& data, std::uint64_t storedSize)
{
    juce::MemoryOutputStream out;
    out << processorChunk();
    out.writeInt64 (0);
    out << data;
    out.writeInt64 ((juce::int64) storedSize);
    out.write (marker, std::strlen (marker));
    return out.getMemoryBlock();
}

// The host's state for the instance, as JUCE's VST3 hosting writes it: the
// component state in base64 under "IComponent". Restoring it calls the
// component's setState with exactly those bytes.
juce::MemoryBlock hostState (const juce::MemoryBlock& component)
{
    juce::XmlElement state ("VST3PluginState");
    state.createNewChildElement ("IComponent")->addTextElement (component.toBase64Encoding());
    juce::MemoryBlock data;
    juce::AudioProcessor::copyXmlToBinary (state, data);
    return data;
}

juce::String processorDocumentOf (HostedPlugin& plugin)
{
    juce::MemoryBlock saved;
    plugin.instance->getStateInformation (saved);

    if (auto xml = juce::AudioProcessor::getXmlFromBinary (saved.getData(), (int) saved.getSize()))
        if (auto* element = xml->getChildByName ("IComponent"))
        {
            juce::MemoryBlock component;
            component.fromBase64Encoding (element->getAllSubText());
            const auto* bytes = static_cast<const char*> (component.getData());
            return juce::String::fromUTF8 (bytes + 8, (int) juce::ByteOrder::littleEndianInt (bytes + 4));
        }

    return {};
}

struct DamagedCase
{
    const char* name;
    juce::MemoryBlock data;
    std::uint64_t storedSize;
    bool privateDataRead;
};
} // namespace

TEST (DamagedState, PrivateDataThatDoesNotFitOrIsNotTheBypassIsNoPrivateData)
{
    const auto written = privateData (false);
    const auto size = (std::uint64_t) written.getSize();
    const auto largestFittingSize = (std::uint64_t) componentState (written, 0).getSize() - 31;
    const auto crafted = arrayClaimingTwoBillionValues();

    const std::vector<DamagedCase> cases {
        { "as the client writes it", written, size, true },
        { "a size of 2^28, far beyond the state", written, (std::uint64_t) 1 << 28, false },
        { "a size one byte more than the state holds", written, largestFittingSize + 1, false },
        { "a size that wraps round to zero with the marker's", written, ~(std::uint64_t) 0 - 22, false },
        { "the largest size there is", written, ~(std::uint64_t) 0, false },
        { "a size that fits, of a tree claiming two billion values", crafted, (std::uint64_t) crafted.getSize(),
          false },
    };

    for (const auto& c : cases)
    {
        HostedPlugin plugin (sampleRate, blockSize);
        ASSERT_TRUE (plugin.isLoaded()) << plugin.errorMessage;
        plugin.prepare (sampleRate, blockSize);

        // The host bypass on, so that a restore that reads the private data
        // (which holds it off) shows.
        auto* hostBypass = plugin.instance->getBypassParameter();
        ASSERT_NE (hostBypass, nullptr);
        hostBypass->setValueNotifyingHost (1.0f);
        juce::AudioBuffer<float> block (2, blockSize);
        block.clear();
        plugin.process (block);

        const auto state = hostState (componentState (c.data, c.storedSize));
        plugin.instance->setStateInformation (state.getData(), (int) state.getSize());

        EXPECT_NEAR (plugin.findParameter ("Blend")->getValue(), 0.33f, 0.002f) << c.name;
        EXPECT_TRUE (processorDocumentOf (plugin).contains ("manualBpm=\"88.0\"")) << c.name;
        EXPECT_EQ (hostBypass->getValue(), c.privateDataRead ? 0.0f : 1.0f) << c.name;
    }
}
