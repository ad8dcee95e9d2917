// SPDX-License-Identifier: GPL-3.0-or-later
#include "KLRoundedImage.h"

#include "RoundedTextureNode.h"

#include <QImageReader>
#include <QQmlFile>
#include <QQuickWindow>
#include <memory>

KLRoundedImage::KLRoundedImage(QQuickItem *parent) : QQuickItem(parent)
{
    setFlag(ItemHasContents, true);
}

void KLRoundedImage::setSource(const QUrl &source)
{
    if (source == m_source)
        return;
    m_source = source;
    Q_EMIT sourceChanged();
    reload();
}

void KLRoundedImage::setRadius(qreal radius)
{
    if (qFuzzyCompare(radius, m_radius))
        return;
    m_radius = radius;
    Q_EMIT radiusChanged();
    update();
}

void KLRoundedImage::geometryChange(const QRectF &newGeometry, const QRectF &oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    if (newGeometry.size() != oldGeometry.size())
        reload();
}

void KLRoundedImage::itemChange(ItemChange change, const ItemChangeData &value)
{
    QQuickItem::itemChange(change, value);
    if (change == ItemDevicePixelRatioHasChanged || change == ItemSceneChange)
        reload();
}

void KLRoundedImage::reload()
{
    const bool wasLoaded = loaded();
    m_image = QImage();
    const QString path = QQmlFile::urlToLocalFileOrQrc(m_source);
    const qreal ratio = window() ? window()->effectiveDevicePixelRatio() : 1.0;
    const QSize pixels = (size() * ratio).toSize();
    if (!path.isEmpty() && !pixels.isEmpty()) {
        QImageReader reader(path);
        reader.setScaledSize(pixels);
        if (!reader.read(&m_image))
            qWarning("KLRoundedImage: cannot read %s: %s", qPrintable(path),
                     qPrintable(reader.errorString()));
    }
    m_textureDirty = true;
    if (wasLoaded != loaded())
        Q_EMIT loadedChanged();
    update();
}

QSGNode *KLRoundedImage::updatePaintNode(QSGNode *oldNode, UpdatePaintNodeData *)
{
    auto *node = static_cast<RoundedTextureNode *>(oldNode);
    if (m_image.isNull() || width() <= 0 || height() <= 0) {
        delete node;
        return nullptr;
    }
    if (!node) {
        node = new RoundedTextureNode(false);
        m_textureDirty = true;
    }
    if (m_textureDirty) {
        node->setTexture(std::unique_ptr<QSGTexture>(window()->createTextureFromImage(m_image)));
        m_textureDirty = false;
    }
    node->setShape(boundingRect(), m_radius, boundingRect());
    return node;
}
