#pragma once

// Opening and closing the plug-in's editor as a Windows host does: the view
// attached to a window of the host's own (HWND), messages dispatched while it
// is up, then removed again. While it is open the check reads back what the
// window shows: the live displays must follow the processor and the mouse.

#include "CheckReport.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <functional>
#include <string>

namespace editorcheck
{
// What the editor check needs from the host program beyond the controller.
struct HostHooks
{
    // Activates the instance, runs this many samples of a stereo sine with
    // the given peak through it (0 for silence) and deactivates it again;
    // false when a call failed.
    std::function<bool (float peak, int samples)> processAudio;
    // The gate fader's parameter, which the check drags: its VST3 ID and the
    // normalised value the host last gave it. (The controller's own copy only
    // learns of changes the host makes through it, which this host never does.)
    Steinberg::Vst::ParamID gateAmountId = 0;
    double gateAmountSet = 0.0;
};

#if defined(_WIN32)
void run (Steinberg::Vst::IEditController& controller, const HostHooks& hooks, host::CheckReport& report,
          const std::string& outDir);
#else
// A Linux host has to lend the editor its run loop through the frame; the
// Linux editor is covered by the JUCE-hosted tests instead.
inline void run (Steinberg::Vst::IEditController&, const HostHooks&, host::CheckReport& report, const std::string&)
{
    report.note ("editor: opened only in the Windows run");
}
#endif
} // namespace editorcheck
