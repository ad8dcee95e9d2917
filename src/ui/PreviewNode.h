// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRectF>
#include <QSGGeometry>
#include <QSGGeometryNode>
#include <QSGTexture>
#include <QSGTextureMaterial>
#include <memory>

// The scene-graph node of a preview: a texture drawn into a rectangle with its rows upside down
// (the first row at the bottom), clipped to a rounded rectangle. Lives on the render thread and
// owns its texture.
class PreviewNode : public QSGGeometryNode
{
public:
    PreviewNode();
    ~PreviewNode() override;

    void setTexture(std::unique_ptr<QSGTexture> texture);
    // The image fills `painted`; what shows of it is the part inside `bounds` rounded by `radius`.
    void setShape(const QRectF &bounds, qreal radius, const QRectF &painted);

    QRectF bounds() const { return m_bounds; }
    QRectF paintedRect() const { return m_painted; }

private:
    QSGGeometry m_geometry;
    QSGTextureMaterial m_material;
    QSGOpaqueTextureMaterial m_opaqueMaterial;
    std::unique_ptr<QSGTexture> m_texture;
    QRectF m_bounds;
    QRectF m_painted;
};
