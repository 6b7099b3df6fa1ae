#pragma once

#include <juce_core/juce_core.h>

#include <cstddef>

// Checks on text before it goes to juce::parseXML. The saved state comes from
// the host and may be anything; JUCE's parser trusts its input in three ways
// that can crash: it recurses once per nesting level of the elements (and so
// do the value tree and XML code after it), it expands the entities of a
// document type declaration recursively, it can step over the text's
// terminating zero (a truncated UTF-8 sequence, or "&#x" at the very end), and
// a processing instruction followed by text inside an element makes it loop
// forever.
namespace XmlParseGuard
{
// True when the bytes, up to the first zero byte or numBytes, are valid UTF-8:
// no truncated or overlong sequences, no surrogates, nothing above U+10FFFF.
bool isWellFormedUtf8 (const char* bytes, size_t numBytes) noexcept;

struct Survey
{
    bool readsPastEnd = false;    // the parser would step over the terminating zero
    bool hasDocumentType = false; // the document starts with <!DOCTYPE
    bool neverEnds = false;       // the parser would go round one loop forever
    int deepestNesting = 0;       // depth of the deepest element the parser makes (the root is 1)
};

// Walks the text exactly as JUCE's XmlDocument does, without building
// anything, and reports what parsing it would do. The walk stops early once
// the nesting exceeds stopAboveNesting (deepestNesting is then above it).
// The text must already be well-formed UTF-8.
Survey survey (const juce::String& text, int stopAboveNesting);

// Well-formed UTF-8 is assumed; true when parsing the text stays inside it,
// ends, expands no declared entities and nests at most maxNesting elements
// deep.
bool isSafeToParse (const juce::String& text, int maxNesting);
} // namespace XmlParseGuard
