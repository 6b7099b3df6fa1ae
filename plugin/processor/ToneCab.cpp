#include "processor/VaskelQuorlinProcessor.h"

#include "common/ParamIds.h"

void VaskelQuorlinProcessor::processTone (juce::dsp::AudioBlock<float>&)
{
}

void VaskelQuorlinProcessor::processCabinet (juce::dsp::AudioBlock<float>&)
{
}
