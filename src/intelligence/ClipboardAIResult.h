#pragma once
// The outcome of a language-model request: its value or a ClipboardAIError. (Cancellation is not an
// outcome: awaiting a cancelled request gives none.)

#include "intelligence/ClipboardAIError.h"

#include <utility>
#include <variant>

template<typename T>
class ClipboardAIResult {
public:
    ClipboardAIResult(T value)
        : m_outcome(std::in_place_index<0>, std::move(value))
    {
    }
    ClipboardAIResult(ClipboardAIError error)
        : m_outcome(std::in_place_index<1>, std::move(error))
    {
    }

    bool hasValue() const { return m_outcome.index() == 0; }
    explicit operator bool() const { return hasValue(); }
    const T &value() const { return std::get<0>(m_outcome); }
    const ClipboardAIError &error() const { return std::get<1>(m_outcome); }

private:
    std::variant<T, ClipboardAIError> m_outcome;
};
