#include "editor/PendingRepaintFlusher.h"

PendingRepaintFlusher::PendingRepaintFlusher (juce::Component& shownComponent)
    : component (shownComponent)
    , lastVBlankMs (juce::Time::getMillisecondCounterHiRes())
    , vBlanks (&shownComponent, [this] { lastVBlankMs = juce::Time::getMillisecondCounterHiRes(); })
{
}

void PendingRepaintFlusher::flushIfVBlanksStalled()
{
    if (juce::Time::getMillisecondCounterHiRes() - lastVBlankMs < stallTimeMs)
        return;

    // Hands the gathered areas to the system and paints them straight away.
    if (auto* peer = component.getPeer())
        peer->performAnyPendingRepaintsNow();
}
