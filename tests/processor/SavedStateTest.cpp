#include "common/ParamIds.h"
#include "processor/VaskelQuorlinProcessor.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <limits>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace
{
using Chunk = juce::MemoryBlock;

// Every parameter in the order of its identifier's character codes, the order
// of a fresh chunk, with its default as the framework writes it.
struct DefaultEntry
{
    const char* id;
    const char* text;
};

const std::vector<DefaultEntry>& defaultsInChunkOrder()
{
    static const std::vector<DefaultEntry> table {
        { "blend", "100.0" },       { "bypass", "0.0" },        { "cabEnabled", "0.0" },
        { "cabMode", "0.0" },       { "driveAmount", "0.0" },   { "driveEnabled", "1.0" },
        { "driveMode", "0.0" },     { "echoAmount", "0.0" },    { "echoDivision", "0.0" },
        { "echoEnabled", "1.0" },   { "echoFeedback", "35.0" }, { "gateAmount", "0.0" },
        { "gateMode", "0.0" },      { "inputTrim", "0.0" },     { "modAmount", "0.0" },
        { "modEnabled", "1.0" },    { "modMode", "0.0" },       { "modRate", "0.800000011920929" },
        { "outputTrim", "0.0" },    { "spaceAmount", "0.0" },   { "spaceEnabled", "1.0" },
        { "spaceMode", "0.0" },     { "spacePreDelay", "0.0" }, { "toneEnabled", "1.0" },
        { "toneMidFreq", "800.0" }, { "toneMode", "1.0" },      { "toneTilt", "0.0" },
    };
    return table;
}

// A setting off the default for every parameter, each one on its step.
const std::vector<std::pair<juce::String, float>>& changedSettings()
{
    static const std::vector<std::pair<juce::String, float>> table {
        { ParamIds::inputTrim, -6.5f },      { ParamIds::gateAmount, 12.3f },   { ParamIds::gateMode, 2.0f },
        { ParamIds::driveAmount, 64.2f },    { ParamIds::driveMode, 1.0f },     { ParamIds::driveEnabled, 0.0f },
        { ParamIds::toneTilt, 3.7f },        { ParamIds::toneMode, 2.0f },      { ParamIds::toneMidFreq, 1234.0f },
        { ParamIds::toneEnabled, 0.0f },     { ParamIds::cabEnabled, 1.0f },    { ParamIds::cabMode, 1.0f },
        { ParamIds::modAmount, 45.6f },      { ParamIds::modMode, 2.0f },       { ParamIds::modRate, 2.34f },
        { ParamIds::modEnabled, 0.0f },      { ParamIds::spaceAmount, 33.3f },  { ParamIds::spaceMode, 2.0f },
        { ParamIds::spacePreDelay, 123.4f }, { ParamIds::spaceEnabled, 0.0f },  { ParamIds::echoAmount, 51.5f },
        { ParamIds::echoDivision, 2.0f },    { ParamIds::echoFeedback, 72.1f }, { ParamIds::echoEnabled, 0.0f },
        { ParamIds::blend, 40.0f },          { ParamIds::outputTrim, -20.1f },  { ParamIds::bypass, 1.0f },
    };
    return table;
}

float plainValue (VaskelQuorlinProcessor& processor, const juce::String& id)
{
    return processor.apvts.getRawParameterValue (id)->load();
}

void setPlainValue (VaskelQuorlinProcessor& processor, const juce::String& id, float value)
{
    auto* parameter = processor.apvts.getParameter (id);
    parameter->setValueNotifyingHost (parameter->convertTo0to1 (value));
}

void applyChangedSettings (VaskelQuorlinProcessor& processor)
{
    for (const auto& [id, value] : changedSettings())
        setPlainValue (processor, id, value);
}

Chunk saveState (VaskelQuorlinProcessor& processor)
{
    Chunk chunk;
    processor.getStateInformation (chunk);
    return chunk;
}

void restoreState (VaskelQuorlinProcessor& processor, const Chunk& chunk)
{
    processor.setStateInformation (chunk.getData(), (int) chunk.getSize());
}

// The framework's wrapper around a document: "VC2!", the text's length, the
// text, a zero byte.
Chunk chunkFromText (const juce::String& text, std::optional<juce::int32> lengthField = std::nullopt)
{
    const auto utf8 = text.toStdString();
    juce::MemoryOutputStream out;
    out.writeInt (0x21324356);
    out.writeInt (lengthField.value_or ((juce::int32) utf8.size()));
    out.write (utf8.data(), utf8.size());
    out.writeByte (0);
    return out.getMemoryBlock();
}

// The same wrapper around raw bytes, which need not be valid UTF-8.
Chunk chunkFromBytes (const std::string& textBytes)
{
    juce::MemoryOutputStream out;
    out.writeInt (0x21324356);
    out.writeInt ((juce::int32) textBytes.size());
    out.write (textBytes.data(), textBytes.size());
    out.writeByte (0);
    return out.getMemoryBlock();
}

juce::String chunkText (const Chunk& chunk)
{
    return juce::String::fromUTF8 (static_cast<const char*> (chunk.getData()) + 8, (int) chunk.getSize() - 9);
}

juce::String document (const juce::String& rootAttributes, const juce::String& children = {})
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?> <PARAMETERS" + rootAttributes +
           (children.isEmpty() ? juce::String ("/>") : ">" + children + "</PARAMETERS>");
}

