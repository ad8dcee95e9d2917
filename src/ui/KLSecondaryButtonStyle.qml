// SPDX-License-Identifier: GPL-3.0-or-later
import QtQuick
import QtQuick.Controls.Basic

// A text button in the secondary look: label in textSecondary on the resting fill, the fill
// brightening while the button is held down.
AbstractButton {
    id: button

    property string help

    leftPadding: 10
    rightPadding: 10
    topPadding: 5
    bottomPadding: 5
    implicitWidth: implicitContentWidth + leftPadding + rightPadding
    implicitHeight: implicitContentHeight + topPadding + bottomPadding
    hoverEnabled: true
    focusPolicy: Qt.TabFocus
    font: KLFonts.system(11, Font.Medium)

    contentItem: Text {
        text: button.text
        font: button.font
        color: KLColors.textSecondary
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
    background: Rectangle {
        objectName: "buttonFill"
        radius: 8
        color: button.pressed ? KLColors.borderMedium : KLColors.hoverBg
        border.width: 1
        border.color: KLColors.border
    }

    ToolTip.text: help
    ToolTip.visible: hovered && help !== ""
    ToolTip.delay: 600
    Accessible.name: text
    Accessible.role: Accessible.Button
}
