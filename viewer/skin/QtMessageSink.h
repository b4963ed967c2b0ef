#pragma once

#include <QCoreApplication>
#include <QObject>
#include <QPointer>

#include "platform/MessageSink.h"
#include "viewer/skin/MessageEvent.h"

namespace viewer {

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
