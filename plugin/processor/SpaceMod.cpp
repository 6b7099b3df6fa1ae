#include "processor/VaskelQuorlinProcessor.h"

#include "common/ParamIds.h"

void VaskelQuorlinProcessor::processSpaceSend (juce::AudioBuffer<float>&)
{
}

void VaskelQuorlinProcessor::processModulationSend (juce::AudioBuffer<float>&)
{
}
