// SPDX-License-Identifier: GPL-3.0-or-later
import QtQuick
import QtQuick.Layouts

// A 1-point line across the space offered.
Rectangle {
    implicitHeight: 1
    Layout.fillWidth: true
    Layout.preferredHeight: 1
    Layout.maximumHeight: 1
    color: KLColors.divider
}
