#pragma once

#include <functional>

#include "platform/MessageSink.h"

namespace viewer {

class CQuorbexDlg;

// The window's hooks are shared by several controllers, each installed in
// front of the ones before it; these keep the chain.

// handler sees every command first; those it does not take (false) go on to
// the hook installed before.
void ChainCommand(CQuorbexDlg& window, std::function<bool(int command)> handler);
// handler sees every message after the hooks installed before.
void ChainMessage(CQuorbexDlg& window, std::function<void(const platform::Message&)> handler);
// action runs after what hook did before.
void ChainAfter(std::function<void()>& hook, std::function<void()> action);

}  // namespace viewer
