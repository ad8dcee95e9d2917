# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian packages Kinolith runs with. The .deb depends on them, and ThirdPartyNotices.txt is
# assembled from their copyright files, so both follow this one list.
#
# Each entry: <package>|<what Kinolith uses it for>. Version constraints for the .deb follow the
# package name in parentheses.
set(KINOLITH_RUNTIME_PACKAGES
  "libqt6core6 (>= 6.4)|Qt Core, Gui, Network and D-Bus (qt6-base)"
  "libqt6gui6 (>= 6.4)|"
  "libqt6network6 (>= 6.4)|"
  "libqt6dbus6 (>= 6.4)|"
  "libqt6opengl6 (>= 6.4)|"
  "libqt6qml6 (>= 6.4)|Qt QML and Qt Quick (qt6-declarative)"
  "libqt6quick6 (>= 6.4)|"
  "libqt6qmlmodels6 (>= 6.4)|"
  "libqt6quickcontrols2-6 (>= 6.4)|"
  "libqt6quicktemplates2-6 (>= 6.4)|"
  "libqt6svg6 (>= 6.4)|Qt SVG (qt6-svg)"
  "qml6-module-qtquick (>= 6.4)|"
  "qml6-module-qtquick-controls (>= 6.4)|"
  "qml6-module-qtquick-layouts (>= 6.4)|"
  "qml6-module-qtquick-window (>= 6.4)|"
  "qml6-module-qtquick-templates (>= 6.4)|"
  "qml6-module-qtqml-workerscript (>= 6.4)|"
  "qt6-qpa-plugins (>= 6.4)|"
  "libqcoro6core0 (>= 0.8)|QCoro"
  "libpipewire-0.3-0 (>= 0.3.65)|PipeWire"
  "pipewire|"
  "libpixman-1-0|pixman"
  "libxcb1|libxcb and its extension libraries"
  "libxcb-shm0|"
  "libxcb-composite0|"
  "libxcb-randr0|"
  "libxcb-xfixes0|"
  "libxcb-damage0|"
  "libxcb-image0|xcb-util-image"
  "libxcb-ewmh2|xcb-util-wm"
  "libxcb-icccm4|"
  "libegl1|libglvnd (EGL and OpenGL ES dispatch)"
  "libgles2|"
  "libopengl0|"
  "libglx0|"
  "libegl-mesa0|Mesa (EGL and OpenGL ES drivers)"
  "libgl1-mesa-dri|"
  "libsystemd0|systemd's journal library"
  "fonts-inter|the Inter typeface"
  "fonts-quicksand|the Quicksand typeface"
  "fonts-materialdesignicons-webfont|the Material Design Icons font"
)

# The package names alone, and the .deb's Depends field.
set(KINOLITH_RUNTIME_PACKAGE_NAMES "")
set(KINOLITH_DEB_DEPENDS "")
foreach(entry IN LISTS KINOLITH_RUNTIME_PACKAGES)
  string(REPLACE "|" ";" parts "${entry}")
  list(GET parts 0 dependency)
  string(REGEX REPLACE " .*" "" name "${dependency}")
  list(APPEND KINOLITH_RUNTIME_PACKAGE_NAMES "${name}")
  list(APPEND KINOLITH_DEB_DEPENDS "${dependency}")
endforeach()
string(JOIN ", " KINOLITH_DEB_DEPENDS ${KINOLITH_DEB_DEPENDS})
