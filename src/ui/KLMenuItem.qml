// SPDX-License-Identifier: GPL-3.0-or-later
import QtQuick
import QtQuick.Controls.Basic

// A menu entry of the dark menus: its text, and its shortcut on the right, as desktop menus show
// them.
MenuItem {
    id: item

    // The nativeText of a disabled Shortcut is the action's sequence in this desktop's words.
    readonly property string shortcutText: action && action.shortcut !== undefined
                                           ? shortcutReader.nativeText : ""

    Shortcut {
        id: shortcutReader
        enabled: false
        sequence: item.action ? item.action.shortcut : ""
    }

    implicitWidth: Math.max(200, leftPadding + label.implicitWidth + 32
                            + shortcut.implicitWidth + rightPadding)

    contentItem: Item {
        implicitHeight: label.implicitHeight
        Text {
            id: label
            anchors.left: parent.left
            anchors.verticalCenter: parent.verticalCenter
            text: item.text
            font: item.font
            color: item.enabled ? item.palette.windowText : item.palette.placeholderText
        }
        Text {
            id: shortcut
            anchors.right: parent.right
            anchors.verticalCenter: parent.verticalCenter
            text: item.shortcutText
            font: item.font
            color: item.enabled ? item.palette.placeholderText : Qt.rgba(1, 1, 1, 0.12)
        }
    }
}
