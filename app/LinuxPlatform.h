#pragma once

#include "app/Platform.h"
#include "toolkit/Waiter.h"

namespace app {

// The real services of this platform: libcurl for the web requests,
// netlink for addresses and adapters, xdg-open for web pages. The web
// requests wait through `waiter`, off the UI thread.
Platform makeLinuxPlatform(toolkit::Waiter& waiter);

}  // namespace app