juce::File goldenChunkFile() { return juce::File (QUORLIN_TEST_DATA_DIR).getChildFile ("data/fresh-state.chunk"); }

juce::String freshDocumentText()
{
    juce::String text (
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?> <PARAMETERS manualBpm=\"120.0\" hostSyncEnabled=\"1\">");

    for (const auto& entry : defaultsInChunkOrder())
        text << "<PARAM id=\"" << entry.id << "\" value=\"" << entry.text << "\"/>";

    return text + "</PARAMETERS>";
}
} // namespace

TEST (SavedState, FreshChunkHasTheWrapperAndTheDocumentOfTheDefaults)
{
    VaskelQuorlinProcessor processor;
    const auto chunk = saveState (processor);
    const auto* bytes = static_cast<const juce::uint8*> (chunk.getData());

    ASSERT_GT (chunk.getSize(), 9u);
    EXPECT_EQ (std::string ((const char*) bytes, 4), "VC2!");
    EXPECT_EQ (juce::ByteOrder::littleEndianInt (bytes + 4), (juce::uint32) chunk.getSize() - 9);
    EXPECT_EQ (bytes[chunk.getSize() - 1], 0);
    EXPECT_EQ (chunkText (chunk), freshDocumentText());
}

TEST (SavedState, FreshChunkMatchesTheGoldenFileByteForByte)
{
    VaskelQuorlinProcessor processor;
    const auto chunk = saveState (processor);
    const auto golden = goldenChunkFile();

    // scripts/regenerate-golden-state sets this when the format changes on purpose.
    if (std::getenv ("QUORLIN_REGENERATE_GOLDEN") != nullptr)
    {
        ASSERT_TRUE (golden.getParentDirectory().createDirectory());
        ASSERT_TRUE (golden.replaceWithData (chunk.getData(), chunk.getSize()));
        GTEST_SKIP() << "rewrote " << golden.getFullPathName();
    }

    Chunk expected;
    ASSERT_TRUE (golden.loadFileAsData (expected)) << golden.getFullPathName();
    EXPECT_TRUE (chunk == expected) << "saved: " << chunkText (chunk) << "\ngolden: " << chunkText (expected);
}

TEST (SavedState, GoldenChunkRestoresTheDefaults)
{
    Chunk golden;
    ASSERT_TRUE (goldenChunkFile().loadFileAsData (golden));

    VaskelQuorlinProcessor changed, fresh;
    applyChangedSettings (changed);
    changed.setManualBpm (77.0f);
    changed.hostSyncEnabled = false;
    restoreState (changed, golden);

    for (const auto& [id, value] : changedSettings())
        EXPECT_EQ (plainValue (changed, id), plainValue (fresh, id)) << id;

    EXPECT_EQ (changed.manualBpm.load(), 120.0f);
    EXPECT_TRUE (changed.hostSyncEnabled.load());
    EXPECT_TRUE (saveState (changed) == golden);
}

