#include "processor/VaskelQuorlinProcessor.h"

#include "processor/StateNumbers.h"
#include "processor/StateXml.h"
#include "processor/XmlParseGuard.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <map>
#include <optional>

// The state chunk is the framework's binary XML wrapper around the parameter
// tree, with the two tempo settings as attributes of its root. Its bytes are a
// format: chunks from any build of this plug-in must restore in any other.

namespace
{
const juce::Identifier manualBpmAttribute { "manualBpm" };
const juce::Identifier hostSyncAttribute { "hostSyncEnabled" };
const juce::Identifier parameterElementType { "PARAM" };
const juce::Identifier idProperty { "id" };
const juce::Identifier valueProperty { "value" };

constexpr double defaultManualBpm = 120.0;

// "VC2!" read as a little-endian integer: the framework's marker for XML state.
constexpr juce::uint32 xmlChunkMagic = 0x21324356;

// Far deeper than any state document needs (this plug-in writes two levels),
// and shallow enough that the recursive XML and value-tree code stays well
// inside the smallest stack a host's UI thread has.
constexpr int maxElementNesting = 64;

// The chunk's XML text exactly as getXmlFromBinary decodes it, or nothing when
// the framework would refuse the chunk or the text is not valid UTF-8 (which
// the framework's parser could read beyond).
std::optional<juce::String> readChunkText (const void* data, int sizeInBytes)
{
    if (data == nullptr || sizeInBytes <= 8)
        return {};

    const auto* bytes = static_cast<const char*> (data);

    if (juce::ByteOrder::littleEndianInt (bytes) != xmlChunkMagic)
        return {};

    const auto declaredLength = (int) juce::ByteOrder::littleEndianInt (bytes + 4);

    if (declaredLength <= 0)
        return {};

    const auto textLength = juce::jmin (sizeInBytes - 8, declaredLength);

    if (! XmlParseGuard::isWellFormedUtf8 (bytes + 8, (size_t) textLength))
        return {};

    return juce::String::fromUTF8 (bytes + 8, textLength);
}

// The float a double converts to, when that is a finite number.
std::optional<float> toFiniteFloat (double value)
{
    if (! std::isfinite (value))
        return {};

    constexpr auto largestFloat = (double) std::numeric_limits<float>::max();

    if (std::abs (value) <= largestFloat)
        return (float) value;

    // Up to half a step above the largest float the conversion still rounds
    // down to it; from there on it gives infinity.
    if (std::abs (value) < largestFloat + std::ldexp (1.0, 103))
        return value < 0.0 ? -std::numeric_limits<float>::max() : std::numeric_limits<float>::max();

    return {};
}

// Readers take the first of repeated attributes (getStringAttribute, a value
// tree's getProperty), but when the tree is written out again a later one
// would overwrite it, so the next save would hold a value nobody read. Where an
// element repeats a name, the tree is written anew with the first of each and
// read again; both take time in proportion to the document.
juce::ValueTree withoutRepeatedAttributes (const juce::ValueTree& tree)
{
    juce::MemoryOutputStream firstOnly;

    if (! StateXml::writeDocument (firstOnly, tree, StateXml::RepeatedNames::firstValueOnly))
        return tree;

    const auto xml = juce::parseXML (firstOnly.toString());
    jassert (xml != nullptr);
    return xml != nullptr ? juce::ValueTree::fromXml (*xml) : tree;
}

// The value the parameter tree leaves a parameter at when it connects the
// parameter to an element: the element's value brought into the range and
// onto the step, the default when the element has none. A stored value that
// is not a number is refused and the parameter keeps the value it had.
float valueFromElement (const juce::RangedAudioParameter& parameter, float currentValue, const juce::var* stored)
{
    float wanted;

    if (stored == nullptr)
    {
        wanted = parameter.convertFrom0to1 (parameter.getDefaultValue());
    }
    else
    {
        // Values restored from the document's text are strings.
        const auto number =
            stored->isString() ? StateNumbers::readLeadingNumber (stored->toString()) : (double) *stored;

        if (std::isnan (number))
            return currentValue;

        const auto& range = parameter.getNormalisableRange();
        wanted = (float) juce::jlimit ((double) range.start, (double) range.end, number);
    }

    // The tree does not touch a parameter whose stored value equals its own.
    if (wanted == currentValue)
        return currentValue;

    return parameter.convertFrom0to1 (parameter.convertTo0to1 (wanted));
}

// Writes into a restored tree the value each parameter will hold once the
// tree is installed, and appends an element for every parameter that the
// tree lacks, holding the parameter's current value (in the order of the
// identifiers' character codes, the order of a fresh tree). Installed as it
// is, JUCE 7's parameter tree would reset parameters without an element to
// their defaults, and leave elements without a value empty in the next save.
void completeParameterElements (juce::ValueTree& tree, const juce::AudioProcessorValueTreeState& parameterTree,
                                const juce::Array<juce::AudioProcessorParameter*>& parameters)
{
    struct Slot
    {
        const juce::RangedAudioParameter* parameter;
        float value;
        bool hasElement;
    };

    std::map<juce::String, Slot> slots;

    for (auto* parameter : parameters)
        if (auto* ranged = dynamic_cast<const juce::RangedAudioParameter*> (parameter))
            if (auto* current = parameterTree.getRawParameterValue (ranged->paramID))
                slots.emplace (ranged->paramID, Slot { ranged, current->load(), false });

    // In document order, as the parameter tree connects them: when two
    // elements name the same parameter, the later one decides.
    for (auto element : tree)
    {
        const auto found = slots.find (element.getProperty (idProperty).toString());

        if (found == slots.end())
            continue;

        auto& slot = found->second;
        slot.value = valueFromElement (*slot.parameter, slot.value, element.getPropertyPointer (valueProperty));
        slot.hasElement = true;
        element.setProperty (valueProperty, (double) slot.value, nullptr);
    }

    for (const auto& [id, slot] : slots)
        if (! slot.hasElement)
            tree.appendChild (
                juce::ValueTree (parameterElementType, { { idProperty, id }, { valueProperty, (double) slot.value } }),
                nullptr);
}
} // namespace

void VaskelQuorlinProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    const auto state = apvts.copyState();

    // createXml gives no element for an invalid tree; the block then stays as
    // it was.
    if (! state.isValid())
        return;

    // What copyXmlToBinary writes for the tree's createXml() with the two tempo
    // attributes set on it, without createXml's quadratic cost in an element's
    // attributes.
    {
        juce::MemoryOutputStream out (destData, false);
        out.writeInt ((int) xmlChunkMagic);
        out.writeInt (0);
        StateXml::writeDocument (out, state, StateXml::RepeatedNames::lastValueInFirstPlace,
                                 { { manualBpmAttribute, (double) manualBpm.load() },
                                   { hostSyncAttribute, hostSyncEnabled.load() ? 1 : 0 } });
        out.writeByte (0);
    }

    const auto textLength = juce::ByteOrder::swapIfBigEndian ((juce::uint32) destData.getSize() - 9);
    std::memcpy (static_cast<char*> (destData.getData()) + 4, &textLength, sizeof (textLength));
}

void VaskelQuorlinProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    const auto text = readChunkText (data, sizeInBytes);

    if (! text.has_value() || ! XmlParseGuard::isSafeToParse (*text, maxElementNesting))
        return;

    const auto xml = juce::parseXML (*text);

    if (xml == nullptr)
        return;

    // The tempo settings change before the parameters do.
    const auto bpm = xml->hasAttribute (manualBpmAttribute)
                         ? StateNumbers::readLeadingNumber (xml->getStringAttribute (manualBpmAttribute))
                         : defaultManualBpm;

    if (const auto finiteBpm = toFiniteFloat (bpm))
        manualBpm = *finiteBpm;

    hostSyncEnabled = xml->getBoolAttribute (hostSyncAttribute, true);

    auto restored = withoutRepeatedAttributes (juce::ValueTree::fromXml (*xml));
    completeParameterElements (restored, apvts, getParameters());
    apvts.replaceState (restored);
}
