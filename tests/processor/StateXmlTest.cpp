#include "common/ParamIds.h"
#include "processor/StateXml.h"
#include "processor/VaskelQuorlinProcessor.h"

#include <gtest/gtest.h>

#include <vector>

namespace
{
// The framework's route: createXml, the extra root attributes through
// setAttribute, then writeTo in a single line.
juce::String frameworkDocument (const juce::ValueTree& tree, const StateXml::Attributes& rootAttributes = {})
{
    auto xml = tree.createXml();

    for (const auto& [name, value] : rootAttributes)
        xml->setAttribute (name, value.toString());

    juce::MemoryOutputStream out;
    xml->writeTo (out, juce::XmlElement::TextFormat().singleLine());
    return out.toString();
}

juce::String document (const juce::ValueTree& tree, StateXml::RepeatedNames repeatedNames,
                       const StateXml::Attributes& rootAttributes = {})
{
    juce::MemoryOutputStream out;
    StateXml::writeDocument (out, tree, repeatedNames, rootAttributes);
    return out.toString();
}

juce::ValueTree treeFrom (const juce::String& text)
{
    const auto xml = juce::parseXML (text);
    return xml != nullptr ? juce::ValueTree::fromXml (*xml) : juce::ValueTree();
}

juce::String allCharacters()
{
    juce::String text;

    for (juce::juce_wchar c = 1; c < 0x300; ++c)
        text += juce::String::charToString (c);

    return text + juce::String (juce::CharPointer_UTF8 ("\xe2\x82\xac \xf0\x9d\x84\x9e \xef\xbf\xbd"));
}
} // namespace

// Byte for byte what the framework writes, for every kind of tree a restore
// can leave: foreign tags and names, every character, binary data, names that
// repeat, deep and wide elements, and numbers of every type.
TEST (StateXml, WritesWhatTheFrameworkWrites)
{
    std::vector<std::pair<const char*, juce::ValueTree>> trees;

    VaskelQuorlinProcessor processor;
    trees.emplace_back ("fresh parameter tree", processor.apvts.copyState());

    trees.emplace_back ("foreign root, elements and attributes",
                        treeFrom ("<SOMETHING a=\"x\" manualBpm=\"99\"><EXTRA k=\"1\"><PARAM id=\"inner\"/></EXTRA>"
                                  "<PARAM id=\"blend\" value=\"50\" note=\"kept\"/><EMPTY/></SOMETHING>"));
    trees.emplace_back (
        "entities and values beyond ASCII",
        treeFrom (juce::String (juce::CharPointer_UTF8 ("<E v=\"caf\xc3\xa9 \xf0\x9f\x8e\xb8\" "
                                                        "q=\"&lt;&gt;&amp;&quot;&apos;&#9;&#10;&#13;&#x1F3B8;\"/>"))));

    // The parser takes letters beyond ASCII in names only where the process's
    // locale calls them letters, so this tree is built directly.
    juce::ValueTree foreignNames (juce::String (juce::CharPointer_UTF8 ("\xc3\x89l\xc3\xa9ment")));
    foreignNames.setProperty (juce::String (juce::CharPointer_UTF8 ("na\xc3\xafve")), "1", nullptr);
    trees.emplace_back ("names beyond ASCII", foreignNames);

    trees.emplace_back ("binary values, and names that meet once written",
                        treeFrom ("<P base64:blob=\"AAEC/w==\" base64:bad=\"not base64!\" x=\"1\" base64:x=\"AAAA\" "
                                  "base64:y=\"AAAA\" y=\"2\"/>"));
    trees.emplace_back ("repeated names, few and many", treeFrom ("<P a=\"1\" b=\"2\" a=\"3\"><C " +
                                                                  []
                                                                  {
                                                                      juce::String attributes;
                                                                      for (int i = 0; i < 40; ++i)
                                                                          attributes << " n" << (i % 13) << "=\"" << i
                                                                                     << "\"";
                                                                      return attributes;
                                                                  }() +
                                                                  "/></P>"));

    juce::String wide ("<W");
    for (int i = 0; i < 3000; ++i)
        wide << " a" << i << "=\"" << (i * 7) << "\"";
    trees.emplace_back ("3000 attributes", treeFrom (wide + "/>"));

    trees.emplace_back ("64 levels deep", treeFrom (juce::String::repeatedString ("<n k=\"v\">", 63) + "<n/>" +
                                                    juce::String::repeatedString ("</n>", 63)));

    juce::ValueTree typed ("T");
    typed.setProperty ("double", 0.800000011920929, nullptr);
    typed.setProperty ("whole", 35.0, nullptr);
    typed.setProperty ("tiny", 1.0e-7, nullptr);
    typed.setProperty ("huge", 3.0e38, nullptr);
    typed.setProperty ("int", -42, nullptr);
    typed.setProperty ("int64", (juce::int64) 1 << 40, nullptr);
    typed.setProperty ("bool", true, nullptr);
    typed.setProperty ("text", allCharacters(), nullptr);
    typed.setProperty ("binary", juce::var (juce::MemoryBlock ("\x00\x01\x02\xff", 4)), nullptr);
    typed.setProperty ("empty", juce::String(), nullptr);
    typed.appendChild (juce::ValueTree ("child"), nullptr);
    trees.emplace_back ("values of every type", typed);

    const StateXml::Attributes tempo { { "manualBpm", 125.5 }, { "hostSyncEnabled", 1 } };

    for (const auto& [name, tree] : trees)
    {
        ASSERT_TRUE (tree.isValid()) << name;
        EXPECT_EQ (document (tree, StateXml::RepeatedNames::lastValueInFirstPlace), frameworkDocument (tree)) << name;
        EXPECT_EQ (document (tree, StateXml::RepeatedNames::lastValueInFirstPlace, tempo),
                   frameworkDocument (tree, tempo))
            << name;
    }
}

// Only the first of a repeated name, the value every reader of the tree sees,
// and the writer says that it met one.
TEST (StateXml, KeepsOnlyTheFirstOfRepeatedNamesWhenAsked)
{
    const auto tree = treeFrom ("<P a=\"1\" b=\"2\" a=\"3\"><C x=\"1\" base64:x=\"AAAA\"/><D/></P>");

    juce::MemoryOutputStream out;
    EXPECT_TRUE (StateXml::writeDocument (out, tree, StateXml::RepeatedNames::firstValueOnly));
    EXPECT_EQ (out.toString(),
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?> <P a=\"1\" b=\"2\"><C x=\"1\" base64:x=\"AAAA\"/><D/></P>");

    juce::MemoryOutputStream unrepeated;
    EXPECT_FALSE (StateXml::writeDocument (unrepeated, treeFrom ("<P a=\"1\"><C a=\"1\"/></P>"),
                                           StateXml::RepeatedNames::firstValueOnly));
}