TEST (SavedState, RoundTripIntoAFreshProcessorRestoresEverythingAndSavesTheSameBytes)
{
    VaskelQuorlinProcessor source;
    applyChangedSettings (source);
    source.setManualBpm (125.5f);
    source.hostSyncEnabled = false;
    const auto chunk = saveState (source);

    EXPECT_TRUE (chunkText (chunk).contains ("<PARAMETERS manualBpm=\"125.5\" hostSyncEnabled=\"0\">"));

    VaskelQuorlinProcessor restored;
    restoreState (restored, chunk);

    for (const auto& [id, value] : changedSettings())
        EXPECT_EQ (plainValue (restored, id), plainValue (source, id)) << id;

    EXPECT_EQ (restored.manualBpm.load(), 125.5f);
    EXPECT_FALSE (restored.hostSyncEnabled.load());
    EXPECT_TRUE (saveState (restored) == chunk) << chunkText (saveState (restored));
}

TEST (SavedState, WholeTempoIsWrittenWithOneDecimal)
{
    VaskelQuorlinProcessor processor;
    processor.setManualBpm (90.0f);
    EXPECT_TRUE (chunkText (saveState (processor)).contains ("manualBpm=\"90.0\""));
}

TEST (SavedState, SavingChangesNothingInTheProcessor)
{
    VaskelQuorlinProcessor processor;
    applyChangedSettings (processor);
    const auto first = saveState (processor);
    EXPECT_TRUE (saveState (processor) == first);
    EXPECT_FALSE (processor.apvts.state.hasProperty ("manualBpm"));
}

TEST (SavedState, SaveReplacesWhatTheBlockHeld)
{
    VaskelQuorlinProcessor processor;
    Chunk chunk ("leftover", 8);
    processor.getStateInformation (chunk);
    EXPECT_TRUE (chunk == saveState (processor));
}

struct TempoCase
{
    const char* attribute; // nullptr: no attribute
    float expected;
};

TEST (SavedState, RestoredManualTempo)
{
    constexpr auto unchanged = 77.0f;
    std::vector<TempoCase> cases {
        { "-5", -5.0f },       { "abc", 0.0f },       { "300000", 300000.0f }, { " 98.25xyz", 98.25f },
        { "0", 0.0f },         { "3.4e38", 3.4e38f }, { "nan", unchanged },    { "inf", unchanged },
        { "-inf", unchanged }, { "1e39", unchanged }, { nullptr, 120.0f },
    };
    // Exponents too long for an int: infinite or zero by the number's size.
    cases.insert (cases.end(), { { "1e99999999999999999999", unchanged },
                                 { "-1e99999999999999999999", unchanged },
                                 { "1e-99999999999999999999", 0.0f },
                                 { "125e-2147483649", 0.0f } });

    for (const auto& c : cases)
    {
        VaskelQuorlinProcessor processor;
        processor.setManualBpm (unchanged);
        const auto attributes =
            c.attribute != nullptr ? " manualBpm=\"" + juce::String (c.attribute) + "\"" : juce::String();
        restoreState (processor, chunkFromText (document (attributes)));

        EXPECT_EQ (processor.manualBpm.load(), c.expected) << (c.attribute != nullptr ? c.attribute : "(missing)");
        EXPECT_TRUE (std::isfinite (processor.manualBpm.load()));
    }
}

struct SyncCase
{
    const char* attribute; // nullptr: no attribute
    bool expected;
};

TEST (SavedState, RestoredHostSync)
{
    const std::vector<SyncCase> cases {
        { " yes", true }, { "true", true }, { "T", true },      { "1", true },     { "2", false },
        { "", false },    { "0", false },   { "false", false }, { nullptr, true },
    };

    for (const auto& c : cases)
    {
        VaskelQuorlinProcessor processor;
        processor.hostSyncEnabled = ! c.expected;
        const auto attributes =
            c.attribute != nullptr ? " hostSyncEnabled=\"" + juce::String (c.attribute) + "\"" : juce::String();
        restoreState (processor, chunkFromText (document (attributes)));

        EXPECT_EQ (processor.hostSyncEnabled.load(), c.expected)
            << (c.attribute != nullptr ? c.attribute : "(missing)");
    }
}

