#include "app/CQuorbexApp.h"

#include <QCoreApplication>
#include <QTimer>
#include <charconv>
#include <clocale>
#include <cstdio>
#include <optional>

#include "library/ui/CFilerContainerDlg.h"
#include "viewer/commands/CommandLineSource.h"
#include "viewer/commands/MainWindowLayout.h"
#include "viewer/settings/FolderIni.h"
#include "viewer/settings/UiTextTable.h"
#include "viewer/skin/UiFonts.h"
#include "viewer/window/CQuorbexDlg.h"

namespace app {

namespace {

// A whole decimal number of at least 0; nothing when text is anything else.
std::optional<int> Count(const std::string& text) {
  int n = 0;
  const auto r = std::from_chars(text.data(), text.data() + text.size(), n);
  if (r.ec != std::errc() || r.ptr != text.data() + text.size() || n < 0) return std::nullopt;
  return n;
}

}  // namespace

bool CQuorbexApp::ParseArguments(const std::vector<std::string>& args, Options* options, std::string* error) {
  const char* usage = "usage: brennovale [PATH] [--select ROW] [--size-mode 0-2] [--screenshot PNG [MILLISECONDS]]";
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--select") {
      const std::optional<int> row = i + 1 < args.size() ? Count(args[i + 1]) : std::nullopt;
      if (!row) {
        *error = usage;
        return false;
      }
      options->select_row = *row;
      ++i;
    } else if (args[i] == "--size-mode") {
      const std::optional<int> mode = i + 1 < args.size() ? Count(args[i + 1]) : std::nullopt;
      if (!mode || *mode >= viewer::kSizeModes) {
        *error = usage;
        return false;
      }
      options->size_mode = *mode;
      ++i;
    } else if (args[i] == "--screenshot") {
      if (i + 1 >= args.size()) {
        *error = usage;
        return false;
      }
      options->screenshot = args[++i];
      if (i + 1 < args.size()) {
        if (const std::optional<int> ms = Count(args[i + 1])) {
          options->screenshot_delay_ms = *ms;
          ++i;
        }
      }
    } else if (options->source.empty() && (args[i].empty() || args[i][0] != '-')) {
      options->source = args[i];
    } else {
      *error = usage;
      return false;
    }
  }
  return true;
}

CQuorbexApp::CQuorbexApp() = default;

CQuorbexApp::~CQuorbexApp() = default;

bool CQuorbexApp::InitInstance(const Options& options, std::string* error) {
  options_ = options;
  std::error_code ec;
  const std::filesystem::path startup =
      options.startup_folder.empty() ? std::filesystem::current_path(ec) : options.startup_folder;
  viewer::InitializeSettings(startup, options.config_home);
  const char* locale = std::setlocale(LC_MESSAGES, nullptr);
  viewer::SetUiLanguage(viewer::UiLanguageForLocale(locale != nullptr ? locale : ""));
  viewer::UiFonts::Shared();

  window_ = std::make_unique<viewer::CQuorbexDlg>();
  const bool initialised = window_->InitDialog();
  bool ok = true;
  if (!options.source.empty()) {
    // Stored before the deferred initialisation reads "SOURCE".
    const viewer::CommandLineSource source = viewer::ChooseCommandLineSource(options.source);
    if (source.kind == library::SourceKind::kNone) {
      if (error != nullptr) *error = source.error;
      ok = false;
    } else if (!viewer::StoreCommandLineSource(source)) {
      if (error != nullptr) *error = source.path.string() + ": the source could not be stored in the settings";
      ok = false;
    }
  }
  window_->show();
  if (options.size_mode != 0) window_->ApplySizeMode(options.size_mode);
  if (options.select_row >= 0) {
    // Queued behind the deferred initialisation, which lists the source.
    QTimer::singleShot(0, window_.get(), [this] {
      library::CFilerContainerDlg* filer = window_->filer();
      const auto row = static_cast<std::size_t>(options_.select_row);
      if (row < filer->list()->rows().size()) {
        filer->list()->on_row_selected(options_.select_row);
      } else {
        std::fprintf(stderr, "brennovale: the list has no row %d\n", options_.select_row);
      }
    });
  }
  if (!options.screenshot.empty()) {
    QTimer::singleShot(options.screenshot_delay_ms, window_.get(), [this] {
      const bool saved = window_->grab().save(QString::fromStdString(options_.screenshot.string()));
      if (!saved) std::fprintf(stderr, "brennovale: %s: the picture could not be written\n", options_.screenshot.c_str());
      window_->Shutdown();
      QCoreApplication::exit(saved ? 0 : 1);
    });
  }
  return ok && initialised;
}

int CQuorbexApp::Run() {
  QObject::connect(window_.get(), &QDialog::finished, qApp, [] { QCoreApplication::exit(0); });
  const int status = QCoreApplication::exec();
  window_->Shutdown();
  return status;
}

}  // namespace app
