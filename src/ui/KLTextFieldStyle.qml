// SPDX-License-Identifier: GPL-3.0-or-later
import QtQuick
import QtQuick.Controls.Basic

// A single-line text field in the dark input look.
TextField {
    id: field

    leftPadding: 10
    rightPadding: 10
    topPadding: 7
    bottomPadding: 7
    font: KLFonts.klBody
    color: KLColors.textPrimary
    placeholderTextColor: KLColors.textDisabled
    selectionColor: Qt.rgba(KLColors.accent.r, KLColors.accent.g, KLColors.accent.b, 0.5)
    selectedTextColor: KLColors.textPrimary

    background: Rectangle {
        implicitWidth: 60
        radius: 8
        color: KLColors.inputBg
        border.width: 1
        border.color: KLColors.border
    }
}
