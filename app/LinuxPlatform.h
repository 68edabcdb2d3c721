#pragma once

#include "app/Platform.h"

namespace app {

// The real services of this platform: libcurl for the web requests,
// netlink for addresses and adapters, xdg-open for web pages.
Platform makeLinuxPlatform();

}  // namespace app
