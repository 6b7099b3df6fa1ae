#include "processor/VaskelQuorlinProcessor.h"

void VaskelQuorlinProcessor::getStateInformation (juce::MemoryBlock& destData)
{
    auto state = apvts.copyState();
    if (auto xml = state.createXml())
    {
        xml->setAttribute ("manualBpm", (double) manualBpm.load());
        xml->setAttribute ("hostSyncEnabled", hostSyncEnabled.load() ? 1 : 0);
        copyXmlToBinary (*xml, destData);
    }
}

void VaskelQuorlinProcessor::setStateInformation (const void* data, int sizeInBytes)
{
    auto xml = getXmlFromBinary (data, sizeInBytes);
    if (xml == nullptr)
        return;

    manualBpm = (float) xml->getDoubleAttribute ("manualBpm", 120.0);
    hostSyncEnabled = xml->getBoolAttribute ("hostSyncEnabled", true);
    apvts.replaceState (juce::ValueTree::fromXml (*xml));
}
