// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRectF>
#include <QSGGeometry>
#include <QSGGeometryNode>
#include <QSGTexture>
#include <QSGTextureMaterial>
#include <memory>

// A texture drawn into a rectangle, clipped to a rounded rectangle; with firstRowAtBottom (as
// previews arrive), its rows are drawn upside down. Lives on the render thread and owns its
// texture.
class RoundedTextureNode : public QSGGeometryNode
{
public:
    explicit RoundedTextureNode(bool firstRowAtBottom);
    ~RoundedTextureNode() override;

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
    const bool m_firstRowAtBottom;
};
