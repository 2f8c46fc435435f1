// AnonymousMemory: a read-write shared memory area backed by no file, for data the program builds
// at start-up and then only reads (the IP-to-country table).
//
// The area is zero-filled when created and released by the destructor. Seal() makes it read-only
// for good, so that any later write, from any thread, faults at once instead of silently changing
// what other threads read without a lock. Move-only.
//
// Tests make creation fail through SetAnonymousMemoryFaultHook, so that the start-up message for
// a failed area can be exercised without exhausting memory.
#pragma once

#include <cstddef>
#include <functional>

#include "core/result.h"

namespace velmora {

class AnonymousMemory {
 public:
  AnonymousMemory() = default;
  ~AnonymousMemory();
  AnonymousMemory(AnonymousMemory&& other) noexcept;
  AnonymousMemory& operator=(AnonymousMemory&& other) noexcept;
  AnonymousMemory(const AnonymousMemory&) = delete;
  AnonymousMemory& operator=(const AnonymousMemory&) = delete;

  // Maps `size` bytes, rounded up to whole pages by the system. Fails with EINVAL for size 0;
  // otherwise the error code is the errno of the mapping and the message its system text.
  static Result<AnonymousMemory> Create(size_t size);

  // Makes the whole area read-only. Writes after a successful Seal() fault.
  Status Seal();

  unsigned char* data() const { return data_; }
  size_t size() const { return size_; }
  bool sealed() const { return sealed_; }

 private:
  void Release();

  unsigned char* data_ = nullptr;
  size_t size_ = 0;
  bool sealed_ = false;
};

// Test seam: when set, called with the requested size before each Create; a non-zero return fails
// the creation with that errno.
using AnonymousMemoryFaultHook = std::function<int(size_t size)>;
void SetAnonymousMemoryFaultHook(AnonymousMemoryFaultHook hook);

}  // namespace velmora
