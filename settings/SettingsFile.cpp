#include "settings/SettingsFile.h"

#include "settings/IniDocument.h"
#include "settings/Utf.h"
#include "texts/Texts.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>
#include <system_error>
#include <type_traits>
#include <vector>

namespace zrm58 {
namespace {

// Backups of former bytes kept beside the settings file at most: "<path>.bak", "<path>.bak.2"
// ... "<path>.bak.9".
constexpr int kMaxBackups = 9;

std::string openFailure(const std::string& path, const std::error_code& error) {
    return toUtf8(fillText(localText(TextId::CannotOpenFile),
                           {fromUtf8OrWindows1252(path), fromUtf8OrWindows1252(error.message())}));
}

std::string createFailure(const std::string& path, const std::error_code& error) {
    return toUtf8(fillText(localText(TextId::CannotCreateFile),
                           {fromUtf8OrWindows1252(path), fromUtf8OrWindows1252(error.message())}));
}

} // namespace

namespace {

struct LoadedFile {
    FileRead read;
    DecodedText decoded;
    bool exists = false;
};

// The bytes are kept only where a save needs them: a text not read as written is backed up.
LoadedFile loadFile(const FileStore& store, const std::string& path) {
    LoadedFile file{store.readFile(path), {}};
    if (file.read.bytes) {
        file.decoded = IniDocument::decodeText(*file.read.bytes);
        file.exists = true;
        if (file.decoded.asWritten) file.read.bytes.reset();
    }
    return file;
}

// The converted values of the keys of `defs`, read from the text in one pass (no document is
// built: reading needs no more memory than the text).
template <typename OnValue>
void readSettings(const std::u16string& text, std::span<const SettingDef* const> defs,
                  char16_t decimalSep, OnValue&& onValue) {
    std::vector<IniDocument::Query> queries;
    for (const SettingDef* def : defs)
        queries.push_back({def->section, def->name});
    const auto stored = IniDocument::findAll(text, queries);
    for (std::size_t i = 0; i < defs.size(); ++i) {
        const SettingDef& def = *defs[i];
        const std::u16string value(stored[i] ? IniDocument::decodeValue(*stored[i])
                                             : std::u16string_view(def.defaultText));
        SettingValue converted;
        try {
            converted = convertSetting(def, value, decimalSep);
        } catch (ConversionError& e) {
            e.setPlace(def.section, def.name);
            throw;
        }
        onValue(def.key, limitedOnReading(def, std::move(converted)));
    }
}

// How the text was taken, for the notice about the backup.
const char* readingOf(TextEncoding encoding) {
    switch (encoding) {
    case TextEncoding::Utf16Le:
        return "is UTF-16 cut in its last code unit; it was read without that byte";
    case TextEncoding::Utf16LeUnmarked:
        return "has no byte-order mark; it was read as UTF-16 little-endian text";
    case TextEncoding::Utf8:
    case TextEncoding::Utf8OrWindows1252:
        break;
    }
    return "is neither UTF-16 nor UTF-8 text; it was read as UTF-8 where its bytes form UTF-8 "
           "and as Windows-1252 elsewhere";
}

std::string backupPath(const std::string& path, int n) {
    return path + ".bak" + (n == 1 ? "" : "." + std::to_string(n));
}

// Where the former bytes go: nowhere when a backup already holds them, else the first free
// backup name, else the backup written longest ago. A name taken by anything the store does not
// read as a file (a folder, a FIFO, a foreign link) is left alone; no name when every one is.
struct BackupChoice {
    bool alreadyKept = false;
    std::optional<std::string> name;
};

BackupChoice chooseBackup(const FileStore& store, const std::string& path,
                          const std::string& bytes) {
    std::optional<std::string> free, oldest;
    std::optional<std::int64_t> oldestAt;
    for (int n = 1; n <= kMaxBackups; ++n) {
        const std::string backup = backupPath(path, n);
        if (!store.exists(backup)) {
            if (!free) free = backup;
            continue;
        }
        const FileRead there = store.readFile(backup);
        if (there.bytes == bytes) return {true, std::nullopt}; // kept, and said, earlier
        if (!there.bytes) continue;
        const std::optional<std::int64_t> at = store.modifiedAt(backup);
        if (!oldest || at < oldestAt) { // an unknown time counts as the oldest
            oldest = backup;
            oldestAt = at;
        }
    }
    return {false, free ? free : oldest};
}

// Keeps the bytes of a file whose text was not read as written beside it, readable by no one
// who may not read the file itself.
void keepFormerBytes(FileStore& store, const std::string& path, const std::string& bytes,
                     TextEncoding encoding) {
    const BackupChoice choice = chooseBackup(store, path, bytes);
    if (choice.alreadyKept) return;
    const std::optional<std::string>& backup = choice.name;
    if (!backup)
        throw SettingsFileError(
            createFailure(path + ".bak", std::make_error_code(std::errc::file_exists)));
    const bool replacing = store.exists(*backup);
    if (const auto error = store.replaceFileLike(*backup, bytes, path))
        throw SettingsFileError(createFailure(*backup, error));
    std::fprintf(stderr, "zrm58: %s %s, and its former bytes are kept in %s%s\n", path.c_str(),
                 readingOf(encoding), backup->c_str(),
                 replacing ? " in place of the oldest backup" : "");
}

} // namespace

void ReadIniFile(const FileStore& store, const std::string& path, char16_t decimalSep,
                 const ApplySetting& apply) {
    // An unreadable file reads like a missing one; the next save reports it.
    const LoadedFile file = loadFile(store, path);
    std::vector<const SettingDef*> defs;
    for (const SettingDef& def : kSettingDefs)
        if (def.loaded) defs.push_back(&def);
    readSettings(file.decoded.text, defs, decimalSep, apply);
}

SettingsRead readSettingsKeys(const FileStore& store, const std::string& path, char16_t decimalSep,
                              std::span<const SettingKey> keys) {
    const LoadedFile file = loadFile(store, path);
    SettingsRead result{{}, file.read.error};
    std::vector<const SettingDef*> defs;
    for (const SettingDef& def : kSettingDefs)
        if (std::find(keys.begin(), keys.end(), def.key) != keys.end()) defs.push_back(&def);
    readSettings(file.decoded.text, defs, decimalSep,
                 [&](SettingKey key, const SettingValue& value) {
                     applySetting(result.settings, key, value);
                 });
    return result;
}

void WriteIniFile(FileStore& store, const std::string& path, char16_t decimalSep,
                  const CollectSettings& collect) {
    LoadedFile file = loadFile(store, path);
    if (file.read.error) throw SettingsFileError(openFailure(path, file.read.error));
    IniDocument doc = IniDocument::parse(file.decoded.text);
    file.decoded.text = std::u16string(); // the document holds what it needs
    StripSettings settings = collect();
    clampPosition(settings);
    for (const SettingDef& def : kSettingDefs) {
        doc.set(def.section, def.name,
                formatSettingText(settingValue(settings, def.key), decimalSep));
    }
    const std::string bytes = doc.toBytes();
    if (bytes.size() > kMaxSettingsFileBytes)
        throw SettingsFileError(
            createFailure(path, std::make_error_code(std::errc::file_too_large)));
    if (file.exists && !file.decoded.asWritten)
        keepFormerBytes(store, path, *file.read.bytes, file.decoded.encoding);
    if (const auto error = store.replaceFile(path, bytes))
        throw SettingsFileError(createFailure(path, error));
}

void ReadIniFile(const std::string& path, char16_t decimalSep, const ApplySetting& apply) {
    ReadIniFile(systemFileStore(), path, decimalSep, apply);
}

void WriteIniFile(const std::string& path, char16_t decimalSep, const CollectSettings& collect) {
    WriteIniFile(systemFileStore(), path, decimalSep, collect);
}

StripSettings readStripSettings(const FileStore& store, const std::string& path,
                                char16_t decimalSep) {
    StripSettings settings;
    ReadIniFile(store, path, decimalSep, [&](SettingKey key, const SettingValue& value) {
        applySetting(settings, key, value);
    });
    return settings;
}

StripSettings readStripSettings(const std::string& path, char16_t decimalSep) {
    return readStripSettings(systemFileStore(), path, decimalSep);
}

namespace {

// The record's value as the setting's type holds it: a float field as a Float.
template <typename T> SettingValue asValue(const T& v) {
    if constexpr (std::is_same_v<T, float>)
        return double{v};
    else
        return v;
}

template <typename T> T fromValue(const SettingValue& value) {
    if constexpr (std::is_same_v<T, float>)
        return static_cast<float>(std::get<double>(value));
    else
        return std::get<T>(value);
}

// Into the field as it is, without a limit.
void setField(StripSettings& s, const SettingDef& def, const SettingValue& value) {
    std::visit(
        [&](auto field) {
            using T = std::remove_reference_t<decltype(s.*field)>;
            s.*field = fromValue<T>(value);
        },
        def.field);
}

} // namespace

void applySetting(StripSettings& s, SettingKey key, const SettingValue& value) {
    const SettingDef& def = settingDef(key);
    setField(s, def, limitedOnReading(def, value));
}

SettingValue settingValue(const StripSettings& s, SettingKey key) {
    return std::visit([&](auto field) { return asValue(s.*field); }, settingDef(key).field);
}

SettingValue withinBounds(const SettingValue& value, const Bounds& bounds) {
    // A value at a limit is the limit itself: -0 below a lower limit of 0 is 0.
    const auto within = [&](double v) {
        return v <= bounds.min ? bounds.min : v >= bounds.max ? bounds.max : v;
    };
    if (const auto* i = std::get_if<std::int32_t>(&value))
        return static_cast<std::int32_t>(within(*i));
    if (const auto* d = std::get_if<double>(&value)) return std::isnan(*d) ? *d : within(*d);
    return value;
}

SettingValue limitedOnReading(const SettingDef& def, SettingValue value) {
    if (const auto* d = std::get_if<double>(&value); d && std::isnan(*d))
        value = settingValue(StripSettings{}, def.key);
    value = withinBounds(value, def.read);
    // Narrowed as the record's field holds it: what the strip takes is what a save writes.
    if (std::holds_alternative<float StripSettings::*>(def.field))
        value = double{static_cast<float>(std::get<double>(value))};
    return value;
}

void clampPosition(StripSettings& settings) {
    for (const SettingDef& def : kSettingDefs)
        if (!def.saved.open())
            setField(settings, def, withinBounds(settingValue(settings, def.key), def.saved));
}

float limitOpacity(double value) {
    return static_cast<float>(
        std::get<double>(limitedOnReading(settingDef(SettingKey::Opacity), value)));
}

namespace {

// The system's program directories are never a portable copy's home, even for a user (root)
// who may write there: a settings file in /usr/bin would be a surprise to everyone.
bool isSystemProgramDir(const std::string& dir) {
    for (const char* prefix : {"/usr/", "/bin/", "/sbin/", "/opt/", "/snap/"})
        if (dir.rfind(prefix, 0) == 0) return true;
    return false;
}

} // namespace

std::string resolveHomePath(const std::string& exeDir, const FileStore& store) {
    const std::string fileName(kSettingsFileName);
    // Another user could plant the settings file (or a link in its place) in a folder they may
    // write to: such a folder is no home, even with a file already in it.
    const bool ownFolder = !exeDir.empty() && !store.isWritableByOthers(exeDir);
    if (ownFolder && (store.exists(exeDir + fileName) ||
                      (store.isWritableDirectory(exeDir) && !isSystemProgramDir(exeDir))))
        return exeDir;
    if (const auto config = store.configDir()) return *config + "zrm58/";
    return exeDir;
}

std::string homePath(const FileStore& store) {
    return resolveHomePath(store.executableDir().value_or(std::string{}), store);
}

std::string settingsFilePath(const FileStore& store) {
    return homePath(store) + std::string(kSettingsFileName);
}

std::string settingsFilePath() {
    return settingsFilePath(systemFileStore());
}

FileStore& systemFileStore() {
    static const std::unique_ptr<FileStore> store = createSystemFileStore();
    return *store;
}

} // namespace zrm58
