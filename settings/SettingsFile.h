#pragma once
#include "platform/FileStore.h"
#include "settings/IniConvert.h"
#include "settings/StripSettings.h"

#include <functional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

namespace zrm58 {

// A save that failed; what() is UTF-8, either "ファイル <path> は開けません。 <reason> " (the
// existing file could not be read) or "ファイル "<path>" を作成できません。<reason>" (the new
// content could not be stored). The reason is the system's text for the error.
class SettingsFileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr std::string_view kSettingsFileName = "ZRM58.ini";

using ApplySetting = std::function<void(SettingKey, const SettingValue&)>;
using CollectSettings = std::function<StripSettings()>;

// Reads every loaded key in table order and hands each converted value to `apply` at once.
// A missing or unreadable file gives all defaults. Each value arrives within its row's `read`
// limits, a Float held in single precision narrowed to it (Opacity: 0..1). A colour that does not
// convert throws ConversionError after the earlier keys were applied.
void ReadIniFile(const FileStore& store, const std::string& path, char16_t decimalSep,
                 const ApplySetting& apply);
void ReadIniFile(const std::string& path, char16_t decimalSep, const ApplySetting& apply);

// Loads the existing file (SettingsFileError "は開けません" when it exists but cannot be read;
// `collect` is then not called), takes the values from `collect`, clamps each within its row's
// `saved` limits (a negative Top and Left become 0), sets every key of the table and replaces the
// file atomically (SettingsFileError "を作成でき ません" on failure; the old file stays whole).
// Content that would pass kMaxSettingsFileBytes is not written (EFBIG). When the old file's text
// was not read as it was written (no UTF-16 and no UTF-8), its bytes are first kept beside it, with
// the file's permissions, in "<path>.bak" (or the first free of "<path>.bak.2" ... "<path>.bak.9"
// when a different backup stands there already; with all nine taken, in place of the one written
// longest ago), said once on standard error; a backup that fails fails the save before the file is
// touched.
void WriteIniFile(FileStore& store, const std::string& path, char16_t decimalSep,
                  const CollectSettings& collect);
void WriteIniFile(const std::string& path, char16_t decimalSep, const CollectSettings& collect);

// Only the given keys, into a record whose other fields keep their defaults; a file that exists
// but cannot be read gives the defaults and its error. A colour among the keys that does not
// convert throws ConversionError; the keys not asked for are not converted at all.
struct SettingsRead {
    StripSettings settings;
    std::error_code error;
};
SettingsRead readSettingsKeys(const FileStore& store, const std::string& path, char16_t decimalSep,
                              std::span<const SettingKey> keys);

// ReadIniFile into a record; the values as stored (no window size guard).
StripSettings readStripSettings(const FileStore& store, const std::string& path,
                                char16_t decimalSep);
StripSettings readStripSettings(const std::string& path, char16_t decimalSep);

// A record's field for a key, through the key's row.
void applySetting(StripSettings& settings, SettingKey key, const SettingValue& value);
SettingValue settingValue(const StripSettings& settings, SettingKey key);
// A value taken within its row's `read` limits, a Float in the precision of the record's field
// (NaN, never produced by the reader, gives the default): what every reader hands on.
SettingValue limitedOnReading(const SettingDef& def, SettingValue value);
// A numeric value within `bounds`; others as they are.
SettingValue withinBounds(const SettingValue& value, const Bounds& bounds);
// The position a save stores: every field within its row's `saved` limits (a negative Top,
// then a negative Left, becomes 0).
void clampPosition(StripSettings& settings);
// Opacity as read: single precision, limited to 0..1; NaN gives the default 0.5.
float limitOpacity(double value);

// The directory that holds the settings file, with its trailing separator: the executable's
// directory when a settings file already stands there or the directory is writable (a portable
// copy, the build tree); otherwise <config dir>/zrm58/, created by the first save. An empty
// `exeDir` means the executable's directory is unknown.
// A directory that another user may write to is never the home: a portable copy run from /tmp
// or from someone else's folder keeps its settings in the configuration directory.
std::string resolveHomePath(const std::string& exeDir, const FileStore& store);
std::string homePath(const FileStore& store);
std::string settingsFilePath(const FileStore& store);
std::string settingsFilePath(); // on the system's store

// The system's file store, created on first use; the overloads without a store use it.
FileStore& systemFileStore();

} // namespace zrm58
