#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace viewer {

// The settings sections and keys.
inline constexpr char kSectionDisplay[] = "DISPLAY";
inline constexpr char kSectionDecode[] = "DECODE";
inline constexpr char kSectionFolderPath[] = "FOLDERPATH";
inline constexpr char kSectionSource[] = "SOURCE";
inline constexpr char kKeyInfoCheck[] = "INFOCHECK";
inline constexpr char kKeyAspect[] = "ASPECT";
inline constexpr char kKeyVolume[] = "VOLUME";
inline constexpr char kKeyHw[] = "HW";
inline constexpr char kKeyCsvFolder[] = "CSV_FOLDER";
inline constexpr char kKeyConnectFolder[] = "CONNECT_FOLDER";
inline constexpr char kKeySnapshotFolder[] = "SNAPSHOT_FOLDER";
inline constexpr char kKeySelect[] = "SELECT";
inline constexpr char kKeySd[] = "SD";
inline constexpr char kKeyFolder[] = "FOLDER";
inline constexpr char kKeyFile[] = "FILE";
inline constexpr char kSettingsFileName[] = "Default_Folder.ini";

// Captures the start-up folder (the current directory when the program
// starts) and decides where the settings file lives: in the start-up folder
// when a settings file is already there (a portable set-up), otherwise in
// $XDG_CONFIG_HOME/brennovale. Called once at start-up; tests call it again.
void InitializeSettings(const std::filesystem::path& startup_folder, const std::filesystem::path& config_home = {});

const std::filesystem::path& StartupFolder();
std::filesystem::path SettingsFilePath();
bool SettingsFileExists();

// A value of the settings file; empty when the key or the file is missing.
// Values are cut at 259 UTF-16 units as the system call cuts them.
std::string ReadFolderIni(std::string_view section, std::string_view key);
// The same, but nullopt when the key is missing, so that a value written
// empty on purpose can be told from one never written.
std::optional<std::string> ReadFolderIniIfPresent(std::string_view section, std::string_view key);
// Writes one value through to the file at once (temporary file, fsync,
// rename) and marks the file hidden where the file system has the attribute.
// A settings file that exists but cannot be read is never replaced: the write
// fails, and error (when given) says why.
bool WriteFolderIni(std::string_view section, std::string_view key, std::string_view value,
                    std::string* error = nullptr);

// The three display defaults, written only when the file is missing.
void WriteDisplayDefaultsIfMissing();

// Start-up readings of the settings, with the defaults for missing values.
bool KeepAspectSetting();
int VolumeSetting();
bool HardwareDecodeSetting();

}  // namespace viewer
