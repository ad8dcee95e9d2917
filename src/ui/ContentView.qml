// SPDX-License-Identifier: GPL-3.0-or-later
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Kinolith

// The main window's content: header bar with the manager's status and the refresh and add
// buttons, the list of session cards, and the status bar with the counts and the version.
//
// `manager` is the window's session manager; every card reaches it through this view.
Rectangle {
    id: content

    required property QtObject manager

    readonly property var sessions: manager.sessions || []
    readonly property int liveCount: {
        let live = 0
        for (let i = 0; i < sessions.length; ++i) {
            if (sessions[i].isRunning)
                ++live
        }
        return live
    }

    // Starts the manager's refresh of the capturable sources; nothing waits for it.
    function refreshSources() { manager.startRefreshWindows() }
    function addSession() { manager.addSession() }

    // Keeps one list entry per session, by identity, so that a card keeps its own state while
    // sessions are added and removed around it.
    function syncCards() {
        dropRemovedCards()
        const wanted = sessions
        for (let i = 0; i < wanted.length; ++i) {
            if (i < cards.count && cards.get(i).session === wanted[i])
                continue
            let found = -1
            for (let row = i + 1; row < cards.count; ++row) {
                if (cards.get(row).session === wanted[i]) {
                    found = row
                    break
                }
            }
            if (found >= 0)
                cards.move(found, i, 1)
            else
                cards.insert(i, { session: wanted[i] })
        }
    }

    color: KLColors.surfaceBg
    // Removes the cards of sessions that left the list. The manager releases a removed session
    // right after announcing the new list, so its card must go now, while the session still exists.
    function dropRemovedCards() {
        const wanted = sessions
        for (let row = cards.count - 1; row >= 0; --row) {
            if (wanted.indexOf(cards.get(row).session) < 0)
                cards.remove(row)
        }
    }

    // New cards follow once the current action is over: a duplicated session's card is built after
    // its settings were copied, so the copied source type is the first value the card sees.
    onSessionsChanged: {
        dropRemovedCards()
        Qt.callLater(syncCards)
    }
    Component.onCompleted: {
        syncCards()
        refreshSources()
    }

    ListModel {
        id: cards
        dynamicRoles: true
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        Rectangle {
            objectName: "headerBar"
            Layout.fillWidth: true
            implicitHeight: header.implicitHeight + 28
            color: KLColors.headerBg
            RowLayout {
                id: header
                anchors.fill: parent
                anchors.leftMargin: 16
                anchors.rightMargin: 16
                anchors.topMargin: 14
                anchors.bottomMargin: 14
                spacing: 12

                Item {
                    implicitWidth: 28
                    implicitHeight: 28
                    // A faint white glow around the logo.
                    Rectangle {
                        anchors.fill: parent
                        anchors.margins: -2
                        radius: 8
                        color: Qt.rgba(1, 1, 1, 0.05)
                    }
                    KLRoundedImage {
                        objectName: "logo"
                        anchors.fill: parent
                        radius: 6
                        source: KLBundle.imageUrl("KinolithLogo")
                    }
                }
                ColumnLayout {
                    Layout.fillWidth: true
                    spacing: 1
                    Text {
                        text: qsTr("Kinolith")
                        font: KLFonts.klTitle
                        color: KLColors.textPrimary
                    }
                    Text {
                        objectName: "managerStatus"
                        Layout.fillWidth: true
                        text: content.manager.status
                        font: KLFonts.klSubtitle
                        color: KLColors.textTertiary
                        elide: Text.ElideRight
                        maximumLineCount: 1
                    }
                }
                KLIconButtonStyle {
                    objectName: "refreshButton"
                    symbol: "arrow.clockwise"
                    help: qsTr("Refresh available windows")
                    onClicked: content.refreshSources()
                }
                KLIconButtonStyle {
                    objectName: "addButton"
                    symbol: "plus"
                    help: qsTr("Add a new output session")
                    onClicked: content.addSession()
                }
            }
        }

        KLDivider {}

        ListView {
            id: list
            objectName: "sessionList"
            Layout.fillWidth: true
            Layout.fillHeight: true
            clip: true
            model: cards
            spacing: 12
            topMargin: 16
            bottomMargin: 16
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: KLScrollBar {}

            delegate: SessionView {
                required property var model
                x: 16
                width: ListView.view.width - 32
                session: model.session
                manager: content.manager
            }
        }

        KLDivider {}

        Rectangle {
            objectName: "statusBar"
            Layout.fillWidth: true
            implicitHeight: status.implicitHeight + 16
            color: KLColors.headerBg
            RowLayout {
                id: status
                anchors.fill: parent
                anchors.leftMargin: 16
                anchors.rightMargin: 16
                anchors.topMargin: 8
                anchors.bottomMargin: 8
                spacing: 8

                KLStatusPill {
                    objectName: "outputCount"
                    label: content.sessions.length + " output" + (content.sessions.length === 1 ? "" : "s")
                    color: KLColors.textTertiary
                }
                KLStatusPill {
                    objectName: "liveCount"
                    visible: content.liveCount >= 1
                    label: content.liveCount + " live"
                    color: KLColors.statusLive
                }
                Item { Layout.fillWidth: true }
                Text {
                    objectName: "versionText"
                    text: "v" + KLBundle.appVersion + " (" + KLBundle.appBuild + ")"
                    font: KLFonts.klTiny
                    color: KLColors.textTertiary
                }
            }
        }
    }
}
