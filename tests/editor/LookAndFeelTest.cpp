#include "LookTestSupport.h"

#include <BinaryData.h>

#include <cstdlib>
#include <cstring>

using looktest::editorAccents;

namespace
{
bool tripleIs (juce::uint32 accent, juce::uint32 soft, juce::uint32 glow)
{
    return VaskelColours::accent == juce::Colour (accent) && VaskelColours::accentSoft == juce::Colour (soft) &&
           VaskelColours::accentGlow == juce::Colour (glow);
}

juce::File repositoryRoot() { return juce::File (QUORLIN_TEST_DATA_DIR).getParentDirectory(); }

// The font revision (16.16 fixed point) from a TrueType file's head table.
double fontRevision (const char* data, int size)
{
    const auto* bytes = reinterpret_cast<const juce::uint8*> (data);
    const auto read16 = [bytes] (int at) { return (int) ((bytes[at] << 8) | bytes[at + 1]); };
    const auto read32 = [bytes] (int at)
    { return (juce::uint32) ((bytes[at] << 24) | (bytes[at + 1] << 16) | (bytes[at + 2] << 8) | bytes[at + 3]); };

    const auto numTables = read16 (4);

    for (int i = 0; i < numTables; ++i)
    {
        const auto record = 12 + 16 * i;

        if (record + 16 <= size && std::memcmp (bytes + record, "head", 4) == 0)
        {
            const auto offset = (int) read32 (record + 8);
            return offset + 8 <= size ? read32 (offset + 4) / 65536.0 : -1.0;
        }
    }

    return -1.0;
}

struct EmbeddedFont
{
    const char* resourceName;
    const char* originalFilename;
    const char* packageFile;
    const char* family;
    const char* style;
    double revision;
};

const EmbeddedFont embeddedFonts[] = {
    { "ChakraPetchRegular_ttf", "ChakraPetch-Regular.ttf", "chakra-petch/400Regular/ChakraPetch_400Regular.ttf",
      "Chakra Petch", "Regular", 1.0 },
    { "ChakraPetchBold_ttf", "ChakraPetch-Bold.ttf", "chakra-petch/700Bold/ChakraPetch_700Bold.ttf", "Chakra Petch",
      "Bold", 1.0 },
    { "VT323Regular_ttf", "VT323-Regular.ttf", "vt323/400Regular/VT323_400Regular.ttf", "VT323", "Regular", 2.0 },
};

void expectFace (const juce::Font& font, const juce::String& family, float height)
{
    ASSERT_NE (font.getTypefacePtr(), nullptr);
    EXPECT_EQ (font.getTypefaceName(), family);
    EXPECT_EQ (font.getTypefacePtr()->getName(), family);
    EXPECT_EQ (font.getTypefaceStyle(), "Regular");
    EXPECT_FLOAT_EQ (font.getHeight(), height);
}
} // namespace

// Runs in a fresh process, so that no look of another test has written the triple yet.
TEST (LookAndFeelDeathTest, AccentTripleStartsWithItsInitialValues)
{
    GTEST_FLAG_SET (death_test_style, "threadsafe");
    EXPECT_EXIT (std::_Exit (tripleIs (0xFF3D7BFF, 0xFF7FA8FF, 0xFFA6F0FF) ? 0 : 1), ::testing::ExitedWithCode (0), "");
}

TEST (LookAndFeel, ConstructorWritesTheAccentTripleBeforeTheColourIds)
{
    VaskelLookAndFeel look (editorAccents());

    EXPECT_TRUE (tripleIs (0xFFD9862B, 0xFFE8A65C, 0xFFFFC46A));
    EXPECT_EQ (look.findColour (juce::PopupMenu::highlightedBackgroundColourId), juce::Colour (0xFFD9862B));
}

