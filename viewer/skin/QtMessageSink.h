#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QPointer>

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

// Posts messages to a Qt object's event queue; safe from any thread.
class QtMessageSink : public platform::MessageSink {
 public:
  explicit QtMessageSink(QObject* target) : target_(target) {}
  void Post(std::uint32_t message, std::uintptr_t wparam, std::intptr_t lparam) override {
    if (target_) QCoreApplication::postEvent(target_, new MessageEvent({message, wparam, lparam}));
  }

 private:
  QPointer<QObject> target_;
};

}  // namespace viewer
