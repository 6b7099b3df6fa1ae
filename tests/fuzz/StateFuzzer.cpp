// Feeds arbitrary bytes to setStateInformation, as a host restoring a damaged
// or hostile project would. Besides the sanitizers' own checks, after every
// input:
// - every parameter holds a finite value inside its range and the manual
//   tempo is finite;
// - the state saved now restores into another processor with the same values
//   and saves there to the same bytes;
// - the save is byte for byte the document the framework's own writer makes;
// - when the text parses, the parsed tree is no deeper than the guard said.

#include "processor/VaskelQuorlinProcessor.h"
#include "processor/XmlParseGuard.h"
#include "support/XmlDepth.h"

#include <juce_events/juce_events.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace
{
[[noreturn]] void fail (const char* what, const juce::String& detail = {})
{
    std::fprintf (stderr, "state invariant broken: %s %s\n", what, detail.toRawUTF8());
    std::abort();
}

void checkValuesInRange (VaskelQuorlinProcessor& processor)
{
    for (auto* parameter : processor.getParameters())
    {
        auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (parameter);

        if (ranged == nullptr)
            fail ("parameter without a range");

        const auto value = processor.apvts.getRawParameterValue (ranged->paramID)->load();
        const auto& range = ranged->getNormalisableRange();

        if (! std::isfinite (value) || value < range.start || value > range.end)
            fail ("parameter out of range:", ranged->paramID + " = " + juce::String (value));
    }

    if (! std::isfinite (processor.manualBpm.load()))
        fail ("manualBpm is not finite");
}

juce::String chunkText (const juce::MemoryBlock& chunk)
{
    return juce::String::fromUTF8 (static_cast<const char*> (chunk.getData()) + 8, (int) chunk.getSize() - 9);
}

// The save writes its document without the framework's createXml; it must
// still be the framework's bytes.
void checkSaveIsTheFrameworksDocument (VaskelQuorlinProcessor& processor, const juce::MemoryBlock& saved)
{
    auto xml = processor.apvts.copyState().createXml();
    xml->setAttribute ("manualBpm", (double) processor.manualBpm.load());
    xml->setAttribute ("hostSyncEnabled", processor.hostSyncEnabled.load() ? 1 : 0);

    juce::MemoryBlock expected;
    juce::AudioProcessor::copyXmlToBinary (*xml, expected);

    if (saved != expected)
        fail ("save differs from the framework's document:",
              "\n" + chunkText (saved) + "\nnot\n" + chunkText (expected));
}

void checkSavedStateRestores (VaskelQuorlinProcessor& processor, VaskelQuorlinProcessor& other)
{
    juce::MemoryBlock saved;
    processor.getStateInformation (saved);
    checkSaveIsTheFrameworksDocument (processor, saved);
    other.setStateInformation (saved.getData(), (int) saved.getSize());

    for (auto* parameter : processor.getParameters())
    {
        const auto& id = dynamic_cast<juce::RangedAudioParameter*> (parameter)->paramID;

        if (processor.apvts.getRawParameterValue (id)->load() != other.apvts.getRawParameterValue (id)->load())
            fail ("value lost in a round trip:", id);
    }

    if (processor.manualBpm.load() != other.manualBpm.load() ||
        processor.hostSyncEnabled.load() != other.hostSyncEnabled.load())
        fail ("tempo settings lost in a round trip");

    juce::MemoryBlock savedAgain;
    other.getStateInformation (savedAgain);

    if (savedAgain != saved)
        fail ("round trip changed the chunk:", "\n" + chunkText (saved) + "\nbecame\n" + chunkText (savedAgain));
}

// Only for text the guard lets through, so the parser and depthOf recurse at
// most as deep as the guard allows.
void checkGuardAgreesWithTheParser (const std::uint8_t* data, size_t size)
{
    if (size <= 8 || juce::ByteOrder::littleEndianInt (data) != 0x21324356)
        return;

    const auto declared = (int) juce::ByteOrder::littleEndianInt (data + 4);

    if (declared <= 0)
        return;

    const auto length = juce::jmin ((int) size - 8, declared);
    const auto* text = reinterpret_cast<const char*> (data + 8);

    if (! XmlParseGuard::isWellFormedUtf8 (text, (size_t) length))
        return;

    const auto decoded = juce::String::fromUTF8 (text, length);
    const auto found = XmlParseGuard::survey (decoded, 64);

    if (! XmlParseGuard::isSafeToParse (decoded, 64))
        return;

    if (auto xml = juce::parseXML (decoded))
        if (depthOf (*xml) > found.deepestNesting)
            fail ("parsed tree deeper than the guard measured");
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput (const std::uint8_t* data, size_t size)
{
    // Never destroyed: at exit the framework's shutdown would run after the
    // statics it relies on are gone.
    struct Rig
    {
        juce::ScopedJuceInitialiser_GUI juceInitialiser;
        VaskelQuorlinProcessor processor, other;
    };

    static auto* rig = new Rig();
    auto& processor = rig->processor;
    auto& other = rig->other;

    if (size > (size_t) std::numeric_limits<int>::max())
        return 0;

    checkGuardAgreesWithTheParser (data, size);

    // One processor for all inputs: each restore starts from what the last one
    // left, as in a host that loads project after project.
    processor.setStateInformation (data, (int) size);
    checkValuesInRange (processor);
    checkSavedStateRestores (processor, other);
    return 0;
}
