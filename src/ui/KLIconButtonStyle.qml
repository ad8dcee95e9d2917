// SPDX-License-Identifier: GPL-3.0-or-later
import QtQuick
import QtQuick.Controls.Basic

// An icon-only button: a symbol centred in a 28 × 28 rounded square. `help` is its tooltip and
// its accessible name. A `symbolColor` set by the user wins over the style's label colour.
AbstractButton {
    id: button

    property string symbol
    property string help
    property color symbolColor: pressed ? KLColors.textPrimary : KLColors.textSecondary

    implicitWidth: 28
    implicitHeight: 28
    hoverEnabled: true
    focusPolicy: Qt.TabFocus
    font: KLFonts.system(12, Font.Medium)

    contentItem: KLSymbol {
        name: button.symbol
        size: button.font.pixelSize
        color: button.symbolColor
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
    Accessible.name: help
    Accessible.role: Accessible.Button
}
