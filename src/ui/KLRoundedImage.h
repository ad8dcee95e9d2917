// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QQuickItem>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

// An image file (SVG or bitmap, from the resource system or disk) stretched over the item and
// clipped to the item's rectangle rounded by `radius`. Vector images are rendered at the item's
// size in device pixels.
class KLRoundedImage : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(QUrl source READ source WRITE setSource NOTIFY sourceChanged)
    Q_PROPERTY(qreal radius READ radius WRITE setRadius NOTIFY radiusChanged)
    // False when the source is empty or could not be read.
    Q_PROPERTY(bool loaded READ loaded NOTIFY loadedChanged)

public:
    explicit KLRoundedImage(QQuickItem *parent = nullptr);

    QUrl source() const { return m_source; }
    void setSource(const QUrl &source);
    qreal radius() const { return m_radius; }
    void setRadius(qreal radius);
    bool loaded() const { return !m_image.isNull(); }

Q_SIGNALS:
    void sourceChanged();
    void radiusChanged();
    void loadedChanged();

protected:
    QSGNode *updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *data) override;
    void geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry) override;
    void itemChange(ItemChange change, const ItemChangeData &value) override;

private:
    void reload();

    // GUI thread; updatePaintNode() reads them while the GUI thread waits.
    QUrl m_source;
    qreal m_radius = 0;
    QImage m_image;
    bool m_textureDirty = false;
};