TEST (LookAndFeel, LastConstructedLookOwnsTheTripleAndDestructionKeepsIt)
{
    VaskelLookAndFeel first (editorAccents());

    {
        VaskelLookAndFeel second ({ juce::Colour (0xFF010203), juce::Colour (0xFF040506), juce::Colour (0xFF070809) });
        EXPECT_TRUE (tripleIs (0xFF040506, 0xFF070809, 0xFF010203));
        EXPECT_EQ (second.findColour (juce::PopupMenu::highlightedBackgroundColourId), juce::Colour (0xFF040506));
    }

    EXPECT_TRUE (tripleIs (0xFF040506, 0xFF070809, 0xFF010203));
    // The first look's own colour id was set from the accent of its time.
    EXPECT_EQ (first.findColour (juce::PopupMenu::highlightedBackgroundColourId), juce::Colour (0xFFD9862B));

    VaskelLookAndFeel restore (editorAccents());
}

TEST (LookAndFeel, SetsThePaletteColourIds)
{
    VaskelLookAndFeel look (editorAccents());

    const std::pair<int, juce::uint32> expected[] = {
        { juce::ResizableWindow::backgroundColourId, 0xFF06070D },
        { juce::Label::textColourId, 0xFFC9D2E0 },
        { juce::ComboBox::backgroundColourId, 0xFF0D0F18 },
        { juce::ComboBox::textColourId, 0xFFC9D2E0 },
        { juce::ComboBox::outlineColourId, 0xFF7A87A3 },
        { juce::PopupMenu::backgroundColourId, 0xFF0D0F18 },
        { juce::PopupMenu::textColourId, 0xFFC9D2E0 },
        { juce::PopupMenu::highlightedBackgroundColourId, 0xFFD9862B },
        { juce::Slider::textBoxTextColourId, 0xFFC9D2E0 },
        { juce::Slider::textBoxBackgroundColourId, 0xFF0D0F18 },
        { juce::Slider::textBoxOutlineColourId, 0xFF7A87A3 },
        { juce::TextButton::textColourOffId, 0xFFC9D2E0 },
        { juce::TextButton::textColourOnId, 0xFF06070D },
    };

    for (const auto& [id, argb] : expected)
        EXPECT_EQ (look.findColour (id), juce::Colour (argb)) << "colour id 0x" << juce::String::toHexString (id);
}

TEST (LookAndFeel, LeavesOtherColourIdsAtTheDarkScheme)
{
    VaskelLookAndFeel look (editorAccents());
    juce::LookAndFeel_V4 dark;

    for (const auto id : { (int) juce::Slider::thumbColourId, (int) juce::Slider::trackColourId,
                           (int) juce::Slider::rotarySliderFillColourId, (int) juce::TextButton::buttonColourId,
                           (int) juce::TextButton::buttonOnColourId, (int) juce::ToggleButton::tickColourId,
                           (int) juce::TextEditor::backgroundColourId, (int) juce::TextEditor::highlightColourId,
                           (int) juce::PopupMenu::highlightedTextColourId, (int) juce::Label::backgroundColourId })
        EXPECT_EQ (look.findColour (id), dark.findColour (id)) << "colour id 0x" << juce::String::toHexString (id);
}

TEST (LookAndFeel, LabelsTakeChakraPetch15WhateverTheirOwnFont)
{
    VaskelLookAndFeel look (editorAccents());
    juce::Label label ("caption", "Drive");
    label.setFont (juce::Font (10.0f, juce::Font::bold));
    label.setLookAndFeel (&look);

    expectFace (look.getLabelFont (label), "Chakra Petch", 15.0f);

    // The in-place editor takes the same font.
    label.setBounds (0, 0, 120, 20);
    label.setEditable (true);
    label.showEditor();
    auto* editor = label.getCurrentTextEditor();
    ASSERT_NE (editor, nullptr);
    expectFace (editor->getFont(), "Chakra Petch", 15.0f);
    label.hideEditor (true);

    label.setLookAndFeel (nullptr);
}

TEST (LookAndFeel, ButtonComboAndDisplayFontsAreVT323)
{
    VaskelLookAndFeel look (editorAccents());
    juce::TextButton button ("TAP");
    juce::ComboBox box;

    for (const auto buttonHeight : { 0, 10, 24, 300 })
        expectFace (look.getTextButtonFont (button, buttonHeight), "VT323", 18.0f);

    expectFace (look.getComboBoxFont (box), "VT323", 20.0f);
    expectFace (look.getDisplayFont (13.0f), "VT323", 13.0f);
}

