#pragma once

#include <QEvent>

#include "platform/MessageSink.h"

namespace viewer {

// A posted private message as a Qt event: the message number, wParam, lParam.
class MessageEvent : public QEvent {
 public:
  static QEvent::Type TypeId() {
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
  }
  explicit MessageEvent(platform::Message m) : QEvent(TypeId()), message(m) {}
  platform::Message message;
};

}  // namespace viewer
