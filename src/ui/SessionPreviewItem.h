// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPointer>
#include <QQuickItem>
#include <QtQml/qqmlregistration.h>

class CaptureSession;

// Draws a session's latest preview image, scaled to fit the item with its aspect ratio kept and
// centred; the space the image leaves free stays transparent. The engine delivers a preview as a
// picture, top row first (the output's first row, its bottom edge, is the image's last row), so
// the image is drawn as it is.
//
// The item reads the session's image itself when the session announces a new one: the image is
// shared with the session (QImage is implicitly shared) and, when it changed and the item is drawn,
// scaled to its size on screen and uploaded as a texture: each view showing the preview costs one
// texture of its own size, and other views are not touched.
class SessionPreviewItem : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(CaptureSession *session READ session WRITE setSession NOTIFY sessionChanged)
    Q_PROPERTY(bool hasImage READ hasImage NOTIFY hasImageChanged)
    // The size of the image on screen, inside the item (0 × 0 without an image).
    Q_PROPERTY(QRectF paintedRect READ paintedRect NOTIFY paintedRectChanged)
    // The image is clipped to the item's rectangle rounded by this radius.
    Q_PROPERTY(qreal radius READ radius WRITE setRadius NOTIFY radiusChanged)

public:
    explicit SessionPreviewItem(QQuickItem *parent = nullptr);
    ~SessionPreviewItem() override;

    CaptureSession *session() const { return m_session; }
    void setSession(CaptureSession *session);
    bool hasImage() const { return m_hasImage; }
    QRectF paintedRect() const { return m_paintedRect; }
    qreal radius() const { return m_radius; }
    void setRadius(qreal radius);

Q_SIGNALS:
    void sessionChanged();
    void hasImageChanged();
    void paintedRectChanged();
    void radiusChanged();

protected:
    QSGNode *updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *data) override;
    void geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry) override;

private:
    void imageChanged();
    void updatePaintedRect();
    // The image scaled to the size it takes on screen, in device pixels.
    QImage fitted(const QImage &image) const;

    // All members belong to the GUI thread; updatePaintNode() reads them while the GUI thread is
    // blocked in the scene graph's synchronisation.
    QPointer<CaptureSession> m_session;
    QMetaObject::Connection m_imageConnection;
    QSize m_imageSize;
    QRectF m_paintedRect;
    qreal m_radius = 0;
    bool m_geometryDirty = true;
    bool m_hasImage = false;
    bool m_textureDirty = false;
};
