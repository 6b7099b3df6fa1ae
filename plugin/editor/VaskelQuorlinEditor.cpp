#include "editor/VaskelQuorlinEditor.h"

#include "processor/VaskelQuorlinProcessor.h"

VaskelQuorlinEditor::VaskelQuorlinEditor (VaskelQuorlinProcessor& p)
    : AudioProcessorEditor (p), processorRef (p)
{
    setSize (1180, 560);
    setResizable (true, true);
}

VaskelQuorlinEditor::~VaskelQuorlinEditor() = default;

void VaskelQuorlinEditor::paint (juce::Graphics& g)
{
    g.fillAll (juce::Colour (0xff15171a));
}

void VaskelQuorlinEditor::resized() {}
