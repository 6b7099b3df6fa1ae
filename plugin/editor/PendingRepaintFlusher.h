#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

// JUCE's Windows window gathers repaints and hands them to the system only
// when the display reports a vertical blank. Some displays never report one
// (Wine's DXGI answers the wait with "not implemented"), and then nothing
// after the first frame reaches the screen. This watches the vertical blanks
// of the window that shows a component; while none has come for a while, its
// owner can have the gathered areas painted at once.
class PendingRepaintFlusher
{
public:
    explicit PendingRepaintFlusher (juce::Component& shownComponent);

    // Paints what the window has gathered, now, when no vertical blank has
    // come for stallTimeMs; otherwise leaves it to the next blank.
    void flushIfVBlanksStalled();

    // Several frames of any real display, and about three editor ticks.
    static constexpr double stallTimeMs = 100.0;

private:
    juce::Component& component;
    double lastVBlankMs;
    juce::VBlankAttachment vBlanks;

    JUCE_DECLARE_NON_COPYABLE (PendingRepaintFlusher)
};
