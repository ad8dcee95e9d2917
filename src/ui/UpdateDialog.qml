// SPDX-License-Identifier: GPL-3.0-or-later
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Kinolith

// The software-update dialog: what a check is doing and how it ended. `updater` is the update
// framework's controller, which holds the state and answers the buttons.
ApplicationWindow {
    id: dialog

    required property QtObject updater
    readonly property string state: ["idle", "checking", "upToDate", "updateAvailable", "failed"][updater.state]

    title: qsTr("Software Update")
    width: 480
    height: state === "updateAvailable" ? 380 : 180
    minimumWidth: 480
    minimumHeight: height
    maximumHeight: height
    flags: Qt.Dialog | Qt.WindowTitleHint | Qt.WindowCloseButtonHint
    color: KLColors.windowBg
    palette {
        window: KLColors.headerBg
        windowText: KLColors.textPrimary
        base: KLColors.inputBg
        text: KLColors.textPrimary
        button: KLColors.headerBg
        buttonText: KLColors.textPrimary
    }

    ColumnLayout {
        anchors.fill: parent
        anchors.margins: 20
        spacing: 12

        RowLayout {
            spacing: 14
            Layout.fillWidth: true
            KLRoundedImage {
                Layout.preferredWidth: 48
                Layout.preferredHeight: 48
                Layout.alignment: Qt.AlignTop
                radius: 10
                source: KLBundle.imageUrl("KinolithLogo")
            }
            ColumnLayout {
                Layout.fillWidth: true
                spacing: 6
                Text {
                    objectName: "updateTitle"
                    Layout.fillWidth: true
                    text: dialog.updater.title
                    font: KLFonts.system(13, Font.Bold)
                    color: KLColors.textPrimary
                    wrapMode: Text.Wrap
                }
                Text {
                    objectName: "updateMessage"
                    Layout.fillWidth: true
                    visible: text !== ""
                    text: dialog.updater.message
                    font: KLFonts.klBody
                    color: KLColors.textSecondary
                    wrapMode: Text.Wrap
                }
                ProgressBar {
                    objectName: "updateProgress"
                    Layout.fillWidth: true
                    visible: dialog.state === "checking"
                    indeterminate: true
                    background: Rectangle {
                        implicitHeight: 4
                        radius: 2
                        color: KLColors.border
                    }
                }
            }
        }

        Rectangle {
            objectName: "releaseNotesFrame"
            Layout.fillWidth: true
            Layout.fillHeight: true
            visible: dialog.state === "updateAvailable"
            radius: 8
            color: KLColors.cardBg
            border.width: 1
            border.color: KLColors.border
            Flickable {
                id: notesScroller
                anchors.fill: parent
                anchors.margins: 10
                clip: true
                contentWidth: width
                contentHeight: notes.implicitHeight
                flickableDirection: Flickable.VerticalFlick
                boundsBehavior: Flickable.StopAtBounds
                ScrollBar.vertical: KLScrollBar {}
                Text {
                    id: notes
                    objectName: "releaseNotes"
                    width: notesScroller.width - 12
                    text: dialog.updater.releaseNotes
                    textFormat: Text.PlainText
                    wrapMode: Text.Wrap
                    font: KLFonts.klCaption
                    color: KLColors.textSecondary
                }
            }
        }

        Item {
            Layout.fillHeight: dialog.state !== "updateAvailable"
        }

        RowLayout {
            Layout.fillWidth: true
            spacing: 8
            Item {
                Layout.fillWidth: true
            }
            KLSecondaryButtonStyle {
                objectName: "updateCancelButton"
                visible: dialog.state === "checking"
                text: qsTr("Cancel")
                onClicked: dialog.updater.cancel()
            }
            KLSecondaryButtonStyle {
                objectName: "updateLaterButton"
                visible: dialog.state === "updateAvailable"
                text: qsTr("Not Now")
                onClicked: dialog.updater.dismiss()
            }
            KLSecondaryButtonStyle {
                objectName: "updateDownloadButton"
                visible: dialog.state === "updateAvailable"
                text: qsTr("Open Download Page")
                onClicked: dialog.updater.openDownloadPage()
            }
            KLSecondaryButtonStyle {
                objectName: "updateOkButton"
                visible: dialog.state === "upToDate" || dialog.state === "failed"
                text: qsTr("OK")
                onClicked: dialog.updater.dismiss()
            }
        }
    }

    Shortcut {
        sequence: StandardKey.Cancel
        onActivated: dialog.updater.cancel()
    }
}
