// SPDX-License-Identifier: GPL-3.0-or-later
import QtQuick
import Kinolith

// Puts the default rotation and mirror of a session's source type in place each time the type
// changes, through the session's setters. The type the card first sees is not a change: building
// a card applies nothing.
Connections {
    required property CaptureSession session

    target: session
    function onSourceTypeChanged() {
        if (session.sourceType === Kinolith.SourceType.syphon) {
            session.rotation = SessionChoices.defaultSyphonRotation
            session.flipHorizontal = SessionChoices.defaultSyphonFlipHorizontal
        } else {
            session.rotation = SessionChoices.defaultWindowRotation
            session.flipHorizontal = SessionChoices.defaultWindowFlipHorizontal
        }
    }
}
