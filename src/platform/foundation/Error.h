// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <utility>
#include <variant>

// An error raised by the program or a platform layer: a domain, a code and a text the user can
// read. Layers keep the domains and texts the engine reports ("Metal" -1, "CaptureSession" -2, ...)
// whatever technology stands behind them.
struct Error
{
    QString domain;
    int code = 0;
    QString localizedDescription;

    friend bool operator==(const Error &, const Error &) = default;
};

// The outcome of an operation that yields a value or fails with an Error.
template <typename T> class Expected
{
public:
    Expected(T value) : m_state(std::move(value)) {}
    Expected(Error error) : m_state(std::move(error)) {}

    bool hasValue() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return hasValue(); }

    T &value() { return std::get<T>(m_state); }
    const T &value() const { return std::get<T>(m_state); }
    T &operator*() { return value(); }
    const T &operator*() const { return value(); }
    T *operator->() { return &value(); }
    const T *operator->() const { return &value(); }

    const Error &error() const { return std::get<Error>(m_state); }

private:
    std::variant<T, Error> m_state;
};

// The outcome of an operation that yields nothing or fails with an Error.
template <> class Expected<void>
{
public:
    Expected() = default;
    Expected(Error error) : m_error(std::move(error)), m_failed(true) {}

    bool hasValue() const { return !m_failed; }
    explicit operator bool() const { return hasValue(); }
    const Error &error() const { return m_error; }

private:
    Error m_error;
    bool m_failed = false;
};
