// One owning wrapper for every kind of handle the program holds: the traits
// say what an empty value is, how to tell a live one, and how to close it.
#pragma once

#include <utility>

namespace platform {

// Traits requirements:
//   using Value = ...;                  the handle type (a pointer or a small record)
//   static Value Invalid();             the value meaning "holds nothing"
//   static bool IsValid(const Value&);  true for a live handle
//   static void Close(const Value&);    releases a live handle; on Windows it must
//                                       leave the thread's last-error value as it
//                                       found it, so that a caller's error
//                                       survives the clean-up of an early return.
template <typename Traits>
class UniqueHandle {
 public:
  using Value = typename Traits::Value;

  UniqueHandle() noexcept : value_(Traits::Invalid()) {}
  explicit UniqueHandle(Value value) noexcept : value_(value) {}
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  UniqueHandle(UniqueHandle&& other) noexcept : value_(other.Release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset(other.Release());
    }
    return *this;
  }
  ~UniqueHandle() { Reset(); }

  const Value& Get() const noexcept { return value_; }
  bool IsValid() const noexcept { return Traits::IsValid(value_); }

  // Gives up ownership without closing.
  Value Release() noexcept {
    Value value = value_;
    value_ = Traits::Invalid();
    return value;
  }

  // Closes the held handle, if live, and takes `value` instead.
  void Reset(Value value = Traits::Invalid()) noexcept {
    if (Traits::IsValid(value_)) {
      Traits::Close(value_);
    }
    value_ = value;
  }

 private:
  Value value_;
};

// Traits of a handle that is a pointer or an integer, holding nothing when
// zero, and released by `close`.
template <typename Handle, void (*close)(Handle)>
struct NullableHandleTraits {
  using Value = Handle;
  static Value Invalid() { return Value{}; }
  static bool IsValid(Value value) { return value != Value{}; }
  static void Close(Value value) { close(value); }
};

}  // namespace platform
