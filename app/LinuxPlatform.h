#pragma once

#include "app/Platform.h"
#include "app/Startup.h"
#include "toolkit/Waiter.h"

namespace app {

// The real services of this platform: libcurl for the web requests,
// netlink for addresses and adapters, xdg-open for web pages. The web
// requests wait through `waiter`, off the UI thread.
Platform makeLinuxPlatform(toolkit::Waiter& waiter);

// Asks X servers and Wayland compositors whether they answer.
DisplayProbes linuxDisplayProbes();
// Whether the Wayland compositor in use lets a program ask for one of its
// windows to be brought forward (xdg-activation).
bool waylandCompositorActivatesWindows();

}  // namespace app