TEST (SavedState, RootOnlyDocumentKeepsEveryParameterAndTheNextSaveWritesThemAll)
{
    VaskelQuorlinProcessor processor;
    applyChangedSettings (processor);
    processor.setManualBpm (77.0f);
    processor.hostSyncEnabled = false;

    std::vector<float> before;
    for (const auto& [id, value] : changedSettings())
        before.push_back (plainValue (processor, id));

    restoreState (processor, chunkFromText (document ({})));

    for (size_t i = 0; i < changedSettings().size(); ++i)
        EXPECT_EQ (plainValue (processor, changedSettings()[i].first), before[i]) << changedSettings()[i].first;

    EXPECT_EQ (processor.manualBpm.load(), 120.0f);
    EXPECT_TRUE (processor.hostSyncEnabled.load());

    // The elements come after the restored (empty) content, in character-code order.
    const auto saved = juce::parseXML (chunkText (saveState (processor)));
    ASSERT_NE (saved, nullptr);
    ASSERT_EQ (saved->getNumChildElements(), (int) defaultsInChunkOrder().size());

    for (int i = 0; i < saved->getNumChildElements(); ++i)
    {
        const auto* element = saved->getChildElement (i);
        const juce::String id (defaultsInChunkOrder()[(size_t) i].id);
        EXPECT_EQ (element->getTagName(), "PARAM");
        EXPECT_EQ (element->getStringAttribute ("id"), id);
        ASSERT_TRUE (element->hasAttribute ("value")) << id;
        EXPECT_EQ ((float) element->getDoubleAttribute ("value"), plainValue (processor, id)) << id;
    }
}

struct ParameterCase
{
    const char* element;
    const char* id;
    float expected;
    const char* savedValue; // the next save's "value" for this parameter
};

TEST (SavedState, RestoredParameterElements)
{
    // Each case starts from the changed settings (blend 40, echoDivision 2,
    // toneMidFreq 1234, bypass on, modRate 2.34, ...).
    const std::vector<ParameterCase> cases {
        { "<PARAM id=\"blend\"/>", "blend", 100.0f, "100.0" },
        { "<PARAM id=\"blend\" value=\"250\"/>", "blend", 100.0f, "100.0" },
        { "<PARAM id=\"blend\" value=\"-3\"/>", "blend", 0.0f, "0.0" },
        { "<PARAM id=\"blend\" value=\"1e300\"/>", "blend", 100.0f, "100.0" },
        { "<PARAM id=\"blend\" value=\"-inf\"/>", "blend", 0.0f, "0.0" },
        { "<PARAM id=\"blend\" value=\"nan\"/>", "blend", 40.0f, "40.0" },
        { "<PARAM id=\"blend\" value=\"abc\"/>", "blend", 0.0f, "0.0" },
        { "<PARAM id=\"blend\" value=\"40\"/>", "blend", 40.0f, "40.0" },
        { "<PARAM id=\"blend\" value=\"1e99999999999999999999\"/>", "blend", 100.0f, "100.0" },
        { "<PARAM id=\"blend\" value=\"-1e99999999999999999999\"/>", "blend", 0.0f, "0.0" },
        { "<PARAM id=\"blend\" value=\"7e-2147483649\"/>", "blend", 0.0f, "0.0" },
        { "<PARAM id=\"inputTrim\" value=\"1e2147483648\"/>", "inputTrim", 24.0f, "24.0" },
        { "<PARAM id=\"blend\" value=\"12.34\"/>", "blend", 12.3f, nullptr },
        { "<PARAM id=\"echoDivision\" value=\"1.4\"/>", "echoDivision", 1.0f, "1.0" },
        { "<PARAM id=\"echoDivision\" value=\"1.6\"/>", "echoDivision", 2.0f, "2.0" },
        { "<PARAM id=\"echoDivision\" value=\"7\"/>", "echoDivision", 2.0f, "2.0" },
        { "<PARAM id=\"toneMidFreq\" value=\"801.4\"/>", "toneMidFreq", 801.0f, "801.0" },
        { "<PARAM id=\"bypass\" value=\"0.3\"/>", "bypass", 0.0f, "0.0" },
        { "<PARAM id=\"cabEnabled\" value=\"0.7\"/>", "cabEnabled", 1.0f, "1.0" },
        { "<PARAM id=\"cabEnabled\" value=\"nan\"/>", "cabEnabled", 1.0f, "1.0" },
        // Any tag: the id decides. Of two elements for one parameter the later wins.
        { "<OTHER id=\"blend\" value=\"20\"/>", "blend", 20.0f, "20.0" },
        { "<PARAM id=\"blend\" value=\"20\"/><PARAM id=\"blend\" value=\"60\"/>", "blend", 60.0f, nullptr },
        { "<PARAM id=\"blend\" value=\"20\"/><PARAM id=\"blend\" value=\"nan\"/>", "blend", 20.0f, nullptr },
    };

    VaskelQuorlinProcessor reference;
    applyChangedSettings (reference);

    for (const auto& c : cases)
    {
        VaskelQuorlinProcessor processor;
        applyChangedSettings (processor);
        restoreState (processor, chunkFromText (document ({}, c.element)));

        EXPECT_FLOAT_EQ (plainValue (processor, c.id), c.expected) << c.element;

        for (const auto& [id, value] : changedSettings())
            if (id != c.id)
                EXPECT_EQ (plainValue (processor, id), plainValue (reference, id)) << c.element << " " << id;

        if (c.savedValue != nullptr)
        {
            const auto saved = juce::parseXML (chunkText (saveState (processor)));
            ASSERT_NE (saved, nullptr);
            EXPECT_EQ (saved->getChildElement (0)->getStringAttribute ("value"), c.savedValue) << c.element;
        }
    }
}

