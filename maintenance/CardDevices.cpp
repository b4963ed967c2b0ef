#include "maintenance/CardDevices.h"

#include <sys/sysmacros.h>

#include <algorithm>
#include <charconv>
#include <fstream>
#include <system_error>

#include "maintenance/FormatScript.h"
#include "platform/MountTable.h"

namespace maintenance {
namespace {

namespace fs = std::filesystem;

bool StartsWith(const std::string& s, std::string_view prefix) { return s.rfind(prefix, 0) == 0; }

std::string Trimmed(std::string s) {
  const auto not_space = [](unsigned char c) { return c != ' ' && c != '\t' && c != '\r' && c != '\n'; };
  s.erase(s.begin(), std::find_if(s.begin(), s.end(), not_space));
  s.erase(std::find_if(s.rbegin(), s.rend(), not_space).base(), s.end());
  return s;
}

std::string Attribute(const fs::path& path) { return Trimmed(platform::ReadFirstLine(path)); }

std::uint64_t Number(const std::string& text) {
  std::uint64_t value = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() ? value : 0;
}

std::vector<std::string> Entries(const fs::path& folder) {
  std::vector<std::string> names;
  std::error_code ec;
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    names.push_back(it->path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

// Virtual disks: loop, device-mapper, RAID, compressed RAM, optical.
bool IsVirtual(const std::string& name) {
  for (std::string_view prefix : {"loop", "dm-", "md", "zram", "ram", "sr", "nbd"}) {
    if (StartsWith(name, prefix)) return true;
  }
  return false;
}

}  // namespace

std::string DevnoText(std::uint64_t dev) {
  return std::to_string(major(dev)) + ":" + std::to_string(minor(dev));
}

std::string SizeText(std::uint64_t bytes) {
  const bool gigabytes = bytes >= 1000ULL * 1000 * 1000;
  const std::uint64_t unit = gigabytes ? 1000ULL * 1000 * 1000 : 1000ULL * 1000;
  const std::uint64_t tenths = (bytes * 10 + unit / 2) / unit;
  std::string text = std::to_string(tenths / 10);
  if (gigabytes) text += "." + std::to_string(tenths % 10);  // always a point: never the locale's comma
  return text + (gigabytes ? " GB" : " MB");
}

CardDevices::CardDevices(DiskSystemRoots roots, std::vector<std::string> protected_devnos)
    : roots_(std::move(roots)), protected_devnos_(std::move(protected_devnos)) {}

fs::path CardDevices::DiskFolder(const std::string& name) const {
  std::error_code ec;
  const fs::path folder = fs::canonical(roots_.sysfs / "class/block" / name, ec);
  return ec ? fs::path() : folder;
}

std::string CardDevices::DiskOfName(const std::string& name) const {
  if (name.empty() || name.find('/') != std::string::npos) return {};
  const fs::path folder = DiskFolder(name);
  if (folder.empty()) return {};
  std::error_code ec;
  if (fs::exists(folder / "partition", ec)) return folder.parent_path().filename().string();
  return folder.filename().string();
}

std::string CardDevices::DiskOfDevno(const std::string& devno) const {
  std::error_code ec;
  const fs::path folder = fs::canonical(roots_.sysfs / "dev/block" / devno, ec);
  if (ec) return {};
  if (fs::exists(folder / "partition", ec)) return folder.parent_path().filename().string();
  return folder.filename().string();
}

void CardDevices::AddWithSlaves(const std::string& disk, std::vector<std::string>& out, int depth) const {
  if (disk.empty() || depth > 8) return;
  out.push_back(disk);
  // A mapped or RAID device protects every disk it is made of.
  for (const std::string& slave : Entries(roots_.sysfs / "class/block" / disk / "slaves")) {
    AddWithSlaves(DiskOfName(slave), out, depth + 1);
  }
}

std::vector<std::string> CardDevices::ProtectedDisks() const {
  std::vector<std::string> disks;
  const std::vector<platform::MountEntry> mounts = platform::ReadMountTable(roots_.mountinfo);
  auto devno_of_path = [&mounts](const std::string& path) {
    // The longest mount point that holds path.
    std::string best_devno;
    std::size_t best = 0;
    for (const platform::MountEntry& m : mounts) {
      const std::string point = m.point.string();
      const bool inside =
          path == point || (StartsWith(path, point) && (point == "/" || path[point.size()] == '/'));
      if (inside && point.size() >= best) {
        best = point.size();
        best_devno = m.devno;
      }
    }
    return best_devno;
  };
  for (const platform::MountEntry& m : mounts) {
    const std::string point = m.point.string();
    if (point == "/" || point == "/boot" || StartsWith(point, "/boot/")) AddWithSlaves(DiskOfDevno(m.devno), disks, 0);
  }
  std::ifstream swaps(roots_.swaps);
  std::string line;
  std::getline(swaps, line);  // the heading
  while (std::getline(swaps, line)) {
    const std::string file = line.substr(0, line.find_first_of(" \t"));
    if (StartsWith(file, "/dev/")) {
      std::error_code ec;
      const fs::path node = fs::weakly_canonical(roots_.dev / fs::path(file).lexically_relative("/dev"), ec);
      AddWithSlaves(DiskOfName(node.filename().string()), disks, 0);
    } else if (!file.empty()) {
      AddWithSlaves(DiskOfDevno(devno_of_path(file)), disks, 0);
    }
  }
  for (const std::string& devno : protected_devnos_) AddWithSlaves(DiskOfDevno(devno), disks, 0);
  return disks;
}

bool CardDevices::HasHolders(const std::string& disk) const {
  const fs::path folder = DiskFolder(disk);
  if (!Entries(folder / "holders").empty()) return true;
  std::error_code ec;
  for (const std::string& child : Entries(folder)) {
    if (fs::exists(folder / child / "partition", ec) && !Entries(folder / child / "holders").empty()) return true;
  }
  return false;
}

std::string CardDevices::Refusal(const std::string& name) const {
  if (name.empty() || name.find('/') != std::string::npos || name == "." || name == "..") return "no such disk";
  const fs::path folder = DiskFolder(name);
  std::error_code ec;
  if (folder.empty()) return "no such disk";
  if (fs::exists(folder / "partition", ec)) return "a partition, not a whole disk";
  if (IsVirtual(name)) return "a loop, mapped or RAID device";
  if (StartsWith(name, "mmcblk")) {
    if (name.find("boot") != std::string::npos || name.find("rpmb") != std::string::npos) {
      return "a boot or rpmb part of a built-in memory";
    }
    if (Attribute(folder / "device/type") != "SD") return "built-in memory (eMMC), not an SD card";
  } else {
    if (Attribute(folder / "removable") != "1") return "not a removable disk";
    bool usb = false;
    for (const fs::path& part : folder) usb = usb || StartsWith(part.string(), "usb");
    if (!usb) return "not on USB";
  }
  if (HasHolders(name)) return "a member of a RAID or mapped device";
  const std::vector<std::string> system = ProtectedDisks();
  if (std::find(system.begin(), system.end(), name) != system.end()) {
    return "holds the system, swap, the program or its settings";
  }
  if (Number(Attribute(folder / "size")) == 0) return "no medium";
  return {};
}

fs::path CardDevices::ByIdOf(const std::string& disk) const {
  const fs::path folder = roots_.dev / "disk/by-id";
  fs::path found;
  for (const std::string& link : Entries(folder)) {
    std::error_code ec;
    const fs::path target = fs::read_symlink(folder / link, ec);
    if (ec || target.filename() != disk) continue;
    // The bus's own name carries the serial; "wwn-" and the like come after.
    if (found.empty() || StartsWith(link, "mmc-") || StartsWith(link, "usb-")) found = fs::path(kByIdFolder) / link;
  }
  return found;
}

std::string CardDevices::LabelOf(const std::string& disk) const {
  const fs::path folder = roots_.dev / "disk/by-label";
  for (const std::string& link : Entries(folder)) {
    std::error_code ec;
    const fs::path target = fs::read_symlink(folder / link, ec);
    if (!ec && DiskOfName(target.filename().string()) == disk) return link;
  }
  return {};
}

std::vector<fs::path> CardDevices::MountPointsOf(const std::string& disk) const {
  std::vector<fs::path> points;
  for (const platform::MountEntry& m : platform::ReadMountTable(roots_.mountinfo)) {
    if (DiskOfDevno(m.devno) == disk) points.push_back(m.point);
  }
  return points;
}

CardDevice CardDevices::Describe(const std::string& disk) const {
  const fs::path folder = DiskFolder(disk);
  CardDevice card;
  card.name = disk;
  card.by_id = ByIdOf(disk);
  card.size = Number(Attribute(folder / "size")) * 512;  // sysfs counts 512-byte sectors whatever the disk's
  card.serial = Attribute(folder / "device/serial");
  if (card.serial.empty()) card.serial = card.by_id.filename().string();
  card.model = Attribute(folder / "device/name");
  if (card.model.empty()) card.model = Trimmed(Attribute(folder / "device/vendor") + " " + Attribute(folder / "device/model"));
  card.label = LabelOf(disk);
  card.mount_points = MountPointsOf(disk);
  return card;
}

std::optional<CardDevice> CardDevices::Find(const std::string& name) const {
  if (!Refusal(name).empty()) return std::nullopt;
  return Describe(name);
}

std::vector<CardDevice> CardDevices::List() const {
  std::vector<CardDevice> cards;
  for (const std::string& name : Entries(roots_.sysfs / "block")) {
    if (Refusal(name).empty()) cards.push_back(Describe(name));
  }
  return cards;
}

}  // namespace maintenance
