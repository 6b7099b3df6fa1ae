#pragma once

#include <juce_data_structures/juce_data_structures.h>

#include <utility>
#include <vector>

// The saved state's XML document, written straight from a value tree in time
// proportional to the tree. The framework's route, createXml and then
// XmlElement::writeTo, builds every element with XmlElement::setAttribute,
// which searches the attributes set so far: an element with n properties
// costs n * n there, seconds for a restored document with tens of thousands.
//
// A value tree gives its property values only by name, again with a linear
// search, so the tree is read in order from its binary form (writeToStream,
// one pass). Its values must be strings, numbers, booleans or binary data, as
// the values of a tree made by fromXml or by the parameter tree are.
namespace StateXml
{
enum class RepeatedNames
{
    // As createXml and setAttribute: the later value, in the first one's place.
    lastValueInFirstPlace,
    // Only the first value: what every reader of the tree (getProperty) sees.
    firstValueOnly
};

using Attributes = std::vector<std::pair<juce::Identifier, juce::var>>;

// Writes the declaration, one space and the tree as one line of XML: byte for
// byte what XmlElement::writeTo (with TextFormat().singleLine()) writes for
// the tree's createXml(), with rootAttributes then set on the root element as
// setAttribute sets them, when repeated names are lastValueInFirstPlace.
// Binary values are written base64-encoded under "base64:" and their name, as
// createXml writes them. Returns true when some element held an attribute
// name (so named in the XML) more than once.
bool writeDocument (juce::OutputStream& out, const juce::ValueTree& tree, RepeatedNames repeatedNames,
                    const Attributes& rootAttributes = {});
} // namespace StateXml
