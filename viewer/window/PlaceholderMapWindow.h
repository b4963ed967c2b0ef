#pragma once

#include <QWidget>
#include <string>

#include "mapview/MapWindow.h"

namespace viewer {

// PLACEHOLDER until the web and native map windows are built in: a blank
// map window that takes every operation and draws nothing. The factory
// makes it for both kinds.
class PlaceholderMapWindow : public QWidget, public mapview::MapWindow {
 public:
  explicit PlaceholderMapWindow(QWidget* parent) : QWidget(parent) {}

  void ExecScript(const std::string&) override {}
  void UpdateData(double, double, const std::string&) override {}
  bool PostWebMessage(const std::string&) override { return false; }
  void SetOnlineMark(bool) override {}
  void ShowMapWindow(bool show) override { setVisible(show); }
  bool IsMapWindowVisible() const override { return !isHidden(); }
};

}  // namespace viewer
