// Result<T>: a value or an error, for code that reports failure as a value (nothing is thrown
// across module boundaries). GCC 12 in C++20 mode lacks std::expected; this is the small subset
// we need. An Error carries the system error number (0 when there is none), a readable text and
// the kind a caller decides on: callers branch on the kind, never on the text.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>

namespace velmora {

enum class ErrorKind : uint8_t {
  kFailed,       // nobody has been told yet: the front end shows the message
  kShownToUser,  // the Prompter has shown it already: the front end only passes the failure on
  kNoWorkspace,  // no workspace was named and none was used before
  kBusy,         // another process uses the workspace now; the same command may work later
  kBadRequest,   // the request asks for something that is not there: a misuse, with the choices
};

struct Error {
  int code = 0;         // errno or a subsystem's own number; 0 when not applicable
  std::string message;  // what went wrong, for the user
  ErrorKind kind = ErrorKind::kFailed;
};

template <class T>
class [[nodiscard]] Result {
 public:
  Result(T value) : v_(std::move(value)) {}      // NOLINT(google-explicit-constructor)
  Result(Error error) : v_(std::move(error)) {}  // NOLINT(google-explicit-constructor)

  bool ok() const { return v_.index() == 0; }
  explicit operator bool() const { return ok(); }

  T& value() & { return std::get<0>(v_); }
  const T& value() const& { return std::get<0>(v_); }
  T&& value() && { return std::get<0>(std::move(v_)); }
  T* operator->() { return &value(); }
  const T* operator->() const { return &value(); }
  T& operator*() & { return value(); }
  const T& operator*() const& { return value(); }
  T&& operator*() && { return std::move(*this).value(); }

  const Error& error() const { return std::get<1>(v_); }

 private:
  std::variant<T, Error> v_;
};

// Result<void>: success or an error.
template <>
class [[nodiscard]] Result<void> {
 public:
  Result() = default;
  Result(Error error) : error_(std::move(error)), ok_(false) {}  // NOLINT

  bool ok() const { return ok_; }
  explicit operator bool() const { return ok_; }
  const Error& error() const { return error_; }

 private:
  Error error_;
  bool ok_ = true;
};

using Status = Result<void>;

}  // namespace velmora
