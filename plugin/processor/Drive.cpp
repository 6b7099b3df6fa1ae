#include "processor/VaskelQuorlinProcessor.h"

#include "common/ParamIds.h"

void VaskelQuorlinProcessor::processDrive (juce::dsp::AudioBlock<float>& block)
{
    auto upsampled = oversampler.processSamplesUp (block);
    juce::ignoreUnused (upsampled);
    oversampler.processSamplesDown (block);
}
