// SPDX-License-Identifier: GPL-3.0-or-later
import QtQuick
import QtQuick.Layouts

// A card section's heading: symbol, title in capitals, an optional count badge, then whatever
// `trailing` builds at the far end.
RowLayout {
    id: header

    property string icon
    property string title
    // An integer, or undefined for no badge.
    property var count: undefined
    property Component trailing: null

    readonly property bool hasCount: count !== undefined && count !== null

    spacing: 6

    KLSymbol {
        name: header.icon
        size: 10
        color: KLColors.textTertiary
    }
    Text {
        objectName: "sectionTitle"
        // Full Unicode upper-casing: "ß" becomes "SS".
        text: header.title.toUpperCase()
        font: KLFonts.klSectionHeader
        color: KLColors.textSecondary
    }
    Rectangle {
        objectName: "countBadge"
        visible: header.hasCount
        implicitWidth: badgeText.implicitWidth + 12
        implicitHeight: badgeText.implicitHeight + 4
        radius: height / 2
        color: KLColors.border
        Text {
            id: badgeText
            anchors.centerIn: parent
            text: header.hasCount ? String(header.count) : ""
            font: KLFonts.klBadge
            color: KLColors.textTertiary
        }
    }
    Item {
        Layout.fillWidth: true
        Layout.minimumWidth: 8
    }
    Loader {
        active: header.trailing !== null
        sourceComponent: header.trailing
    }
}
