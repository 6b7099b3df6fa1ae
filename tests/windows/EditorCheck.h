#pragma once

// Opening and closing the plug-in's editor as a Windows host does: the view
// attached to a window of the host's own (HWND), messages dispatched while it
// is up, then removed again.

#include "CheckReport.h"

#include "pluginterfaces/vst/ivsteditcontroller.h"

#include <string>

namespace editorcheck
{
#if defined(_WIN32)
void run (Steinberg::Vst::IEditController& controller, host::CheckReport& report, const std::string& outDir);
#else
// A Linux host has to lend the editor its run loop through the frame; the
// Linux editor is covered by the JUCE-hosted tests instead.
inline void run (Steinberg::Vst::IEditController&, host::CheckReport& report, const std::string&)
{
    report.note ("editor: opened only in the Windows run");
}
#endif
} // namespace editorcheck
