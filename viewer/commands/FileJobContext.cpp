#include "viewer/commands/FileJobContext.h"

#include <utility>

#include "viewer/commands/FileWorker.h"
#include "viewer/settings/FolderIni.h"
#include "viewer/settings/UiTextTable.h"

namespace viewer {

void FileJobContext::progress(std::int64_t done, std::int64_t total) {
  worker_.window().Post(kMessageFileProgress, static_cast<std::uintptr_t>(done), static_cast<std::intptr_t>(total));
}

bool FileJobContext::stop_requested() const { return !worker_.busy(); }

std::string FileJobContext::ask_folder(std::string_view key, int prompt_text) {
  const auto pick = worker_.dialogs().pick_folder;
  if (!pick) return {};
  return worker_.AskUi<std::string>([pick, key = std::string(key), prompt_text] { return pick(key, prompt_text); })
      .value_or(std::string());
}

bool FileJobContext::question(const std::string& text, const std::string& caption) {
  const auto ask = worker_.dialogs().question;
  if (!ask) return false;
  return worker_.AskUi<bool>([ask, text, caption] { return ask(text, caption); }).value_or(false);
}

void FileJobContext::message(const std::string& text, const std::string& caption) {
  const auto show = worker_.dialogs().message;
  if (show) worker_.RunOnUi([show, text, caption] { show(text, caption); });
}

bool FileJobContext::question(int text, int caption) {
  return question(std::string(UiText(text)), std::string(UiText(caption)));
}

void FileJobContext::message(int text, const std::string& caption) { message(std::string(UiText(text)), caption); }

std::optional<std::vector<library::RecordingEntry>> FileJobContext::select_files(
    FileSelectMode mode, std::vector<library::RecordingEntry> entries) {
  const auto select = worker_.dialogs().select_files;
  if (!select) return std::nullopt;
  using Result = std::optional<std::vector<library::RecordingEntry>>;
  return worker_
      .AskUi<Result>([select, mode, entries = std::move(entries)] { return select(mode, entries); })
      .value_or(std::nullopt);
}

void FileJobContext::write_setting(std::string section, std::string key, std::string value) {
  worker_.RunOnUi([section = std::move(section), key = std::move(key), value = std::move(value)] {
    WriteFolderIni(section, key, value);
  });
}

bool FileJobContext::on_ui_thread(std::function<void()> action) { return worker_.RunOnUi(std::move(action)); }

const std::vector<library::RecordingEntry>& FileJobContext::entries() const { return worker_.entries(); }

platform::MessageSink& FileJobContext::window() { return worker_.window(); }

}  // namespace viewer
