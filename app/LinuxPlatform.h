#pragma once

#include "app/Platform.h"
#include "app/Startup.h"

namespace toolkit {
class Application;
class Waiter;
}  // namespace toolkit

namespace app {

// The real services of this platform: Qt Network for the web requests,
// netlink for addresses and adapters, xdg-open for web pages. Every wait
// goes through `waiter`, which keeps the windows served meanwhile.
Platform makeLinuxPlatform(toolkit::Waiter& waiter);

// Asks X servers and Wayland compositors whether they answer.
DisplayProbes linuxDisplayProbes();
// Fits the runtime to the windowing system Qt was started on: on a Wayland
// compositor without xdg-activation, open windows are brought forward by
// showing them afresh; with it, by a token asked with the triggering press.
void adaptToWindowSystem(toolkit::Application& application);

}  // namespace app
