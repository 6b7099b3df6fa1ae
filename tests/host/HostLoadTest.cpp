#include <gtest/gtest.h>
#include <juce_audio_processors/juce_audio_processors.h>

TEST (HostLoad, FindsTheBundle)
{
    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> found;
    const auto bundle = juce::File (QUORLIN_VST3_BINARY_DIR).getParentDirectory().getParentDirectory();
    format.findAllTypesForFile (found, bundle.getFullPathName());
    ASSERT_EQ (found.size(), 1);
    EXPECT_EQ (found[0]->name, "Tessarwood Quorlin");
}
