#pragma once

#include <cassert>
#include <type_traits>
#include <utility>
#include <variant>

#include "common/error.h"

// A value or the Error that kept it from being made: the one shape every operation that can fail
// for a reason the user must hear returns. Marked [[nodiscard]], so a failure is never dropped
// by accident; a caller that means to ignore one says so with a cast to void.
namespace trubkom::common {

template <typename T>
class [[nodiscard]] Result {
 public:
  Result(T value) : state_(std::in_place_index<0>, std::move(value)) {}      // NOLINT: implicit
  Result(Error error) : state_(std::in_place_index<1>, std::move(error)) {}  // NOLINT: implicit

  bool ok() const { return state_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T& operator*() & { return Value(); }
  const T& operator*() const& { return Value(); }
  T&& operator*() && { return std::move(Value()); }
  T* operator->() { return &Value(); }
  const T* operator->() const { return &Value(); }
  template <typename U>
  T value_or(U&& fallback) const& {
    return ok() ? Value() : static_cast<T>(std::forward<U>(fallback));
  }
  template <typename U>
  T value_or(U&& fallback) && {
    return ok() ? std::move(Value()) : static_cast<T>(std::forward<U>(fallback));
  }

  const Error& error() const {
    assert(!ok());
    return std::get<1>(state_);
  }

 private:
  T& Value() {
    assert(ok());
    return std::get<0>(state_);
  }
  const T& Value() const {
    assert(ok());
    return std::get<0>(state_);
  }

  std::variant<T, Error> state_;
};

// Success without a value, or the Error.
template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Error error) : error_(std::move(error)), failed_(true) {}  // NOLINT: implicit

  bool ok() const { return !failed_; }
  explicit operator bool() const { return ok(); }
  const Error& error() const {
    assert(failed_);
    return error_;
  }

 private:
  Error error_;
  bool failed_ = false;
};

using Status = Result<void>;

}  // namespace trubkom::common
