#include "processor/VaskelQuorlinProcessor.h"

#include "common/ParamIds.h"

void VaskelQuorlinProcessor::processNoiseGate (juce::AudioBuffer<float>&)
{
}
