// SPDX-License-Identifier: GPL-3.0-or-later
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Kinolith

// The left column of a session card: source type, source, resolution, custom size, and the
// published server name with the session's status. Every control writes the session at once.
//
// From the manager it reads displays ({displayID}), applications ({processID, applicationName}),
// windows ({windowID, title, owningApplication: {applicationName} or null}), syphonServers
// ({uuid, displayName}) and resolvedServerName(session).
ColumnLayout {
    id: column

    required property CaptureSession session
    required property QtObject manager

    readonly property bool isSyphon: session.sourceType === Kinolith.SourceType.syphon

    // The entry title of a screen-capture window: "App — Title".
    function pickerLabel(window) {
        const app = window.owningApplication
        const appName = app ? app.applicationName : qsTr("Unknown App")
        const title = window.title ? window.title : qsTr("Untitled")
        return appName + " \u2014 " + title
    }

    // The collapsed source menu's text for the session's selection.
    function sourceLabel(s) {
        if (s.selectedDisplayID !== undefined)
            return qsTr("Display %1").arg(s.selectedDisplayID)
        if (s.selectedApplicationPID !== undefined) {
            const apps = manager.applications || []
            for (let i = 0; i < apps.length; ++i) {
                if (apps[i].processID === s.selectedApplicationPID)
                    return apps[i].applicationName
            }
        }
        if (s.selectedWindowID === undefined)
            return qsTr("Select a source\u2026")
        const windows = manager.windows || []
        for (let i = 0; i < windows.length; ++i) {
            if (windows[i].windowID === s.selectedWindowID)
                return pickerLabel(windows[i])
        }
        return qsTr("Select a source\u2026")
    }

    // What the source menu's entries write: exactly one screen-capture selection stays set.
    function chooseDisplay(displayID) {
        session.selectedDisplayID = displayID
        session.selectedWindowID = undefined
        session.selectedApplicationPID = undefined
    }
    function chooseApplication(processID) {
        session.selectedApplicationPID = processID
        session.selectedWindowID = undefined
        session.selectedDisplayID = undefined
    }
    function chooseWindow(windowID) {
        session.selectedWindowID = windowID
        session.selectedDisplayID = undefined
        session.selectedApplicationPID = undefined
    }

    spacing: 12
    Layout.minimumWidth: 500

    component RowLabel: Text {
        property int width_: 70
        Layout.preferredWidth: width_
        Layout.minimumWidth: width_
        Layout.maximumWidth: width_
        font: KLFonts.klCaption
        color: KLColors.textTertiary
    }

    // Type
    RowLayout {
        objectName: "sourceTypeRow"
        spacing: 8
        RowLabel { text: qsTr("Type") }
        Rectangle {
            implicitWidth: segments.implicitWidth + 4
            implicitHeight: segments.implicitHeight + 4
            radius: 8
            color: KLColors.hoverBg
            border.width: 1
            border.color: KLColors.border
            RowLayout {
                id: segments
                anchors.centerIn: parent
                spacing: 2
                Repeater {
                    model: SessionChoices.sourceTypes
                    AbstractButton {
                        id: segment
                        required property var modelData
                        readonly property bool selected: modelData.value === column.session.sourceType
                        objectName: "segment" + modelData.label
                        text: modelData.label
                        leftPadding: 12
                        rightPadding: 12
                        topPadding: 5
                        bottomPadding: 5
                        implicitWidth: implicitContentWidth + leftPadding + rightPadding
                        implicitHeight: implicitContentHeight + topPadding + bottomPadding
                        focusPolicy: Qt.TabFocus
                        checkable: false
                        Accessible.role: Accessible.RadioButton
                        Accessible.checked: selected
                        Accessible.name: text
                        onClicked: column.session.sourceType = modelData.value
                        contentItem: Text {
                            text: segment.text
                            font: KLFonts.system(10, Font.DemiBold)
                            color: segment.selected ? KLColors.textPrimary : KLColors.textTertiary
                        }
                        background: Rectangle {
                            radius: 6
                            color: segment.selected
                                   ? Qt.rgba(KLColors.accent.r, KLColors.accent.g, KLColors.accent.b, 0.2)
                                   : "transparent"
                        }
                    }
                }
            }
        }
        Item { Layout.fillWidth: true }
    }

    // Source and resolution
    RowLayout {
        objectName: "sourcePickerRow"
        spacing: 8
        RowLabel { text: qsTr("Source") }

        AbstractButton {
            id: windowSourceMenu
            objectName: "windowSourceMenu"
            visible: !column.isSyphon
            Layout.fillWidth: true
            leftPadding: 10
            rightPadding: 10
            topPadding: 7
            bottomPadding: 7
            implicitHeight: implicitContentHeight + topPadding + bottomPadding
            focusPolicy: Qt.TabFocus
            text: column.sourceLabel(column.session)
            Accessible.role: Accessible.ButtonMenu
            Accessible.name: text
            onClicked: sourceMenu.popup(windowSourceMenu, 0, windowSourceMenu.height)

            contentItem: RowLayout {
                Text {
                    objectName: "sourceLabel"
                    Layout.fillWidth: true
                    text: windowSourceMenu.text
                    font: KLFonts.klBody
                    color: KLColors.textPrimary
                    elide: Text.ElideRight
                    maximumLineCount: 1
                }
                KLSymbol {
                    name: "chevron.up.chevron.down"
                    size: 9
                    color: KLColors.textTertiary
                }
            }
            background: Rectangle {
                radius: 8
                color: KLColors.inputBg
                border.width: 1
                border.color: KLColors.border
            }

            Menu {
                id: sourceMenu
                objectName: "sourceMenu"
                property var submenus: []

                // The submenus follow the catalogue: one per list that has entries.
                function rebuild() {
                    for (const submenu of submenus) {
                        removeMenu(submenu)
                        submenu.destroy()
                    }
                    const made = []
                    const add = (title, list, entryText, choose) => {
                        if (!list || list.length === 0)
                            return
                        const submenu = submenuComponent.createObject(sourceMenu, { title: title })
                        for (let i = 0; i < list.length; ++i) {
                            const item = list[i]
                            submenu.addAction(entryComponent.createObject(submenu, {
                                text: entryText(item), choose: () => choose(item)
                            }))
                        }
                        addMenu(submenu)
                        made.push(submenu)
                    }
                    add(qsTr("Displays"), column.manager.displays,
                        d => qsTr("Display %1").arg(d.displayID),
                        d => column.chooseDisplay(d.displayID))
                    add(qsTr("Applications"), column.manager.applications,
                        a => a.applicationName,
                        a => column.chooseApplication(a.processID))
                    add(qsTr("Windows"), column.manager.windows,
                        w => column.pickerLabel(w),
                        w => column.chooseWindow(w.windowID))
                    submenus = made
                }

                onAboutToShow: rebuild()
                delegate: KLMenuItem {}

                // The heading: always disabled, no action.
                KLMenuItem {
                    text: qsTr("Select a source\u2026")
                    enabled: false
                }
                MenuSeparator {}
            }
            Component {
                id: submenuComponent
                Menu {
                    delegate: KLMenuItem {}
                }
            }
            Component {
                id: entryComponent
                Action {
                    property var choose
                    onTriggered: choose()
                }
            }
        }

        KLMenuPicker {
            id: syphonSourcePicker
            objectName: "syphonSourcePicker"
            visible: column.isSyphon
            Layout.fillWidth: true
            textRole: "label"
            valueRole: "uuid"
            model: {
                const entries = [{ label: qsTr("Select Syphon source"), uuid: undefined }]
                const servers = column.manager.syphonServers || []
                for (let i = 0; i < servers.length; ++i)
                    entries.push({ label: servers[i].displayName, uuid: servers[i].uuid })
                return entries
            }
            currentIndex: {
                const uuid = column.session.selectedSyphonUUID
                if (uuid === undefined)
                    return 0
                for (let i = 1; i < model.length; ++i) {
                    if (model[i].uuid === uuid)
                        return i
                }
                return -1
            }
            onActivated: index => column.session.selectedSyphonUUID = model[index].uuid
        }

        RowLabel { width_: 72; text: qsTr("Resolution") }
        KLMenuPicker {
            id: resolutionPicker
            objectName: "resolutionPicker"
            Layout.maximumWidth: 130
            Layout.preferredWidth: 130
            model: SessionChoices.outputResolutions
            textRole: "label"
            valueRole: "value"
            currentIndex: SessionChoices.outputResolutions.findIndex(
                              choice => choice.value === column.session.outputResolution)
            onActivated: column.session.outputResolution = currentValue
        }
        Text {
            objectName: "restartHint"
            visible: column.session.isRunning
            Layout.leftMargin: 4
            text: qsTr("Restart to apply")
            font: KLFonts.klTiny
            color: KLColors.statusStalled
        }
    }

    // Custom size, only for the custom preset
    RowLayout {
        objectName: "customResolutionRow"
        visible: column.session.outputResolution === CaptureManager.OutputResolution.custom
        spacing: 8
        RowLabel { text: qsTr("Custom") }
        KLIntegerField {
            objectName: "customWidthField"
            Layout.preferredWidth: 80
            placeholderText: qsTr("W")
            value: column.session.customWidth
            onEdited: newValue => column.session.customWidth = newValue
        }
        Text {
            text: qsTr("\u00d7")
            font: KLFonts.klBody
            color: KLColors.textTertiary
        }
        KLIntegerField {
            objectName: "customHeightField"
            Layout.preferredWidth: 80
            placeholderText: qsTr("H")
            value: column.session.customHeight
            onEdited: newValue => column.session.customHeight = newValue
        }
        Item { Layout.fillWidth: true }
    }

    // Published name and status
    RowLayout {
        objectName: "syphonInfoRow"
        spacing: 8
        KLSymbol {
            name: "video.fill"
            size: 9
            color: KLColors.textTertiary
        }
        Text {
            objectName: "serverName"
            // The name follows the session's source and the catalogue it is looked up in.
            text: (column.session.sourceType, column.session.selectedWindowID,
                   column.session.selectedDisplayID, column.session.selectedApplicationPID,
                   column.session.selectedSyphonUUID, column.manager.windows,
                   column.manager.applications, column.manager.syphonServers,
                   qsTr("Syphon: %1").arg(column.manager.resolvedServerName(column.session)))
            font: KLFonts.klSmall
            color: KLColors.textTertiary
        }
        Item { Layout.fillWidth: true }
        Text {
            objectName: "sessionStatus"
            text: column.session.status
            font: KLFonts.klTiny
            color: KLColors.textTertiary
        }
    }
}
