#include "maintenance/UpdateServerSetting.h"

#include "viewer/settings/FolderIni.h"

namespace maintenance {

std::string ReadUpdateServer() {
  const auto value = viewer::ReadFolderIniIfPresent(kSectionUpdate, kKeyServer);
  return value ? *value : kDefaultUpdateServer;
}

}  // namespace maintenance