TEST (SavedState, EveryParameterStaysInsideItsRangeWhateverTheDocumentHolds)
{
    const char* hostileValues[] = { "nan", "-nan", "inf", "-inf", "1e39", "-1e39", "1e-300", "", " ", "0x10", "--1" };

    for (const auto* text : hostileValues)
    {
        juce::String children;
        for (const auto& entry : defaultsInChunkOrder())
            children << "<PARAM id=\"" << entry.id << "\" value=\"" << text << "\"/>";

        VaskelQuorlinProcessor processor;
        applyChangedSettings (processor);
        restoreState (processor, chunkFromText (document ({}, children)));

        for (auto* parameter : processor.getParameters())
        {
            auto* ranged = dynamic_cast<juce::RangedAudioParameter*> (parameter);
            ASSERT_NE (ranged, nullptr);
            const auto value = plainValue (processor, ranged->paramID);
            const auto& range = ranged->getNormalisableRange();
            EXPECT_TRUE (value >= range.start && value <= range.end) << text << " " << ranged->paramID << " " << value;
        }
    }
}

TEST (SavedState, ForeignRootTagElementsAndAttributesAreKeptAndWrittenBack)
{
    VaskelQuorlinProcessor processor;
    restoreState (processor,
                  chunkFromText ("<SOMETHING a=\"x\" manualBpm=\"99\"><EXTRA k=\"1\"><PARAM id=\"inner\"/></EXTRA>"
                                 "<PARAM id=\"blend\" value=\"50\" note=\"kept\"/></SOMETHING>"));

    EXPECT_EQ (plainValue (processor, ParamIds::blend), 50.0f);
    EXPECT_EQ (processor.manualBpm.load(), 99.0f);

    juce::String expected (
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?> <SOMETHING a=\"x\" manualBpm=\"99.0\" hostSyncEnabled=\"1\">"
        "<EXTRA k=\"1\"><PARAM id=\"inner\"/></EXTRA><PARAM id=\"blend\" value=\"50.0\" note=\"kept\"/>");

    for (const auto& entry : defaultsInChunkOrder())
        if (juce::String (entry.id) != "blend")
            expected << "<PARAM id=\"" << entry.id << "\" value=\"" << entry.text << "\"/>";

    EXPECT_EQ (chunkText (saveState (processor)), expected + "</SOMETHING>");
}

