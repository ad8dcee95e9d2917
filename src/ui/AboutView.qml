// SPDX-License-Identifier: GPL-3.0-or-later
import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Layouts
import Kinolith

// The About window's content: the program's logo, name, version and build; the maker's logo,
// name, website and rights line; the legal paragraph and the button to the third-party notices.
Rectangle {
    id: about

    required property Window hostWindow
    property string rightsYear

    readonly property string nordvaneLogoAssetName: "nordvane-logo"
    readonly property url websiteURL: "https://nordvane.com"
    readonly property string websiteTitle: "nordvane.com"
    // True while the notices sheet is shown.
    property bool showNotices: false

    implicitWidth: 720
    implicitHeight: 380
    color: KLColors.windowBg

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        Rectangle {
            objectName: "aboutHeader"
            Layout.fillWidth: true
            implicitHeight: header.implicitHeight + 32
            color: KLColors.headerBg
            RowLayout {
                id: header
                anchors.fill: parent
                anchors.margins: 16
                RowLayout {
                    spacing: 10
                    Item {
                        implicitWidth: 28
                        implicitHeight: 28
                        // The logo's faint white shadow.
                        Rectangle {
                            anchors.fill: parent
                            anchors.margins: -2
                            radius: 8
                            color: Qt.rgba(1, 1, 1, 0.05)
                            visible: appLogo.loaded
                        }
                        KLRoundedImage {
                            id: appLogo
                            objectName: "appLogo"
                            anchors.fill: parent
                            radius: 6
                            source: KLBundle.imageUrl("KinolithLogo")
                        }
                    }
                    ColumnLayout {
                        spacing: 1
                        Text {
                            text: qsTr("Kinolith")
                            font: KLFonts.klTitle
                            color: KLColors.textPrimary
                        }
                        Text {
                            objectName: "versionText"
                            text: "Version " + KLBundle.appVersion + " (" + KLBundle.appBuild + ")"
                            font: KLFonts.klSubtitle
                            color: KLColors.textTertiary
                        }
                    }
                }
                Item {
                    Layout.fillWidth: true
                }
                KLSecondaryButtonStyle {
                    objectName: "closeButton"
                    text: qsTr("Close")
                    onClicked: about.hostWindow.close()
                }
            }
        }

        KLDivider {}

        RowLayout {
            Layout.fillWidth: true
            Layout.margins: 16
            spacing: 16

            KLCardStyle {
                id: makerCard
                objectName: "makerCard"
                Layout.preferredWidth: 280
                Layout.alignment: Qt.AlignTop
                padding: 14
                ColumnLayout {
                    anchors.fill: parent
                    spacing: 12
                    Item {
                        Layout.preferredWidth: 200
                        Layout.preferredHeight: 100
                        Layout.topMargin: makerLogo.loaded ? 4 : 0
                        KLRoundedImage {
                            id: makerLogo
                            objectName: "makerLogo"
                            anchors.fill: parent
                            source: KLBundle.imageUrl(about.nordvaneLogoAssetName)
                        }
                        Rectangle {
                            objectName: "logoPlaceholder"
                            anchors.fill: parent
                            visible: !makerLogo.loaded
                            radius: 8
                            color: KLColors.cardBg
                            Text {
                                anchors.centerIn: parent
                                text: qsTr("Logo missing")
                                font: KLFonts.klSmall
                                color: KLColors.textTertiary
                            }
                        }
                    }
                    Text {
                        text: qsTr("Made by Nordvane")
                        font: KLFonts.klBody
                        color: KLColors.textPrimary
                    }
                    Text {
                        objectName: "websiteLink"
                        text: qsTr(about.websiteTitle)
                        font: KLFonts.klCaption
                        // The desktop's link blue, as it reads on a dark window.
                        color: Qt.rgba(0.25, 0.61, 1.0, 1)
                        Accessible.role: Accessible.Link
                        Accessible.name: text
                        MouseArea {
                            anchors.fill: parent
                            cursorShape: Qt.PointingHandCursor
                            onClicked: Qt.openUrlExternally(about.websiteURL)
                        }
                    }
                    Text {
                        objectName: "rightsText"
                        text: qsTr("© %1 Nordvane. All rights reserved.").arg(about.rightsYear)
                        font: KLFonts.klSmall
                        color: KLColors.textTertiary
                    }
                }
            }

            KLCardStyle {
                objectName: "legalCard"
                Layout.fillWidth: true
                Layout.alignment: Qt.AlignTop
                // As tall as the maker card beside it; its own spacer takes up the difference.
                Layout.preferredHeight: Math.max(implicitHeight, makerCard.implicitHeight)
                padding: 14
                ColumnLayout {
                    anchors.fill: parent
                    spacing: 12
                    KLSectionHeader {
                        Layout.fillWidth: true
                        icon: "doc.text"
                        title: qsTr("Legal & Licensing")
                    }
                    Text {
                        Layout.fillWidth: true
                        text: qsTr("This app may include third-party components. Where required, "
                                   + "their licenses and notices are provided in Third-Party "
                                   + "Notices.")
                        wrapMode: Text.Wrap
                        font: KLFonts.klBody
                        color: KLColors.textSecondary
                    }
                    KLSecondaryButtonStyle {
                        objectName: "noticesButton"
                        text: qsTr("View Third-Party Notices")
                        onClicked: about.showNotices = true
                    }
                    Item {
                        Layout.fillHeight: true
                    }
                }
            }
        }

        Item {
            Layout.fillHeight: true
        }
    }

    Shortcut {
        sequence: StandardKey.Cancel
        onActivated: about.hostWindow.close()
    }

    Loader {
        objectName: "noticesLoader"
        active: about.showNotices
        sourceComponent: ThirdPartyNoticesSheet {
            parentWindow: about.hostWindow
            onDismissed: about.showNotices = false
        }
    }
}
