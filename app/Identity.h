#pragma once

namespace app {

// The application title, sent as the agent name of the reachability probe.
inline constexpr const char* kTitle = "{Qor} Lumenfold 1.5";
// The main window's caption.
inline constexpr const char* kMainCaption = "{Qor} Lumenfold v1.5";
inline constexpr const char* kExecutableName = "Lumenfold 1.5";

}  // namespace app