TEST (SavedState, RepeatedAttributesCountOnceWithTheFirstValue)
{
    VaskelQuorlinProcessor processor;
    restoreState (processor, chunkFromText ("<PARAMETERS manualBpm=\"99\" manualBpm=\"50\" z=\"1\" z=\"2\">"
                                            "<PARAM id=\"blend\" value=\"20\" value=\"60\"/>"
                                            "<PARAM id=\"echoAmount\" id=\"blend\" value=\"70\"/></PARAMETERS>"));

    EXPECT_EQ (processor.manualBpm.load(), 99.0f);
    EXPECT_EQ (plainValue (processor, ParamIds::blend), 20.0f);
    EXPECT_EQ (plainValue (processor, ParamIds::echoAmount), 70.0f);

    const auto saved = saveState (processor);
    EXPECT_TRUE (chunkText (saved).startsWith (
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?> <PARAMETERS manualBpm=\"99.0\" z=\"1\" "
        "hostSyncEnabled=\"1\"><PARAM id=\"blend\" value=\"20.0\"/>"
        "<PARAM id=\"echoAmount\" value=\"70.0\"/>"))
        << chunkText (saved);

    VaskelQuorlinProcessor other;
    restoreState (other, saved);
    EXPECT_TRUE (saveState (other) == saved);
}

// A root with 40 000 attributes: all are kept in their order (of repeated ones
// the first), the next save holds them, and that save restores to itself. The
// work of both grows with the document (bench/QuorlinStateBenchmark sets it
// against the framework's parse of the same text).
TEST (SavedState, TensOfThousandsOfAttributesAreKeptInOrder)
{
    constexpr int count = 40000;

    for (const bool repeated : { false, true })
    {
        juce::MemoryOutputStream attributes, kept;

        for (int i = 0; i < count; ++i)
        {
            const auto name = "a" + juce::String (repeated ? i / 2 : i);
            attributes << " " << name << "=\"" << i << "\"";

            if (! repeated || i % 2 == 0)
                kept << " " << name << "=\"" << i << "\"";
        }

        VaskelQuorlinProcessor processor;
        restoreState (processor, chunkFromText (document (" manualBpm=\"99\"" + attributes.toString())));
        EXPECT_EQ (processor.manualBpm.load(), 99.0f);

        juce::String expected ("<?xml version=\"1.0\" encoding=\"UTF-8\"?> <PARAMETERS manualBpm=\"99.0\"" +
                               kept.toString() + " hostSyncEnabled=\"1\">");
        for (const auto& entry : defaultsInChunkOrder())
            expected << "<PARAM id=\"" << entry.id << "\" value=\"" << entry.text << "\"/>";

        const auto saved = saveState (processor);
        EXPECT_TRUE (chunkText (saved) == expected + "</PARAMETERS>") << (repeated ? "repeated" : "distinct");

        VaskelQuorlinProcessor other;
        restoreState (other, saved);
        EXPECT_TRUE (saveState (other) == saved) << (repeated ? "repeated" : "distinct");
    }
}

TEST (SavedState, LengthFieldBeyondTheChunkReadsOnlyTheBytesPresent)
{
    VaskelQuorlinProcessor processor;
    restoreState (processor, chunkFromText (document (" manualBpm=\"88\""), 1 << 30));
    EXPECT_EQ (processor.manualBpm.load(), 88.0f);
}

