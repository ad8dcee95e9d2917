// SPDX-License-Identifier: GPL-3.0-or-later
import QtQuick
import QtQuick.Controls.Basic
import Kinolith

// The About window: 740 × 440, fixed in size, with a close and a minimise button but no
// maximise button. AboutWindowController makes, centres and forgets it.
ApplicationWindow {
    id: aboutWindow

    // The year of the rights line, fixed for the life of the process.
    property string rightsYear

    title: qsTr("About Kinolith")
    width: 740
    height: 440
    minimumWidth: 740
    maximumWidth: 740
    minimumHeight: 440
    maximumHeight: 440
    flags: Qt.Window | Qt.WindowTitleHint | Qt.WindowSystemMenuHint
           | Qt.WindowMinimizeButtonHint | Qt.WindowCloseButtonHint
    color: KLColors.windowBg

    palette {
        window: KLColors.headerBg
        windowText: KLColors.textPrimary
        base: KLColors.inputBg
        text: KLColors.textPrimary
        button: KLColors.headerBg
        buttonText: KLColors.textPrimary
        placeholderText: KLColors.textDisabled
        toolTipBase: KLColors.cardBg
        toolTipText: KLColors.textPrimary
    }

    AboutView {
        objectName: "aboutView"
        anchors.fill: parent
        hostWindow: aboutWindow
        rightsYear: aboutWindow.rightsYear
    }
}
