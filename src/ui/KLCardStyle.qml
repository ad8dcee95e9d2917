// SPDX-License-Identifier: GPL-3.0-or-later
import QtQuick
import QtQuick.Controls.Basic

// The card look: the content, padded by `padding` on every edge, on a rounded rectangle of radius
// 12 filled with cardBg and bordered in border. Give it one child (usually a layout) that fills it.
Pane {
    padding: 0
    background: Rectangle {
        radius: 12
        color: KLColors.cardBg
        border.width: 1
        border.color: KLColors.border
    }
}
