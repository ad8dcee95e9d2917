// SPDX-License-Identifier: GPL-3.0-or-later
import QtQuick
import QtQuick.Controls.Basic

// A sheet: a modal window over its parent window, transient for it and centred on it. It takes
// its content's minimum size. closed() tells the owner the sheet is gone, whether it was dismissed
// by its content or by the window manager.
ApplicationWindow {
    id: sheet

    required property Window parentWindow
    default property alias content: holder.data
    signal dismissed()

    transientParent: parentWindow
    modality: Qt.WindowModal
    flags: Qt.Dialog
    color: KLColors.windowBg
    palette: parentWindow.palette
    width: minimumWidth
    height: minimumHeight
    x: parentWindow ? parentWindow.x + Math.round((parentWindow.width - width) / 2) : 0
    y: parentWindow ? parentWindow.y + Math.round((parentWindow.height - height) / 2) : 0
    visible: true

    onClosing: sheet.dismissed()
    // The sheet takes the keyboard at once, so that Escape reaches it.
    Component.onCompleted: requestActivate()

    Item {
        id: holder
        anchors.fill: parent
    }
}
