#include "viewer/window/WindowHooks.h"

#include <utility>

#include "viewer/window/CQuorbexDlg.h"

namespace viewer {

void ChainCommand(CQuorbexDlg& window, std::function<bool(int command)> handler) {
  window.on_command = [handler = std::move(handler), next = std::move(window.on_command)](int command) {
    if (!handler(command) && next) next(command);
  };
}

void ChainMessage(CQuorbexDlg& window, std::function<void(const platform::Message&)> handler) {
  window.on_message = [handler = std::move(handler), next = std::move(window.on_message)](const platform::Message& m) {
    if (next) next(m);
    handler(m);
  };
}

void ChainAfter(std::function<void()>& hook, std::function<void()> action) {
  hook = [action = std::move(action), next = std::move(hook)] {
    if (next) next();
    action();
  };
}

}  // namespace viewer
