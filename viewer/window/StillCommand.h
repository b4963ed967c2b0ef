#pragma once

namespace viewer {

class CQuorbexDlg;

// Still pictures (38006): the frame each camera shows, at the video's own
// size, as JPEG files named after the recording and the front's frame
// number, in a folder the user picks ("FOLDERPATH"/"SNAPSHOT_FOLDER",
// written once a picture was saved). Either name existing asks first. Each
// file is written under a temporary name and renamed when complete. Runs on
// the UI thread (no worker). Installs itself in the window's command hook.
class StillCommand {
 public:
  explicit StillCommand(CQuorbexDlg& window);
  StillCommand(const StillCommand&) = delete;
  StillCommand& operator=(const StillCommand&) = delete;

  void Run();

 private:
  CQuorbexDlg& window_;
};

}  // namespace viewer
