// SPDX-License-Identifier: GPL-3.0-or-later
import QtQuick
import QtQuick.Controls.Basic
import Kinolith

// The one main window. It is dark whatever the desktop theme says.
ApplicationWindow {
    id: window

    // The text editing commands act on the focused text field, when there is one.
    readonly property bool editableFocus: activeFocusItem !== null
                                          && typeof activeFocusItem.selectAll === "function"
                                          && typeof activeFocusItem.paste === "function"

    width: 1100
    height: 760
    minimumWidth: 980
    minimumHeight: 680
    visible: true
    title: qsTr("Kinolith")
    color: KLColors.surfaceBg

    palette {
        window: KLColors.headerBg
        windowText: KLColors.textPrimary
        base: KLColors.inputBg
        alternateBase: KLColors.cardBg
        text: KLColors.textPrimary
        button: KLColors.headerBg
        buttonText: KLColors.textPrimary
        brightText: KLColors.textPrimary
        highlight: Qt.rgba(0.04, 0.52, 1.0, 1)
        highlightedText: KLColors.textPrimary
        light: KLColors.cardBg
        midlight: KLColors.cardBg
        mid: KLColors.borderMedium
        dark: KLColors.windowBg
        shadow: "#000000"
        placeholderText: KLColors.textDisabled
        toolTipBase: KLColors.cardBg
        toolTipText: KLColors.textPrimary
    }

    menuBar: MenuBar {
        Menu {
            title: qsTr("Kinolith")
            delegate: KLMenuItem {}
            Action {
                text: qsTr("About Kinolith")
                onTriggered: AboutWindowController.show()
            }
            MenuSeparator {}
            Action {
                text: qsTr("Quit Kinolith")
                shortcut: "Ctrl+Q"
                onTriggered: Qt.quit()
            }
        }
        Menu {
            title: qsTr("Edit")
            delegate: KLMenuItem {}
            Action {
                text: qsTr("Cut")
                shortcut: "Ctrl+X"
                enabled: window.editableFocus
                onTriggered: window.activeFocusItem.cut()
            }
            Action {
                text: qsTr("Copy")
                shortcut: "Ctrl+C"
                enabled: window.editableFocus
                onTriggered: window.activeFocusItem.copy()
            }
            Action {
                text: qsTr("Paste")
                shortcut: "Ctrl+V"
                enabled: window.editableFocus
                onTriggered: window.activeFocusItem.paste()
            }
            MenuSeparator {}
            Action {
                text: qsTr("Select All")
                shortcut: "Ctrl+A"
                enabled: window.editableFocus
                onTriggered: window.activeFocusItem.selectAll()
            }
        }
        Menu {
            title: qsTr("Help")
            delegate: KLMenuItem {}
            Action {
                text: qsTr("Check for Updates…")
                onTriggered: Updater.checkForUpdates()
            }
        }
    }

    // The window's session manager, made with the window and released with it.
    CaptureManager {
        id: sessionManager
    }

    ContentView {
        anchors.fill: parent
        manager: sessionManager
    }
}
