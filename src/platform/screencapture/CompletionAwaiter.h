// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <coroutine>
#include <functional>
#include <memory>
#include <optional>

namespace ScreenCapture {

// Turns an operation that answers through a completion on the main thread into something a
// coroutine on the main thread can co_await (a QCoro::Task, for one). The answer is the
// completion's argument. A QCoro::Task dropped early does not end its coroutine, which still
// resumes with the answer; a coroutine frame destroyed while it waits is not resumed, and the late
// answer is dropped.
template <typename T> class CompletionAwaiter
{
public:
    using Call = std::function<void(std::function<void(T)>)>;

    explicit CompletionAwaiter(Call call)
        : m_call(std::move(call)), m_state(std::make_shared<State>())
    {}
    ~CompletionAwaiter()
    {
        if (m_state)
            m_state->abandoned = true;
    }
    CompletionAwaiter(CompletionAwaiter &&) noexcept = default;
    CompletionAwaiter &operator=(CompletionAwaiter &&) noexcept = default;

    bool await_ready() const noexcept { return false; }
    void await_suspend(std::coroutine_handle<> waiting)
    {
        m_state->waiting = waiting;
        m_call([state = m_state](T answer) {
            if (state->abandoned || state->answer)
                return;
            state->answer.emplace(std::move(answer));
            state->waiting.resume();
        });
    }
    T await_resume() { return std::move(*m_state->answer); }

private:
    struct State
    {
        std::coroutine_handle<> waiting;
        std::optional<T> answer;
        bool abandoned = false; // main thread only, as the answer
    };

    Call m_call;
    std::shared_ptr<State> m_state;
};

} // namespace ScreenCapture
