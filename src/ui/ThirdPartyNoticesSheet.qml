// SPDX-License-Identifier: GPL-3.0-or-later
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Kinolith

// The third-party notices, read from the bundle's ThirdPartyNotices.txt each time the sheet
// appears, in a scroll view that wraps long lines and so scrolls only vertically.
KLSheetWindow {
    id: sheet

    property string noticesText

    objectName: "noticesSheet"
    title: qsTr("Third-Party Notices")
    minimumWidth: 700
    minimumHeight: 460

    Component.onCompleted: noticesText = AboutWindowController.loadNotices()

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        Rectangle {
            Layout.fillWidth: true
            implicitHeight: header.implicitHeight + 32
            color: KLColors.headerBg
            RowLayout {
                id: header
                anchors.fill: parent
                anchors.margins: 16
                RowLayout {
                    spacing: 8
                    KLSymbol {
                        name: "doc.plaintext"
                        size: 12
                        font.weight: Font.Medium
                        color: KLColors.textTertiary
                    }
                    Text {
                        text: qsTr("THIRD-PARTY NOTICES")
                        font: KLFonts.klSectionHeader
                        color: KLColors.textPrimary
                    }
                }
                Item {
                    Layout.fillWidth: true
                }
                KLSecondaryButtonStyle {
                    objectName: "sheetCloseButton"
                    text: qsTr("Close")
                    onClicked: sheet.close()
                }
            }
        }

        KLDivider {}

        Flickable {
            id: scroller
            objectName: "noticesScroll"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            contentWidth: width
            contentHeight: notices.implicitHeight + 32
            flickableDirection: Flickable.VerticalFlick
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: KLScrollBar {
                policy: ScrollBar.AlwaysOn
            }

            TextEdit {
                id: notices
                objectName: "noticesText"
                x: 16
                y: 16
                width: scroller.width - 32
                text: sheet.noticesText
                textFormat: TextEdit.PlainText
                readOnly: true
                selectByMouse: true
                wrapMode: TextEdit.Wrap
                font.family: "monospace"
                font.pixelSize: 10
                color: KLColors.textSecondary
                selectionColor: Qt.rgba(0.04, 0.52, 1.0, 0.5)
            }
        }
    }

    Shortcut {
        sequence: StandardKey.Cancel
        onActivated: sheet.close()
    }
}
