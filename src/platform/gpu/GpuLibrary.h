// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Shader functions compiled from source text at run time.
//
// The source language is GLSL ES 3.00 without a #version line and without main(): the text holds
// its vertex part between "#ifdef KINOLITH_VERTEX_STAGE" and "#endif" and its fragment part
// between "#ifdef KINOLITH_FRAGMENT_STAGE" and "#endif"; each stage is compiled with its macro
// defined. Entry points are named functions "void name()" that a render pipeline picks by name.
//
// Conventions of the coordinate system and the bindings, the same on every backend:
// - clip-space y = +1 is the first row in memory of the render target, y = -1 its last row;
// - fragment texture index i is the uniform "sampler2D fragmentTexture<i>", read with the sampler
//   bound at the same index i;
// - fragment buffer index i is the std140 uniform block "FragmentBuffer<i>".
// Immutable; shareable between threads.
class GpuLibrary
{
public:
    virtual ~GpuLibrary() = default;
    virtual const QString &source() const = 0;
};
