// SPDX-License-Identifier: GPL-3.0-or-later
pragma Singleton
import QtQuick

// The palette of every window. The values are sRGB.
QtObject {
    readonly property color windowBg: Qt.rgba(0.08, 0.08, 0.10, 1)
    readonly property color cardBg: Qt.rgba(0.12, 0.12, 0.14, 1)
    readonly property color surfaceBg: Qt.rgba(0.10, 0.10, 0.12, 1)
    readonly property color inputBg: Qt.rgba(0.08, 0.08, 0.08, 1)
    readonly property color headerBg: Qt.rgba(0.09, 0.09, 0.11, 1)
    readonly property color border: Qt.rgba(1, 1, 1, 0.06)
    readonly property color borderMedium: Qt.rgba(1, 1, 1, 0.10)
    readonly property color divider: Qt.rgba(1, 1, 1, 0.06)
    readonly property color textPrimary: "#ffffff"
    readonly property color textSecondary: Qt.rgba(1, 1, 1, 0.60)
    readonly property color textTertiary: Qt.rgba(1, 1, 1, 0.35)
    readonly property color textDisabled: Qt.rgba(1, 1, 1, 0.20)
}
