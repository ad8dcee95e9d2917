// SPDX-License-Identifier: GPL-3.0-or-later
import QtQuick
import QtQuick.Controls.Basic

// A scroll bar for the dark window, always shown where there is something to scroll.
ScrollBar {
    id: bar

    policy: ScrollBar.AsNeeded
    minimumSize: 0.05
    contentItem: Rectangle {
        implicitWidth: 6
        implicitHeight: 6
        radius: 3
        color: bar.pressed ? KLColors.textSecondary : KLColors.textTertiary
        opacity: bar.size < 1.0 ? 1 : 0
    }
    background: Rectangle {
        implicitWidth: 10
        color: "transparent"
    }
}
