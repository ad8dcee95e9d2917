// SPDX-License-Identifier: GPL-3.0-or-later
pragma Singleton
import QtQuick

// The named fonts. The interface font is Inter (fonts-inter); the rounded design is Quicksand
// (fonts-quicksand), or Inter where Quicksand is missing. Sizes are in points of the layout, which
// are the scene's logical pixels, so they are given as pixel sizes.
QtObject {
    readonly property string family: "Inter"
    readonly property string roundedFamily: Qt.fontFamilies().indexOf("Quicksand") >= 0
                                            ? "Quicksand" : family
    readonly property string symbolFamily: "Material Design Icons"

    readonly property font klTitle: rounded(14, Font.Bold)
    readonly property font klSubtitle: system(10, Font.Medium)
    readonly property font klSectionHeader: system(12, Font.Bold)
    readonly property font klBody: system(12, Font.Medium)
    readonly property font klCaption: system(11, Font.Medium)
    readonly property font klSmall: system(10, Font.Medium)
    readonly property font klTiny: system(9, Font.Medium)
    readonly property font klBadge: rounded(9, Font.Bold)

    // The system font at a size and weight (Font.Normal, Font.Medium, Font.DemiBold, ...).
    function system(size, weight) {
        return Qt.font({ family: family, pixelSize: size, weight: weight === undefined ? Font.Normal : weight })
    }
    // The rounded design at a size and weight.
    function rounded(size, weight) {
        return Qt.font({ family: roundedFamily, pixelSize: size, weight: weight === undefined ? Font.Normal : weight })
    }
}
