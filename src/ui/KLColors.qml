// SPDX-License-Identifier: GPL-3.0-or-later
pragma Singleton
import QtQuick

// The palette of every window. The values are sRGB; "white at opacity x" lightens whatever lies
// below it.
QtObject {
    readonly property color windowBg: Qt.rgba(0.08, 0.08, 0.10, 1)
    readonly property color cardBg: Qt.rgba(0.12, 0.12, 0.14, 1)
    readonly property color surfaceBg: Qt.rgba(0.10, 0.10, 0.12, 1)
    readonly property color inputBg: Qt.rgba(0.08, 0.08, 0.08, 1)
    readonly property color headerBg: Qt.rgba(0.09, 0.09, 0.11, 1)
    readonly property color border: Qt.rgba(1, 1, 1, 0.06)
    readonly property color borderMedium: Qt.rgba(1, 1, 1, 0.10)
    readonly property color divider: Qt.rgba(1, 1, 1, 0.06)
    readonly property color textPrimary: systemWhite
    readonly property color textSecondary: Qt.rgba(1, 1, 1, 0.60)
    readonly property color textTertiary: Qt.rgba(1, 1, 1, 0.35)
    readonly property color textDisabled: Qt.rgba(1, 1, 1, 0.20)
    // A resting fill, whatever the name says: nothing here tracks the pointer.
    readonly property color hoverBg: Qt.rgba(1, 1, 1, 0.04)
    readonly property color statusLive: systemGreen
    readonly property color statusStalled: systemOrange
    readonly property color statusStopped: Qt.rgba(1, 1, 1, 0.15)
    readonly property color statusError: systemRed
    readonly property color previewBg: systemBlack
    readonly property color previewBorder: Qt.rgba(1, 1, 1, 0.08)

    // The desktop's named colours, fixed once for every desktop: the dark-theme shades of the
    // GNOME (Adwaita) palette, which KDE's Breeze Dark is close to.
    readonly property color systemWhite: "#ffffff"
    readonly property color systemBlack: "#000000"
    readonly property color systemGreen: "#33d17a"
    readonly property color systemOrange: "#ff7800"
    readonly property color systemRed: "#e01b24"
    readonly property color accent: "#3584e4"
}
