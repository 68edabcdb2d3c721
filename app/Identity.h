#pragma once

namespace app {

// The application title, sent as the agent name of the reachability probe.
inline constexpr const char* kTitle = "{Qor} Lumenfold 1.5";
// The main window's caption.
inline constexpr const char* kMainCaption = "{Qor} Lumenfold v1.5";
inline constexpr const char* kExecutableName = "Lumenfold 1.5";

// The product's home page, opened by the home-page button; the About text
// names it and the contact address on the same host.
inline constexpr const char* kHomePageUrl = "http://www.lumenfold.net";
inline constexpr const char* kContactAddress = "support@lumenfold.net";
// Opened by the WAN label for a user whose WAN address stays empty: an
// outside page that shows the visitor's public address.
inline constexpr const char* kWanPageUrl = "http://checkip.dyndns.org/";

}  // namespace app
