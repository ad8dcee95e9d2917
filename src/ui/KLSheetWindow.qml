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
    // Centred on the parent, but kept on the parent's screen: a sheet wider than its parent would
    // otherwise start left of the screen where no window manager places it.
    readonly property var parentScreen: parentWindow ? parentWindow.screen : null
    function placed(centred, size, start, extent) {
        return Math.max(start, Math.min(centred, start + extent - size))
    }
    x: !parentWindow ? 0
       : parentScreen ? placed(parentWindow.x + Math.round((parentWindow.width - width) / 2), width,
                               parentScreen.virtualX, parentScreen.width)
       : parentWindow.x + Math.round((parentWindow.width - width) / 2)
    y: !parentWindow ? 0
       : parentScreen ? placed(parentWindow.y + Math.round((parentWindow.height - height) / 2),
                               height, parentScreen.virtualY, parentScreen.height)
       : parentWindow.y + Math.round((parentWindow.height - height) / 2)
    visible: true

    onClosing: sheet.dismissed()
    // The sheet takes the keyboard at once, so that Escape reaches it.
    Component.onCompleted: requestActivate()

    Item {
        id: holder
        anchors.fill: parent
    }
}
