// SPDX-License-Identifier: GPL-3.0-or-later
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Kinolith

// The right column of a session card: the live thumbnail and the "Modify" button. Both open the
// card's output sheet by setting showModifySheet; the thumbnail only while there is a preview.
ColumnLayout {
    id: column

    required property CaptureSession session
    property bool showModifySheet: false

    spacing: 8

    AbstractButton {
        id: thumbnail
        objectName: "previewThumb"
        Layout.alignment: Qt.AlignRight
        implicitWidth: 280
        implicitHeight: 160
        focusPolicy: Qt.NoFocus
        Accessible.name: qsTr("Preview")
        Accessible.role: Accessible.Graphic

        onClicked: if (preview.hasImage) column.showModifySheet = true

        Rectangle {
            objectName: "previewPlaceholder"
            anchors.fill: parent
            visible: !preview.hasImage
            radius: 8
            color: KLColors.previewBg
            ColumnLayout {
                anchors.centerIn: parent
                spacing: 6
                KLSymbol {
                    Layout.alignment: Qt.AlignHCenter
                    name: "display"
                    size: 20
                    color: KLColors.textDisabled
                }
                Text {
                    Layout.alignment: Qt.AlignHCenter
                    text: qsTr("No preview")
                    font: KLFonts.klSmall
                    color: KLColors.textDisabled
                }
            }
        }
        SessionPreviewItem {
            id: preview
            objectName: "previewImage"
            anchors.fill: parent
            radius: 8
            session: column.session
        }
        Rectangle {
            anchors.fill: parent
            radius: 8
            color: "transparent"
            border.width: 1
            border.color: KLColors.previewBorder
        }
    }

    AbstractButton {
        id: modify
        objectName: "modifyButton"
        Layout.alignment: Qt.AlignRight
        leftPadding: 10
        rightPadding: 10
        topPadding: 4
        bottomPadding: 4
        implicitWidth: implicitContentWidth + leftPadding + rightPadding
        implicitHeight: implicitContentHeight + topPadding + bottomPadding
        focusPolicy: Qt.TabFocus
        text: qsTr("Modify")
        Accessible.name: text
        Accessible.role: Accessible.Button

        onClicked: column.showModifySheet = true

        contentItem: RowLayout {
            spacing: 4
            KLSymbol {
                name: "slider.horizontal.3"
                size: 10
                color: KLColors.textSecondary
            }
            Text {
                text: modify.text
                font: KLFonts.system(10, Font.Medium)
                color: KLColors.textSecondary
            }
        }
        background: Rectangle {
            radius: 6
            color: KLColors.hoverBg
            border.width: 1
            border.color: KLColors.border
        }
    }
}
