// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The application shell's fixed settings.
namespace AppConfiguration {

namespace CrashReports {
// Where crash reports are sent at the next start (one POST per report). Empty: they stay in the
// user's state directory.
inline constexpr const char *endpoint = "";
// Reports name the user and the machine.
inline constexpr bool sendDefaultPii = true;
} // namespace CrashReports

namespace Updates {
// The appcast feed that announces releases.
inline constexpr const char *feedUrl = "https://nordvane.com/kinolith/appcast.xml";
} // namespace Updates

} // namespace AppConfiguration
