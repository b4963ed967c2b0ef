#include "platform/GuardedMemory.h"

#include <atomic>
#include <csetjmp>
#include <csignal>
#include <cstring>
#include <mutex>

namespace platform {
namespace {

// volatile: the compiler must not move or drop the stores around memcpy,
// which it otherwise knows cannot read this variable.
thread_local sigjmp_buf* volatile t_active_guard = nullptr;
struct sigaction g_previous_handler;
std::once_flag g_install_once;

void OnBusError(int signo, siginfo_t* info, void* context) {
  if (t_active_guard != nullptr) {
    // The handler runs with SA_NODEFER, so SIGBUS is not left blocked after the jump.
    siglongjmp(*t_active_guard, 1);
  }
  // A fault outside a guarded copy is a real error: hand it to whoever was
  // there before us, or let the default action end the process.
  if (g_previous_handler.sa_flags & SA_SIGINFO) {
    if (g_previous_handler.sa_sigaction != nullptr) {
      g_previous_handler.sa_sigaction(signo, info, context);
      return;
    }
  } else if (g_previous_handler.sa_handler != SIG_IGN && g_previous_handler.sa_handler != SIG_DFL) {
    g_previous_handler.sa_handler(signo);
    return;
  }
  signal(signo, SIG_DFL);
}

void InstallHandler() {
  struct sigaction action {};
  action.sa_sigaction = OnBusError;
  action.sa_flags = SA_SIGINFO | SA_NODEFER;
  sigemptyset(&action.sa_mask);
  sigaction(SIGBUS, &action, &g_previous_handler);
}

// Kept out of line so that the jump buffer's frame holds only trivial objects.
__attribute__((noinline)) bool CopyUnderGuard(void* dst, const void* src, std::size_t n) {
  sigjmp_buf jump;
  sigjmp_buf* const outer = t_active_guard;
  if (sigsetjmp(jump, 0) != 0) {
    t_active_guard = outer;
    return false;
  }
  t_active_guard = &jump;
  std::atomic_signal_fence(std::memory_order_seq_cst);
  std::memcpy(dst, src, n);
  std::atomic_signal_fence(std::memory_order_seq_cst);
  t_active_guard = outer;
  return true;
}

}  // namespace

bool GuardedCopy(void* dst, const void* src, std::size_t n) {
  if (n == 0) return true;
  std::call_once(g_install_once, InstallHandler);
  return CopyUnderGuard(dst, src, n);
}

}  // namespace platform
