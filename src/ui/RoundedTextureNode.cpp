// SPDX-License-Identifier: GPL-3.0-or-later
#include "RoundedTextureNode.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Points of each rounded corner's arc; straight edges need none of their own.
constexpr int arcSegments = 8;
constexpr int outlinePoints = 4 * (arcSegments + 1);

} // namespace

RoundedTextureNode::RoundedTextureNode(bool firstRowAtBottom)
    : m_geometry(QSGGeometry::defaultAttributes_TexturedPoint2D(), 1 + outlinePoints,
                 3 * outlinePoints, QSGGeometry::UnsignedShortType),
      m_firstRowAtBottom(firstRowAtBottom)
{
    m_geometry.setDrawingMode(QSGGeometry::DrawTriangles);
    setGeometry(&m_geometry);
    for (QSGOpaqueTextureMaterial *material :
         {static_cast<QSGOpaqueTextureMaterial *>(&m_material), &m_opaqueMaterial}) {
        material->setFiltering(QSGTexture::Linear);
        material->setMipmapFiltering(QSGTexture::Linear);
    }
    setMaterial(&m_material);
    setOpaqueMaterial(&m_opaqueMaterial);

    // A fan of triangles around the centre (vertex 0), as plain triangles.
    quint16 *indices = m_geometry.indexDataAsUShort();
    for (int i = 0; i < outlinePoints; ++i) {
        indices[3 * i] = 0;
        indices[3 * i + 1] = quint16(1 + i);
        indices[3 * i + 2] = quint16(1 + (i + 1) % outlinePoints);
    }
}

RoundedTextureNode::~RoundedTextureNode() = default;

void RoundedTextureNode::setTexture(std::unique_ptr<QSGTexture> texture)
{
    m_material.setTexture(texture.get());
    m_opaqueMaterial.setTexture(texture.get());
    m_texture = std::move(texture);
    markDirty(DirtyMaterial);
}

void RoundedTextureNode::setShape(const QRectF &bounds, qreal radius, const QRectF &painted)
{
    m_bounds = bounds;
    m_painted = painted;
    const qreal r = std::clamp(radius, 0.0, std::min(bounds.width(), bounds.height()) / 2);

    // Texture coordinates of a point of the painted rectangle; v runs upwards when the image's
    // first row lies at the bottom.
    const auto vertex = [&](QSGGeometry::TexturedPoint2D &v, qreal x, qreal y) {
        // The outline of the rounded bounds, clamped into the painted rectangle, is the outline
        // of their intersection: both are convex with axis-parallel sides.
        x = std::clamp(x, painted.left(), painted.right());
        y = std::clamp(y, painted.top(), painted.bottom());
        const qreal down = (y - painted.top()) / painted.height();
        v.set(float(x), float(y), float((x - painted.left()) / painted.width()),
              float(m_firstRowAtBottom ? 1.0 - down : down));
    };

    QSGGeometry::TexturedPoint2D *points = m_geometry.vertexDataAsTexturedPoint2D();
    const QPointF centre = bounds.intersected(painted).center();
    vertex(points[0], centre.x(), centre.y());
    // Corners clockwise from the top left, each arc from its start angle over a quarter turn.
    const QPointF corners[4] = {{bounds.left() + r, bounds.top() + r},
                                {bounds.right() - r, bounds.top() + r},
                                {bounds.right() - r, bounds.bottom() - r},
                                {bounds.left() + r, bounds.bottom() - r}};
    int n = 1;
    for (int corner = 0; corner < 4; ++corner) {
        const double start = std::numbers::pi * (1.0 + 0.5 * corner);
        for (int i = 0; i <= arcSegments; ++i) {
            const double angle = start + std::numbers::pi / 2 * i / arcSegments;
            vertex(points[n++], corners[corner].x() + r * std::cos(angle),
                   corners[corner].y() + r * std::sin(angle));
        }
    }
    markDirty(DirtyGeometry);
}
