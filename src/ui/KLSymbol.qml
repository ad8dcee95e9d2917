// SPDX-License-Identifier: GPL-3.0-or-later
import QtQuick

// A symbol image, looked up by its symbol name ("arrow.clockwise", "display", ...) and drawn as
// the matching glyph of the Material Design Icons font (fonts-materialdesignicons-webfont).
// `size` is the point size of the text the symbol stands in; the glyph is drawn a little larger,
// because an icon font's glyph fills less of its em box than a letter does.
Text {
    id: symbol

    property string name
    property real size: 12

    // Symbol name -> glyph of the Debian font (its 1.6 code points).
    readonly property var glyphs: ({
        "arrow.clockwise": "\uF450",                // refresh
        "arrow.2.circlepath": "\uF4E6",             // sync
        "arrow.left.and.right.righttriangle.left.righttriangle.right": "\uF18A", // compare
        "chevron.up.chevron.down": "\uF54F",        // unfold-more
        "crop": "\uF19E",                           // crop
        "display": "\uF379",                        // monitor
        "doc.plaintext": "\uF21A",                  // file-document-box
        "doc.text": "\uF219",                       // file-document
        "play.fill": "\uF40A",                      // play
        "plus": "\uF415",                           // plus
        "plus.square.on.square": "\uF191",          // content-duplicate
        "slider.horizontal.3": "\uF62E",            // tune
        "stop.fill": "\uF4DB",                      // stop
        "video.fill": "\uF567",                     // video
        "xmark": "\uF156"                           // close
    })

    text: glyphs[name] !== undefined ? glyphs[name] : ""
    font.family: KLFonts.symbolFamily
    font.pixelSize: Math.round(size * 1.3)
    horizontalAlignment: Text.AlignHCenter
    verticalAlignment: Text.AlignVCenter
    Accessible.ignored: true

    onNameChanged: if (name !== "" && glyphs[name] === undefined)
                       console.warn("KLSymbol: no glyph for", name)
}
