#pragma once

// Tests that put windows on screen run under a bare X server (xvfb-run) with
// no window manager. JUCE looks up a few window-manager atoms only if they
// already exist ("WM_PROTOCOLS" among them) and then uses the missing ones as
// property names, which the server rejects with a fatal BadAtom error. A
// window manager would have created them; here they are created before main,
// before JUCE opens its own connection, and the connection stays open: a bare
// Xvfb resets itself, and forgets its atoms, when its last client leaves.
// Harmless when the atoms already exist.
//
// Include this header in the test sources that show windows; the atoms are
// created once per test binary.

#if defined(__linux__)

#include <dlfcn.h>

namespace X11SessionAtoms
{
inline bool internWindowManagerAtoms()
{
    void* x11 = dlopen ("libX11.so.6", RTLD_LAZY | RTLD_LOCAL);

    if (x11 == nullptr)
        return false;

    using OpenDisplay = void* (*) (const char*);
    using InternAtom = unsigned long (*) (void*, const char*, int);
    using Flush = int (*) (void*);

    auto openDisplay = reinterpret_cast<OpenDisplay> (dlsym (x11, "XOpenDisplay"));
    auto internAtom = reinterpret_cast<InternAtom> (dlsym (x11, "XInternAtom"));
    auto flush = reinterpret_cast<Flush> (dlsym (x11, "XFlush"));

    if (openDisplay == nullptr || internAtom == nullptr || flush == nullptr)
        return false;

    // Kept for the whole run (see above); the library stays loaded with it.
    static void* display = openDisplay (nullptr);

    if (display == nullptr)
        return false;

    for (auto* name :
         { "WM_PROTOCOLS", "WM_TAKE_FOCUS", "WM_DELETE_WINDOW", "WM_CHANGE_STATE", "WM_STATE", "_NET_WM_PING",
           "_NET_WM_WINDOW_TYPE", "_NET_WM_WINDOW_TYPE_NORMAL", "_NET_WM_STATE", "_NET_WM_STATE_HIDDEN" })
        internAtom (display, name, 0);

    flush (display);
    return true;
}

inline const bool internedBeforeMain = internWindowManagerAtoms();
} // namespace X11SessionAtoms

#endif
