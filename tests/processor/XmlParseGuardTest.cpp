#include "processor/XmlParseGuard.h"
#include "support/XmlDepth.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
juce::String repeated (const char* text, int times) { return juce::String::repeatedString (text, times); }

struct NestingCase
{
    juce::String text;
    int nesting;
};
} // namespace

TEST (XmlParseGuard, Utf8Validation)
{
    const std::vector<std::pair<std::string, bool>> cases {
        { "plain ASCII", true },
        { "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x8e\xb8", true },
        { std::string ("ok\0\xff after the zero", 19), true },
        { "\xff", false },
        { "\x80", false },
        { "\xc3", false },
        { "\xe2\x82", false },
        { "\xc0\xbc", false },
        { "\xe0\x80\xbc", false },
        { "\xed\xa0\x80", false },
        { "\xf4\x90\x80\x80", false },
        { "\xf8\x88\x80\x80\x80", false },
        { std::string ("\xe2\0\x82", 3), false },
    };

    for (const auto& [bytes, valid] : cases)
        EXPECT_EQ (XmlParseGuard::isWellFormedUtf8 (bytes.data(), bytes.size()), valid) << bytes;

    // The length bounds the check: a sequence cut by it is truncated.
    EXPECT_FALSE (XmlParseGuard::isWellFormedUtf8 ("a\xc3\xa9", 2));
}

TEST (XmlParseGuard, NestingMatchesWhatTheParserBuilds)
{
    const std::vector<NestingCase> cases {
        { "<a/>", 1 },
        { "<a></a>", 1 },
        { "<?xml version=\"1.0\"?> <a><b/><b/></a>", 2 },
        { "<a><b><c x=\"1\"></c></b></a>", 3 },
        { "<a><b x=\"<c><d>\"/></a>", 2 },
        { "<a><!-- <b><c> --><b/></a>", 2 },
        { "<a><![CDATA[<b><c>]]><b/></a>", 2 },
        { "<a>text &lt;b&gt; <b>more</b> &#x3c;c></a>", 2 },
        { "<a>" + repeated ("<n>", 50) + repeated ("</n>", 50) + "</a>", 51 },
        { "<a>" + repeated ("<n>", 20) + "</a>", 21 }, // unclosed: the parser gives no element
        // An unknown entity whose name starts like an element is parsed in place.
        { "<a>&<b><c></c></b>;</a>", 3 },
    };

    for (const auto& c : cases)
    {
        const auto found = XmlParseGuard::survey (c.text, 1000);
        EXPECT_EQ (found.deepestNesting, c.nesting) << c.text;
        EXPECT_FALSE (found.readsPastEnd || found.neverEnds || found.hasDocumentType) << c.text;

        if (auto xml = juce::parseXML (c.text))
            EXPECT_LE (depthOf (*xml), found.deepestNesting) << c.text;
    }
}

TEST (XmlParseGuard, DeepNestingStopsTheWalkEarly)
{
    const auto text = "<a>" + repeated ("<n>", 200000);
    const auto found = XmlParseGuard::survey (text, 64);
    EXPECT_EQ (found.deepestNesting, 65);
    EXPECT_FALSE (XmlParseGuard::isSafeToParse (text, 64));
    EXPECT_TRUE (XmlParseGuard::isSafeToParse ("<a>" + repeated ("<n>", 63) + repeated ("</n>", 63) + "</a>", 64));
}

TEST (XmlParseGuard, HazardsOfTheParser)
{
    struct Hazard
    {
        juce::String text;
        bool readsPastEnd, neverEnds, hasDocumentType;
    };

    const std::vector<Hazard> cases {
        { "<a x=\"&#x", true, false, false },
        { "<a x=\"&#x12", true, false, false },
        { "<a>&#x", true, false, false },
        { "<a>&<b>&#x;</a>", true, false, false }, // inside an entity parsed as elements
        { "<a><?pi?>text</a>", false, true, false },
        { "<a><b><?pi?>text</b></a>", false, true, false },
        // An attribute without quotes ends the tag; what follows is text.
        { "<a><b x=y <?pi?> =\"1\"/></a>", false, true, false },
        { "<!DOCTYPE a [<!ENTITY e \"&xe;\">]><a>&e;</a>", false, false, true },
        { "  <!-- c --> <!DOCTYPE a><a/>", false, false, true },
    };

    for (const auto& c : cases)
    {
        const auto found = XmlParseGuard::survey (c.text, 64);
        EXPECT_EQ (found.readsPastEnd, c.readsPastEnd) << c.text;
        EXPECT_EQ (found.neverEnds, c.neverEnds) << c.text;
        EXPECT_EQ (found.hasDocumentType, c.hasDocumentType) << c.text;
        EXPECT_FALSE (XmlParseGuard::isSafeToParse (c.text, 64)) << c.text;
    }

    // Harmless look-alikes.
    for (const auto* text : { "<a x=\"&#x41;\"/>", "<a><?pi?><b/>text</a>", "<a x=\"<!DOCTYPE\"/>", "<a/>&#x" })
        EXPECT_TRUE (XmlParseGuard::isSafeToParse (text, 64)) << text;
}
