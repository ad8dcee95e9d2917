// SPDX-License-Identifier: GPL-3.0-or-later
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Kinolith

// The output sheet: a large live preview beside the transform and crop controls. Every control
// writes the session at once; there is nothing to apply or undo. "Close" and Escape call dismiss.
Rectangle {
    id: sheet

    required property CaptureSession session
    property QtObject manager: null
    property string title
    property var dismiss: function() {}
    readonly property real sidePanelWidth: 340

    // Puts the default transform of the session's source type back; the crop stays.
    function resetTransform() {
        if (session.sourceType === Kinolith.SourceType.syphon) {
            session.rotation = SessionChoices.defaultSyphonRotation
            session.flipHorizontal = SessionChoices.defaultSyphonFlipHorizontal
        } else {
            session.rotation = SessionChoices.defaultWindowRotation
            session.flipHorizontal = SessionChoices.defaultWindowFlipHorizontal
        }
    }
    // Four separate assignments, each through the session's setter.
    function resetCrop() {
        session.cropTopPx = 0
        session.cropLeftPx = 0
        session.cropRightPx = 0
        session.cropBottomPx = 0
    }

    color: KLColors.windowBg
    implicitWidth: Math.max(1320, body.implicitWidth)
    implicitHeight: Math.max(760, body.implicitHeight)

    // A crop control: caption, the value in a locale-formatted field with "px", and up and down
    // steps. Down stops at 0; up has no limit.
    component CropStepperRowCompact: RowLayout {
        id: stepper
        required property string caption
        required property string key
        readonly property var value: sheet.session[key]

        // A value typed but not yet committed counts first.
        function stepUp() {
            field.commit()
            KLIntegerStepper.stepUp(sheet.session, key)
        }
        function stepDown() {
            field.commit()
            KLIntegerStepper.stepDown(sheet.session, key)
        }

        objectName: "crop_" + key
        spacing: 4
        ColumnLayout {
            Layout.preferredWidth: 120
            Layout.maximumWidth: 120
            spacing: 4
            Text {
                text: stepper.caption
                font: KLFonts.klTiny
                color: KLColors.textTertiary
            }
            RowLayout {
                spacing: 6
                KLIntegerField {
                    id: field
                    objectName: "cropField"
                    Layout.preferredWidth: 60
                    placeholderText: "0"
                    value: stepper.value
                    onEdited: newValue => sheet.session[stepper.key] = newValue
                    Keys.onUpPressed: stepper.stepUp()
                    Keys.onDownPressed: stepper.stepDown()
                }
                Text {
                    text: qsTr("px")
                    font: KLFonts.klSmall
                    color: KLColors.textTertiary
                }
            }
        }
        ColumnLayout {
            Layout.alignment: Qt.AlignBottom
            spacing: 1
            StepButton {
                objectName: "stepUp"
                glyph: "\u25b4"
                Accessible.name: qsTr("Increase %1").arg(stepper.caption)
                onClicked: stepper.stepUp()
            }
            StepButton {
                objectName: "stepDown"
                glyph: "\u25be"
                Accessible.name: qsTr("Decrease %1").arg(stepper.caption)
                onClicked: stepper.stepDown()
            }
        }
    }
    component StepButton: AbstractButton {
        id: step
        property string glyph
        implicitWidth: 20
        implicitHeight: 15
        focusPolicy: Qt.NoFocus
        autoRepeat: true
        Accessible.role: Accessible.Button
        contentItem: Text {
            text: step.glyph
            font: KLFonts.system(10)
            color: step.pressed ? KLColors.textPrimary : KLColors.textSecondary
            horizontalAlignment: Text.AlignHCenter
            verticalAlignment: Text.AlignVCenter
        }
        background: Rectangle {
            radius: 4
            color: step.pressed ? KLColors.borderMedium : KLColors.hoverBg
            border.width: 1
            border.color: KLColors.border
        }
    }
    component CropStepperRowCentered: RowLayout {
        required property string caption
        required property string key
        Item { Layout.fillWidth: true }
        CropStepperRowCompact {
            caption: parent.caption
            key: parent.key
        }
        Item { Layout.fillWidth: true }
    }
    component Tile: AbstractButton {
        id: tile
        property string symbol
        property string help
        implicitWidth: 60
        implicitHeight: 50
        focusPolicy: Qt.TabFocus
        hoverEnabled: true
        ToolTip.text: help
        ToolTip.visible: hovered
        ToolTip.delay: 600
        Accessible.name: help
        Accessible.role: Accessible.Button
        contentItem: ColumnLayout {
            spacing: 4
            KLSymbol {
                Layout.alignment: Qt.AlignHCenter
                name: tile.symbol
                size: 14
                color: KLColors.textSecondary
            }
            Text {
                Layout.alignment: Qt.AlignHCenter
                text: tile.text
                font: KLFonts.klTiny
                color: KLColors.textSecondary
            }
        }
        background: Rectangle {
            radius: 8
            color: KLColors.hoverBg
            border.width: 1
            border.color: KLColors.border
        }
    }

    ColumnLayout {
        id: body
        anchors.fill: parent
        spacing: 0

        Rectangle {
            objectName: "sheetHeader"
            Layout.fillWidth: true
            implicitHeight: headerRow.implicitHeight + 24
            color: KLColors.headerBg
            RowLayout {
                id: headerRow
                anchors.fill: parent
                anchors.leftMargin: 16
                anchors.rightMargin: 16
                anchors.topMargin: 12
                anchors.bottomMargin: 12
                RowLayout {
                    spacing: 8
                    KLSymbol {
                        name: "slider.horizontal.3"
                        size: 12
                        color: KLColors.textTertiary
                    }
                    Text {
                        objectName: "sheetTitle"
                        text: sheet.title.toUpperCase()
                        font: KLFonts.klSectionHeader
                        color: KLColors.textPrimary
                    }
                }
                Item { Layout.fillWidth: true }
                KLSecondaryButtonStyle {
                    objectName: "closeButton"
                    text: qsTr("Close")
                    onClicked: sheet.dismiss()
                    // Escape closes the sheet, in this window only.
                    Shortcut {
                        sequences: [StandardKey.Cancel]
                        onActivated: sheet.dismiss()
                    }
                }
            }
        }
        KLDivider {}

        RowLayout {
            Layout.margins: 16
            Layout.fillWidth: true
            Layout.fillHeight: true
            spacing: 16

            // Preview
            Item {
                objectName: "previewArea"
                Layout.fillWidth: true
                Layout.fillHeight: true
                Layout.minimumWidth: 860
                Layout.minimumHeight: 520
                Layout.alignment: Qt.AlignTop
                implicitWidth: 860
                implicitHeight: 520

                Rectangle {
                    objectName: "previewPlaceholder"
                    anchors.fill: parent
                    visible: !preview.hasImage
                    radius: 12
                    color: KLColors.previewBg
                    ColumnLayout {
                        anchors.centerIn: parent
                        spacing: 8
                        KLSymbol {
                            Layout.alignment: Qt.AlignHCenter
                            name: "display"
                            size: 32
                            color: KLColors.textDisabled
                        }
                        Text {
                            Layout.alignment: Qt.AlignHCenter
                            text: qsTr("No preview available")
                            font: KLFonts.klBody
                            color: KLColors.textDisabled
                        }
                    }
                }
                SessionPreviewItem {
                    id: preview
                    objectName: "previewImage"
                    anchors.fill: parent
                    radius: 12
                    session: sheet.session
                }
                Rectangle {
                    anchors.fill: parent
                    radius: 12
                    color: "transparent"
                    border.width: 1
                    border.color: KLColors.previewBorder
                }
            }

            // Controls
            ColumnLayout {
                objectName: "controlsPanel"
                Layout.preferredWidth: sheet.sidePanelWidth
                Layout.minimumWidth: sheet.sidePanelWidth
                Layout.maximumWidth: sheet.sidePanelWidth
                Layout.fillHeight: true
                Layout.alignment: Qt.AlignTop
                spacing: 16

                KLCardStyle {
                    objectName: "transformCard"
                    Layout.fillWidth: true
                    padding: 14
                    contentWidth: transformBody.implicitWidth
                    contentHeight: transformBody.implicitHeight
                    ColumnLayout {
                        id: transformBody
                        anchors.fill: parent
                        spacing: 12
                        KLSectionHeader {
                            Layout.fillWidth: true
                            icon: "arrow.2.circlepath"
                            title: qsTr("Transform")
                        }
                        KLDivider {}
                        RowLayout {
                            spacing: 8
                            Tile {
                                objectName: "rotateTile"
                                symbol: "arrow.2.circlepath"
                                text: qsTr("Rotate")
                                help: qsTr("Rotate 180\u00b0")
                                onClicked: sheet.session.rotateOnce()
                            }
                            Tile {
                                objectName: "mirrorTile"
                                symbol: "arrow.left.and.right.righttriangle.left.righttriangle.right"
                                text: qsTr("Flip H")
                                help: qsTr("Flip Horizontal")
                                onClicked: sheet.session.flipHorizontal = !sheet.session.flipHorizontal
                            }
                            Item { Layout.fillWidth: true }
                            KLSecondaryButtonStyle {
                                objectName: "resetTransformButton"
                                text: qsTr("Reset")
                                onClicked: sheet.resetTransform()
                            }
                        }
                    }
                }

                KLCardStyle {
                    objectName: "cropCard"
                    Layout.fillWidth: true
                    padding: 14
                    contentWidth: cropBody.implicitWidth
                    contentHeight: cropBody.implicitHeight
                    ColumnLayout {
                        id: cropBody
                        anchors.fill: parent
                        spacing: 12
                        KLSectionHeader {
                            Layout.fillWidth: true
                            icon: "crop"
                            title: qsTr("Crop (px)")
                        }
                        KLDivider {}
                        ColumnLayout {
                            Layout.fillWidth: true
                            spacing: 14
                            CropStepperRowCentered {
                                Layout.fillWidth: true
                                caption: qsTr("Top")
                                key: "cropTopPx"
                            }
                            RowLayout {
                                Layout.alignment: Qt.AlignHCenter
                                spacing: 16
                                CropStepperRowCompact {
                                    caption: qsTr("Left")
                                    key: "cropLeftPx"
                                }
                                CropStepperRowCompact {
                                    caption: qsTr("Right")
                                    key: "cropRightPx"
                                }
                            }
                            CropStepperRowCentered {
                                Layout.fillWidth: true
                                caption: qsTr("Bottom")
                                key: "cropBottomPx"
                            }
                            RowLayout {
                                Layout.fillWidth: true
                                Item { Layout.fillWidth: true }
                                KLSecondaryButtonStyle {
                                    objectName: "resetCropButton"
                                    text: qsTr("Reset Crop")
                                    onClicked: sheet.resetCrop()
                                }
                                Item { Layout.fillWidth: true }
                            }
                        }
                    }
                }
                Item { Layout.fillHeight: true }
            }
        }
    }
}
