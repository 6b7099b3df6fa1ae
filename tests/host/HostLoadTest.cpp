#include "support/HostedPlugin.h"
#include "support/Signals.h"

#include <gtest/gtest.h>

TEST (HostLoad, FindsTheBundle)
{
    juce::VST3PluginFormat format;
    const auto found = HostedPlugin::scan (format);
    ASSERT_EQ (found.size(), 1);
    EXPECT_EQ (found[0]->name, "Tessarwood Quorlin");
}

TEST (HostLoad, CreatesAnInstanceThatProcesses)
{
    HostedPlugin plugin (44100.0, 512);
    ASSERT_TRUE (plugin.isLoaded()) << plugin.errorMessage;

    plugin.prepare (44100.0, 512);
    auto buffer = Signals::sine (2, 512, 440.0, 44100.0);
    plugin.process (buffer);
    EXPECT_TRUE (Signals::allFinite (buffer));
    EXPECT_NE (plugin.findParameter ("Drive"), nullptr);
}
