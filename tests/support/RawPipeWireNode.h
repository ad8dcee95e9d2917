// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>

struct pw_thread_loop;
struct pw_context;
struct pw_core;
struct pw_stream;

// A PipeWire video source node made straight with libpipewire, with any property bytes at all
// (empty, missing, not UTF-8, very long), whose properties can be changed while it lives. It
// offers a format but never sends a frame.
class RawPipeWireNode
{
public:
    using Properties = QList<QPair<QByteArray, QByteArray>>;

    explicit RawPipeWireNode(const Properties &properties);
    ~RawPipeWireNode();
    RawPipeWireNode(const RawPipeWireNode &) = delete;
    RawPipeWireNode &operator=(const RawPipeWireNode &) = delete;

    bool isConnected() const { return m_stream != nullptr; }
    // Changes (or adds) properties of the node.
    void updateProperties(const Properties &properties);

private:
    pw_thread_loop *m_loop = nullptr;
    pw_context *m_context = nullptr;
    pw_core *m_core = nullptr;
    pw_stream *m_stream = nullptr;
};
