#include "processor/StateXml.h"

#include <unordered_map>

// The writing follows juce_XmlElement.cpp and the reading of the binary form
// juce_ValueTree.cpp (JUCE 7) step for step; if either changes, this has to
// follow it.

namespace StateXml
{
namespace
{
// The characters XmlElement writes as they are; every other one is escaped.
bool isWrittenAsItIs (juce::uint32 c) noexcept
{
    if (c >= 128)
        return false;

    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;

    for (const char* legal = " .,;:-()_+=?!$#@[]/|*%~{}'\\"; *legal != 0; ++legal)
        if ((juce::uint32) *legal == c)
            return true;

    return false;
}

// An attribute value as XmlElement writes it: new lines escaped too.
void writeEscaped (juce::OutputStream& out, const juce::String& text)
{
    for (auto p = text.getCharPointer();;)
    {
        const auto c = (juce::uint32) p.getAndAdvance();

        if (c == 0)
            return;

        if (isWrittenAsItIs (c))
        {
            out.writeByte ((char) c);
            continue;
        }

        switch (c)
        {
            case '&': out << "&amp;"; break;
            case '"': out << "&quot;"; break;
            case '>': out << "&gt;"; break;
            case '<': out << "&lt;"; break;
            default: out << "&#" << (int) c << ';'; break;
        }
    }
}

// The attributes of one element, in order, as setAttribute would leave them.
class AttributeList
{
public:
    AttributeList (RepeatedNames mode, int expectedSize)
        : repeatedNames (mode)
    {
        attributes.reserve ((size_t) juce::jmax (0, expectedSize));
    }

    void set (const juce::String& name, const juce::var& value)
    {
        if (auto* binary = value.getBinaryData())
            set ("base64:" + name, binary->toBase64Encoding());
        else
            set (name, value.toString());
    }

    void set (juce::String name, juce::String value)
    {
        if (const auto existing = find (name); existing >= 0)
        {
            repeated = true;

            if (repeatedNames == RepeatedNames::lastValueInFirstPlace)
                attributes[(size_t) existing].second = std::move (value);

            return;
        }

        positions.emplace (name, attributes.size());
        attributes.emplace_back (std::move (name), std::move (value));
    }

    void write (juce::OutputStream& out) const
    {
        for (const auto& [name, value] : attributes)
        {
            out.writeByte (' ');
            out << name;
            out.write ("=\"", 2);
            writeEscaped (out, value);
            out.writeByte ('"');
        }
    }

    bool hadRepeatedNames() const noexcept { return repeated; }

private:
    int find (const juce::String& name) const
    {
        const auto found = positions.find (name);
        return found != positions.end() ? (int) found->second : -1;
    }

    const RepeatedNames repeatedNames;
    std::vector<std::pair<juce::String, juce::String>> attributes;
    std::unordered_map<juce::String, size_t> positions; // keeps every search constant
    bool repeated = false;
};

// Reads one element of the binary form (type, properties, children) and
// writes it; returns true when it or an element below held a repeated name.
bool writeElement (juce::OutputStream& out, juce::InputStream& tree, RepeatedNames repeatedNames,
                   const Attributes* extraAttributes)
{
    const auto type = tree.readString();
    const auto numProperties = tree.readCompressedInt();

    AttributeList attributes (repeatedNames, numProperties + (extraAttributes != nullptr ? 2 : 0));

    for (int i = 0; i < numProperties; ++i)
    {
        const auto name = tree.readString();
        attributes.set (name, juce::var::readFromStream (tree));
    }

    bool repeated = attributes.hadRepeatedNames();

    if (extraAttributes != nullptr)
        for (const auto& [name, value] : *extraAttributes)
            attributes.set (name.toString(), value);

    out.writeByte ('<');
    out << type;
    attributes.write (out);

    const auto numChildren = tree.readCompressedInt();

    if (numChildren <= 0)
    {
        out.write ("/>", 2);
        return repeated;
    }

    out.writeByte ('>');

    for (int i = 0; i < numChildren; ++i)
        repeated = writeElement (out, tree, repeatedNames, nullptr) || repeated;

    out.write ("</", 2);
    out << type;
    out.writeByte ('>');
    return repeated;
}
} // namespace

bool writeDocument (juce::OutputStream& out, const juce::ValueTree& tree, RepeatedNames repeatedNames,
                    const Attributes& rootAttributes)
{
    juce::MemoryOutputStream binary;
    tree.writeToStream (binary);
    juce::MemoryInputStream in (binary.getData(), binary.getDataSize(), false);

    out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    out.writeByte (' ');
    return writeElement (out, in, repeatedNames, &rootAttributes);
}
} // namespace StateXml