TEST (LookAndFeel, HeightsAreFontHeightsNotPoints)
{
    VaskelLookAndFeel look (editorAccents());
    const auto font = look.getDisplayFont (13.0f);

    EXPECT_NEAR (font.getAscent() + font.getDescent(), 13.0f, 0.01f);
}

TEST (LookAndFeel, EachLookHoldsOneTypefacePerFont)
{
    VaskelLookAndFeel look (editorAccents());
    juce::Label label;
    juce::ComboBox box;

    EXPECT_EQ (look.getLabelFont (label).getTypefacePtr(), look.getLabelFont (label).getTypefacePtr());
    EXPECT_EQ (look.getComboBoxFont (box).getTypefacePtr(), look.getDisplayFont (7.0f).getTypefacePtr());
    EXPECT_NE (look.getLabelFont (label).getTypefacePtr(), look.getComboBoxFont (box).getTypefacePtr());
}

TEST (LookAndFeel, MakeFontFallsBackToTheDefaultFaceWithoutATypeface)
{
    const auto font = VaskelLookAndFeel::makeFont (nullptr, 13.0f);

    EXPECT_EQ (font.getTypefaceName(), juce::Font::getDefaultSansSerifFontName());
    EXPECT_FLOAT_EQ (font.getHeight(), 13.0f);
    EXPECT_TRUE (font == juce::Font (13.0f));
}

TEST (LookAndFeel, MakeFontUsesTheGivenTypefaceAtTheGivenHeight)
{
    const auto typeface = juce::Typeface::createSystemTypefaceFor (BinaryData::VT323Regular_ttf,
                                                                   (size_t) BinaryData::VT323Regular_ttfSize);
    ASSERT_NE (typeface, nullptr);

    const auto font = VaskelLookAndFeel::makeFont (typeface, 42.0f);
    EXPECT_EQ (font.getTypefacePtr(), typeface);
    EXPECT_FLOAT_EQ (font.getHeight(), 42.0f);
}

TEST (EmbeddedResources, FontsAreTheNamedVersionsAndLoadFromMemory)
{
    for (const auto& font : embeddedFonts)
    {
        SCOPED_TRACE (font.resourceName);

        int size = 0;
        const auto* data = BinaryData::getNamedResource (font.resourceName, size);
        ASSERT_NE (data, nullptr);
        EXPECT_STREQ (BinaryData::getNamedResourceOriginalFilename (font.resourceName), font.originalFilename);
        EXPECT_DOUBLE_EQ (fontRevision (data, size), font.revision);

        const auto typeface = juce::Typeface::createSystemTypefaceFor (data, (size_t) size);
        ASSERT_NE (typeface, nullptr);
        EXPECT_EQ (typeface->getName(), font.family);
        EXPECT_EQ (typeface->getStyle(), font.style);

        // The bytes are those of the pinned npm package's file.
        juce::MemoryBlock packaged;
        const auto file =
            repositoryRoot().getChildFile ("node_modules/@expo-google-fonts").getChildFile (font.packageFile);
        ASSERT_TRUE (file.loadFileAsData (packaged)) << file.getFullPathName();
        EXPECT_EQ ((int) packaged.getSize(), size);
        EXPECT_EQ (std::memcmp (packaged.getData(), data, (size_t) size), 0);
    }
}

TEST (EmbeddedResources, EveryImageOfTheAssetsIsEmbedded)
{
    const auto images =
        repositoryRoot().getChildFile ("assets/images").findChildFiles (juce::File::findFiles, false, "*.png");

    for (const auto& file : images)
    {
        SCOPED_TRACE (file.getFileName());
        bool found = false;

        for (int i = 0; i < BinaryData::namedResourceListSize; ++i)
        {
            if (file.getFileName() != BinaryData::originalFilenames[i])
                continue;

            found = true;
            int size = 0;
            const auto* data = BinaryData::getNamedResource (BinaryData::namedResourceList[i], size);
            juce::MemoryBlock onDisk;
            ASSERT_TRUE (file.loadFileAsData (onDisk));
            EXPECT_EQ ((int) onDisk.getSize(), size);
            EXPECT_TRUE (juce::ImageCache::getFromMemory (data, size).isValid());
        }

        EXPECT_TRUE (found);
    }
}
