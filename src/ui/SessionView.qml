// SPDX-License-Identifier: GPL-3.0-or-later
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Kinolith

// One session's card: header with the output's tag, health and transport buttons; below it the
// controls column and the preview column. It presents the output sheet and keeps the per-type
// default transform in place when the source type changes.
//
// `manager` is the main window's session manager; the card and everything it shows reach the
// manager only through it.
KLCardStyle {
    id: card

    required property CaptureSession session
    required property QtObject manager
    property bool showModifySheet: false

    readonly property string healthLabel: session.healthState === Kinolith.HealthState.live
                                          ? "LIVE"
                                          : session.healthState === Kinolith.HealthState.stalled
                                            ? "STALLED" : "STOPPED"
    readonly property color healthColor: session.healthState === Kinolith.HealthState.live
                                         ? KLColors.statusLive
                                         : session.healthState === Kinolith.HealthState.stalled
                                           ? KLColors.statusStalled : KLColors.statusStopped

    // The session's start and stop run as tasks of the engine; these return at once and nothing
    // waits for the tasks.
    function startSession() { session.start(manager) }
    function stopSession() { session.stop(manager) }
    function restartSession() { session.restart(manager) }
    function removeSession() { manager.removeSession(session) }

    // Appends a stopped session with this session's source, resolution and transform.
    function duplicateCurrentSession() {
        manager.addSession()
        const sessions = manager.sessions
        if (!sessions || sessions.length === 0)
            return
        const copy = sessions[sessions.length - 1]
        copy.sourceType = session.sourceType
        copy.selectedWindowID = session.selectedWindowID
        copy.selectedDisplayID = session.selectedDisplayID
        copy.selectedApplicationPID = session.selectedApplicationPID
        copy.selectedSyphonUUID = session.selectedSyphonUUID
        copy.outputResolution = session.outputResolution
        copy.customWidth = session.customWidth
        copy.customHeight = session.customHeight
        copy.rotation = session.rotation
        copy.flipHorizontal = session.flipHorizontal
        copy.cropTopPx = session.cropTopPx
        copy.cropLeftPx = session.cropLeftPx
        copy.cropRightPx = session.cropRightPx
        copy.cropBottomPx = session.cropBottomPx
    }

    contentWidth: body.implicitWidth
    contentHeight: body.implicitHeight

    ColumnLayout {
        id: body
        anchors.fill: parent
        spacing: 0

        RowLayout {
            objectName: "sessionCardHeader"
            Layout.leftMargin: 14
            Layout.rightMargin: 14
            Layout.topMargin: 10
            Layout.bottomMargin: 10
            spacing: 8

            KLSymbol {
                name: "display"
                size: 11
                color: KLColors.textTertiary
            }
            Text {
                objectName: "cardTitle"
                text: qsTr("OUTPUT %1").arg(card.session.shortTag)
                font: KLFonts.klSectionHeader
                color: KLColors.textSecondary
            }
            KLStatusPill {
                objectName: "healthBadge"
                label: card.healthLabel
                color: card.healthColor
            }
            Item {
                Layout.fillWidth: true
                Layout.minimumWidth: 8
            }
            RowLayout {
                objectName: "sessionTransportControls"
                spacing: 4
                KLIconButtonStyle {
                    objectName: "restartButton"
                    visible: card.session.isRunning
                    symbol: "arrow.clockwise"
                    help: qsTr("Restart")
                    onClicked: card.restartSession()
                }
                KLIconButtonStyle {
                    objectName: "stopButton"
                    visible: card.session.isRunning
                    symbol: "stop.fill"
                    symbolColor: Qt.rgba(KLColors.statusError.r, KLColors.statusError.g,
                                         KLColors.statusError.b, 0.7)
                    help: qsTr("Stop")
                    onClicked: card.stopSession()
                }
                KLTransportButton {
                    objectName: "startButton"
                    visible: !card.session.isRunning
                    isRunning: false
                    onClicked: card.startSession()
                }
                KLIconButtonStyle {
                    objectName: "duplicateButton"
                    symbol: "plus.square.on.square"
                    help: qsTr("Duplicate Output")
                    onClicked: card.duplicateCurrentSession()
                }
                KLIconButtonStyle {
                    objectName: "removeButton"
                    symbol: "xmark"
                    help: qsTr("Remove Output")
                    onClicked: card.removeSession()
                }
            }
        }

        KLDivider {}

        RowLayout {
            Layout.margins: 14
            Layout.fillWidth: true
            spacing: 16

            SessionControlsColumn {
                Layout.fillWidth: true
                Layout.alignment: Qt.AlignTop
                session: card.session
                manager: card.manager
            }
            Item {
                Layout.fillWidth: true
                Layout.preferredWidth: 0
            }
            SessionPreviewColumn {
                id: previewColumn
                Layout.alignment: Qt.AlignTop
                session: card.session
                // Two ways: the column sets it to open the sheet, the sheet clears the card's.
                onShowModifySheetChanged: card.showModifySheet = showModifySheet
            }
            Binding {
                target: previewColumn
                property: "showModifySheet"
                value: card.showModifySheet
            }
        }
    }

    Loader {
        id: sheetLoader
        objectName: "modifySheetLoader"
        active: card.showModifySheet && card.Window.window !== null
        sourceComponent: KLSheetWindow {
            objectName: "modifySheetWindow"
            parentWindow: card.Window.window
            minimumWidth: sheetContent.implicitWidth
            minimumHeight: sheetContent.implicitHeight
            title: sheetContent.title
            onDismissed: card.showModifySheet = false

            ModifyOutputSheet {
                id: sheetContent
                anchors.fill: parent
                session: card.session
                manager: card.manager
                title: qsTr("Modify Output %1").arg(card.session.shortTag)
                dismiss: function() { card.showModifySheet = false }
            }
        }
    }

    PersistSessionChanges {
        session: card.session
    }

    // The card's session outlives the card, never the other way round.
    SessionHold {
        session: card.session
    }
}
