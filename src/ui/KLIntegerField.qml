// SPDX-License-Identifier: GPL-3.0-or-later
import QtQuick
import Kinolith

// A text field bound to an integer, shown and read in the integer format of the user's locale
// (1,920 in English), following changes of the locale. A new value is handed out through edited() when the user commits the text
// (Enter, or leaving the field); text that does not parse leaves the value as it was and shows it
// again.
KLTextFieldStyle {
    id: field

    property var value: 0
    signal edited(var newValue)

    // Reads the typed text; true when it parsed (whether or not the value changed).
    function commit() {
        const parsed = KLIntegerFormat.parse(text)
        if (parsed !== undefined && parsed !== value)
            edited(parsed)
        showValue()
        return parsed !== undefined
    }
    function showValue() {
        text = KLIntegerFormat.format(value)
    }

    Connections {
        target: KLIntegerFormat
        function onLocaleChanged() { field.showValue() }
    }

    inputMethodHints: Qt.ImhFormattedNumbersOnly
    onValueChanged: showValue()
    onEditingFinished: commit()
    Component.onCompleted: showValue()
}