TEST (SavedState, UnreadableChunksChangeNothing)
{
    const auto valid =
        chunkFromText (document (" manualBpm=\"99\" hostSyncEnabled=\"1\"", "<PARAM id=\"blend\" value=\"10\"/>"));
    auto withMagic = [&valid] (const char* magic)
    {
        auto copy = valid;
        copy.copyFrom (magic, 0, 4);
        return copy;
    };

    const auto deep = juce::String ("<PARAMETERS manualBpm=\"99\">") + juce::String::repeatedString ("<a>", 100000) +
                      juce::String::repeatedString ("</a>", 100000) + "</PARAMETERS>";

    const std::vector<std::pair<const char*, Chunk>> cases {
        { "empty", Chunk() },
        { "8 bytes", Chunk (valid.getData(), 8) },
        { "magic in the wrong order", withMagic ("!2CV") },
        { "magic of another format", withMagic ("VC1!") },
        { "length 0", chunkFromText (document (" manualBpm=\"99\""), 0) },
        { "negative length", chunkFromText (document (" manualBpm=\"99\""), -5) },
        { "not XML", chunkFromText ("manualBpm=99") },
        { "text cut short", Chunk (valid.getData(), 40) },
        { "length field cuts the text", chunkFromText (document (" manualBpm=\"99\""), 30) },
        { "unclosed root", chunkFromText ("<PARAMETERS manualBpm=\"99\"><PARAM id=\"blend\" value=\"10\"/>") },
        { "text before the root", chunkFromText ("hello <PARAMETERS manualBpm=\"99\"/>") },
        // Refused before parsing: the framework's parser could read past the
        // text, expand entities without end, loop for ever or run out of stack.
        { "invalid UTF-8", chunkFromBytes ("<PARAMETERS manualBpm=\"99\" x=\"\xff\"/>") },
        { "overlong UTF-8", chunkFromBytes ("<PARAMETERS manualBpm=\"99\" x=\"\xc0\xbc\"/>") },
        { "truncated UTF-8 at the end", chunkFromBytes ("<PARAMETERS manualBpm=\"99\" x=\"\xc3") },
        { "character reference at the very end", chunkFromText ("<PARAMETERS manualBpm=\"99\" x=\"&#x") },
        { "document type",
          chunkFromText ("<!DOCTYPE p [<!ENTITY a \"&xa;\">]><PARAMETERS manualBpm=\"99\" x=\"&a;\"/>") },
        { "processing instruction before text",
          chunkFromText ("<PARAMETERS manualBpm=\"99\"><?pi?>text</PARAMETERS>") },
        { "nested 100000 deep", chunkFromText (deep) },
    };

    for (const auto& [name, chunk] : cases)
    {
        VaskelQuorlinProcessor processor;
        applyChangedSettings (processor);
        processor.setManualBpm (77.0f);
        processor.hostSyncEnabled = false;
        const auto before = saveState (processor);

        processor.setStateInformation (chunk.getData(), (int) chunk.getSize());

        EXPECT_TRUE (saveState (processor) == before) << name;
        EXPECT_EQ (processor.manualBpm.load(), 77.0f) << name;
        EXPECT_FALSE (processor.hostSyncEnabled.load()) << name;
    }

    VaskelQuorlinProcessor processor;
    const auto before = saveState (processor);
    processor.setStateInformation (nullptr, 100);
    EXPECT_TRUE (saveState (processor) == before);
}

TEST (SavedState, NestingUpToTheLimitRestoresAndDeeperIsRefused)
{
    // The root, then 63 levels below it: 64 in all.
    const auto opening = juce::String::repeatedString ("<n>", 63);
    const auto closing = juce::String::repeatedString ("</n>", 63);

    VaskelQuorlinProcessor processor;
    restoreState (processor, chunkFromText ("<PARAMETERS manualBpm=\"99\">" + opening + closing + "</PARAMETERS>"));
    EXPECT_EQ (processor.manualBpm.load(), 99.0f);
    const auto written = juce::String::repeatedString ("<n>", 62) + "<n/>" + juce::String::repeatedString ("</n>", 62);
    EXPECT_TRUE (chunkText (saveState (processor)).contains (written));

    VaskelQuorlinProcessor deeper;
    restoreState (deeper,
                  chunkFromText ("<PARAMETERS manualBpm=\"99\">" + opening + "<n/>" + closing + "</PARAMETERS>"));
    EXPECT_EQ (deeper.manualBpm.load(), 120.0f);
}

TEST (SavedState, RestoreWorksWhilePreparedAndLeavesThePreparationAlone)
{
    VaskelQuorlinProcessor source;
    applyChangedSettings (source);
    setPlainValue (source, ParamIds::bypass, 0.0f);
    const auto chunk = saveState (source);

    VaskelQuorlinProcessor processor;
    processor.prepareToPlay (48000.0, 256);
    const auto latency = processor.getLatencySamples();
    restoreState (processor, chunk);
    EXPECT_EQ (processor.getLatencySamples(), latency);

    juce::AudioBuffer<float> buffer (2, 256);
    buffer.clear();
    buffer.setSample (0, 0, 0.5f);
    juce::MidiBuffer midi;
    processor.processBlock (buffer, midi);

    for (int ch = 0; ch < 2; ++ch)
        for (int i = 0; i < 256; ++i)
            ASSERT_TRUE (std::isfinite (buffer.getSample (ch, i)));
}
