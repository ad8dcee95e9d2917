// SPDX-License-Identifier: GPL-3.0-or-later
import QtQuick
import QtQuick.Controls.Basic

// A menu-style picker in the dark input look: the chosen entry and an up-down chevron; the entries
// drop down in a dark list.
ComboBox {
    id: picker

    leftPadding: 10
    rightPadding: 10 + indicator.width + spacing
    topPadding: 7
    bottomPadding: 7
    implicitHeight: contentItem.implicitHeight + topPadding + bottomPadding
    font: KLFonts.klBody
    Accessible.name: displayText

    contentItem: Text {
        text: picker.displayText
        font: picker.font
        color: KLColors.textPrimary
        elide: Text.ElideRight
        verticalAlignment: Text.AlignVCenter
    }
    indicator: KLSymbol {
        x: picker.width - width - 10
        y: (picker.height - height) / 2
        name: "chevron.up.chevron.down"
        size: 9
        color: KLColors.textTertiary
    }
    background: Rectangle {
        radius: 8
        color: KLColors.inputBg
        border.width: 1
        border.color: KLColors.border
    }
    delegate: ItemDelegate {
        width: ListView.view ? ListView.view.width : implicitWidth
        text: picker.textRole ? (Array.isArray(picker.model) ? modelData[picker.textRole]
                                                              : model[picker.textRole])
                              : modelData
        font: picker.font
        highlighted: picker.highlightedIndex === index
        palette.text: KLColors.textPrimary
        palette.highlightedText: KLColors.textPrimary
    }
    popup.background: Rectangle {
        radius: 8
        color: KLColors.headerBg
        border.width: 1
        border.color: KLColors.borderMedium
    }
}
