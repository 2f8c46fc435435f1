#include "platform/anonymous_memory.h"

#include <sys/mman.h>

#include <cerrno>
#include <mutex>
#include <utility>

#include "platform/sys_error.h"

namespace velmora {
namespace {

std::mutex& HookMutex() {
  static std::mutex mutex;
  return mutex;
}
AnonymousMemoryFaultHook& Hook() {
  static AnonymousMemoryFaultHook hook;
  return hook;
}

// Copies the hook under the lock and calls it outside, so a hook may itself create areas.
int InjectedFault(size_t size) {
  AnonymousMemoryFaultHook hook;
  {
    std::lock_guard lock(HookMutex());
    hook = Hook();
  }
  return hook ? hook(size) : 0;
}

Error SystemError(int code) { return Error{code, SystemErrorText(code)}; }

}  // namespace

void SetAnonymousMemoryFaultHook(AnonymousMemoryFaultHook hook) {
  std::lock_guard lock(HookMutex());
  Hook() = std::move(hook);
}

AnonymousMemory::~AnonymousMemory() { Release(); }

AnonymousMemory::AnonymousMemory(AnonymousMemory&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)),
      size_(std::exchange(other.size_, 0)),
      sealed_(std::exchange(other.sealed_, false)) {}

AnonymousMemory& AnonymousMemory::operator=(AnonymousMemory&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    size_ = std::exchange(other.size_, 0);
    sealed_ = std::exchange(other.sealed_, false);
  }
  return *this;
}

Result<AnonymousMemory> AnonymousMemory::Create(size_t size) {
  if (const int fault = InjectedFault(size); fault != 0) return SystemError(fault);
  if (size == 0) return SystemError(EINVAL);
  void* area = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  if (area == MAP_FAILED) return SystemError(errno);
  AnonymousMemory memory;
  memory.data_ = static_cast<unsigned char*>(area);
  memory.size_ = size;
  return memory;
}

Status AnonymousMemory::Seal() {
  if (data_ == nullptr) return SystemError(EBADF);
  if (::mprotect(data_, size_, PROT_READ) != 0) return SystemError(errno);
  sealed_ = true;
  return {};
}

void AnonymousMemory::Release() {
  if (data_ != nullptr) ::munmap(data_, size_);
  data_ = nullptr;
  size_ = 0;
  sealed_ = false;
}

}  // namespace velmora
