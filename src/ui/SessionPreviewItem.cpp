// SPDX-License-Identifier: GPL-3.0-or-later
#include "SessionPreviewItem.h"

#include "RoundedTextureNode.h"
#include "engine/CaptureSession.h"

#include <QQuickWindow>
#include <QSGImageNode>
#include <QSGTexture>
#include <memory>

SessionPreviewItem::SessionPreviewItem(QQuickItem *parent) : QQuickItem(parent)
{
    setFlag(ItemHasContents, true);
}

SessionPreviewItem::~SessionPreviewItem() = default;

void SessionPreviewItem::setSession(CaptureSession *session)
{
    if (m_session == session)
        return;
    disconnect(m_imageConnection);
    m_session = session;
    if (session) {
        m_imageConnection = connect(session, &CaptureSession::previewImageChanged, this,
                                    &SessionPreviewItem::imageChanged);
    }
    Q_EMIT sessionChanged();
    imageChanged();
}

void SessionPreviewItem::imageChanged()
{
    const QImage *image = m_session ? &m_session->previewImage() : nullptr;
    const bool hasImage = image && !image->isNull();
    m_imageSize = hasImage ? image->size() : QSize();
    m_textureDirty = true;
    updatePaintedRect();
    if (hasImage != m_hasImage) {
        m_hasImage = hasImage;
        Q_EMIT hasImageChanged();
    }
    update();
}

void SessionPreviewItem::geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size()) {
        updatePaintedRect();
        update();
    }
}

void SessionPreviewItem::updatePaintedRect()
{
    QRectF rect;
    if (m_imageSize.isValid() && width() > 0 && height() > 0) {
        const QSizeF fitted = QSizeF(m_imageSize).scaled(size(), Qt::KeepAspectRatio);
        rect = QRectF(QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2),
                      fitted);
    }
    if (rect != m_paintedRect) {
        // The texture follows the size the picture takes on screen.
        if (rect.size() != m_paintedRect.size())
            m_textureDirty = true;
        m_paintedRect = rect;
        Q_EMIT paintedRectChanged();
    }
}

void SessionPreviewItem::setRadius(qreal radius)
{
    if (qFuzzyCompare(radius, m_radius))
        return;
    m_radius = radius;
    m_geometryDirty = true;
    Q_EMIT radiusChanged();
    update();
}

QImage SessionPreviewItem::fitted(const QImage &image) const
{
    // The texture is made at the size the picture takes on screen: previews arrive at the output's
    // full size, and converting and uploading a 1080p frame for a thumbnail a few hundred pixels
    // wide keeps the render thread (and with it the main thread, which waits for it) busy. A
    // nearest-pixel step to twice the size, then a smooth halving, keeps the picture legible at a
    // cost that follows the small size, not the frame's.
    const QSize target =
        (m_paintedRect.size() * window()->effectiveDevicePixelRatio()).toSize().expandedTo({1, 1});
    if (target.width() >= image.width() || target.height() >= image.height())
        return image;
    const QSize twice = target * 2;
    const QImage rough = twice.width() < image.width() && twice.height() < image.height()
                             ? image.scaled(twice, Qt::IgnoreAspectRatio, Qt::FastTransformation)
                             : image;
    return rough.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

QSGNode *SessionPreviewItem::updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *)
{
    auto *node = static_cast<RoundedTextureNode *>(oldNode);
    if (!m_hasImage || !m_session || m_paintedRect.isEmpty()) {
        delete node;
        return nullptr;
    }
    if (!node) {
        node = new RoundedTextureNode(false);
        m_textureDirty = true;
        m_geometryDirty = true;
    }
    if (m_textureDirty) {
        node->setTexture(std::unique_ptr<QSGTexture>(
            window()->createTextureFromImage(fitted(m_session->previewImage()))));
        m_textureDirty = false;
    }
    if (m_geometryDirty || node->paintedRect() != m_paintedRect ||
        node->bounds() != boundingRect()) {
        node->setShape(boundingRect(), m_radius, m_paintedRect);
        m_geometryDirty = false;
    }
    return node;
}
