// SPDX-License-Identifier: GPL-3.0-or-later
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts

// The start face of a session's transport control: a faint dot and "START" on the resting fill.
// Activating it emits clicked() once; the owner starts the session there.
AbstractButton {
    id: button

    property bool isRunning: false

    leftPadding: 12
    rightPadding: 12
    topPadding: 6
    bottomPadding: 6
    implicitWidth: implicitContentWidth + leftPadding + rightPadding
    implicitHeight: implicitContentHeight + topPadding + bottomPadding
    focusPolicy: Qt.TabFocus
    text: qsTr("START")

    contentItem: RowLayout {
        spacing: 6
        Rectangle {
            implicitWidth: 8
            implicitHeight: 8
            radius: 4
            color: KLColors.statusStopped
        }
        Text {
            text: button.text
            font: KLFonts.rounded(9, Font.Black)
            color: KLColors.textTertiary
        }
    }
    background: Rectangle {
        objectName: "buttonFill"
        radius: 8
        color: KLColors.hoverBg
        border.width: 1
        border.color: KLColors.border
    }

    Accessible.name: text
    Accessible.role: Accessible.Button
}
