// SPDX-License-Identifier: GPL-3.0-or-later
import QtQuick
import QtQuick.Layouts

// A dot and a label in one colour, on a capsule of that colour at 12 % of its opacity.
Item {
    id: pill

    property string label
    property color color: KLColors.textTertiary

    implicitWidth: row.implicitWidth + 16
    implicitHeight: row.implicitHeight + 6
    Accessible.role: Accessible.StaticText
    Accessible.name: label

    Rectangle {
        objectName: "pillFill"
        anchors.fill: parent
        radius: height / 2
        color: Qt.rgba(pill.color.r, pill.color.g, pill.color.b, pill.color.a * 0.12)
    }
    RowLayout {
        id: row
        anchors.centerIn: parent
        spacing: 5
        Rectangle {
            objectName: "pillDot"
            implicitWidth: 6
            implicitHeight: 6
            radius: 3
            color: pill.color
        }
        Text {
            objectName: "pillLabel"
            text: pill.label
            font: KLFonts.klTiny
            color: pill.color
        }
    }
}
