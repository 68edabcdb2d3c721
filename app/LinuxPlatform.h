#pragma once

#include "app/Platform.h"
#include "toolkit/Waiter.h"

namespace app {

// The real services of this platform: Qt Network for the web requests,
// netlink for addresses and adapters, xdg-open for web pages. Every wait
// goes through `waiter`, which keeps the windows served meanwhile.
Platform makeLinuxPlatform(toolkit::Waiter& waiter);

}  // namespace app
