#pragma once

#include <memory>

#include "platform/NamedMutex.h"

namespace platform {

// Holds a named mutex for its lifetime.
class NamedMutexLock {
 public:
  explicit NamedMutexLock(NamedMutex& mutex) : mutex_(&mutex) { mutex_->Lock(); }
  explicit NamedMutexLock(const std::shared_ptr<NamedMutex>& mutex) : NamedMutexLock(*mutex) {}
  ~NamedMutexLock() { mutex_->Unlock(); }
  NamedMutexLock(const NamedMutexLock&) = delete;
  NamedMutexLock& operator=(const NamedMutexLock&) = delete;

 private:
  NamedMutex* mutex_;
};

}  // namespace platform
