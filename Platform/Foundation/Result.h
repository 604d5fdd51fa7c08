#pragma once

#include "Platform/Foundation/FoundationExport.h"

#include <concepts>
#include <optional>
#include <string>
#include <utility>
#include <variant>

namespace Foundation {

// Why an operation failed, as a text fit for a printed line or an alert.
class AERLO_FOUNDATION_EXPORT Error {
public:
    explicit Error(std::string text) : text_(std::move(text)) {}
    const std::string& text() const { return text_; }
    bool operator==(const Error&) const = default;

private:
    std::string text_;
};

// The value of an operation that can fail for a reason the caller or the user needs, or the error
// that says why (an Error unless the operation has its own error type). `return value;` succeeds,
// `return Error("…");` fails.
template <class T, class E = Error>
class [[nodiscard]] Result {
public:
    Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    Result(E error) : state_(std::in_place_index<1>, std::move(error)) {}

    bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    // The value; only on success.
    T& value() & { return std::get<0>(state_); }
    const T& value() const& { return std::get<0>(state_); }
    T&& value() && { return std::get<0>(std::move(state_)); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    T& operator*() & { return value(); }
    const T& operator*() const& { return value(); }

    T valueOr(T fallback) const& { return ok() ? value() : std::move(fallback); }

    // The error; only on failure.
    const E& failure() const { return std::get<1>(state_); }
    // Why it failed; the empty text on success.
    const std::string& error() const requires std::same_as<E, Error>
    {
        static const std::string none;
        return ok() ? none : failure().text();
    }

private:
    std::variant<T, E> state_;
};

// An operation that returns nothing but can fail.
template <class E>
class [[nodiscard]] Result<void, E> {
public:
    Result() = default;
    Result(E error) : error_(std::move(error)) {}
    static Result success() { return {}; }

    bool ok() const { return !error_; }
    explicit operator bool() const { return ok(); }

    // The error; only on failure.
    const E& failure() const { return *error_; }
    // Why it failed; the empty text on success.
    const std::string& error() const requires std::same_as<E, Error>
    {
        static const std::string none;
        return ok() ? none : failure().text();
    }

private:
    std::optional<E> error_;
};

} // namespace Foundation
