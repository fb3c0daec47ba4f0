// Reading and saving the settings file through a file store in memory.
#include "settings/SettingsFile.h"
#include "fakes/FakeFileStore.h"
#include "settings/IniDocument.h"
#include "settings/Utf.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fstream>
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <iterator>
#include <random>
#include <string>

namespace zrm58 {

// Readable failure messages; strings are shown with their code units.
void PrintTo(const StripSettings& s, std::ostream* os) {
    const auto units = [](const std::u16string& text) {
        std::string out = "\"" + toUtf8(text) + "\" [";
        for (const char16_t unit : text)
            out += std::to_string(unit) + " ";
        return out + "]";
    };
    *os << "{top " << s.top << " left " << s.left << " height " << s.height << " width " << s.width
        << " original " << s.original << " topLevel " << s.topLevel << " opacity " << s.opacity
        << " taskBar " << s.taskBar << " bold " << s.bold << " fontColor " << s.fontColor
        << " family " << units(s.family) << " shadow " << s.shadow << " shadowColor "
        << s.shadowColor << " color1 " << s.color1 << " color2 " << s.color2 << " gradient "
        << s.gradient << " direction " << s.direction << " gazou " << s.gazou << " gazouFile "
        << units(s.gazouFile) << " interval " << s.interval << " format " << units(s.format)
        << " sep " << units(s.sep) << "}";
}

namespace {

using namespace std::string_literals;
using testing::HasSubstr;
using fakes::FakeFileStore;

const std::string kPath = "/opt/zrm58/ZRM58.ini";

std::string fixture(const std::string& name) {
    std::ifstream in(std::string(ZRM58_TEST_DATA) + "/settings/" + name, std::ios::binary);
    EXPECT_TRUE(in.good()) << name;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A file as the program stores it, from UTF-8 text.
std::string utf16File(std::string_view utf8) {
    return "\xFF\xFE" + toUtf16Le(*fromUtf8(utf8));
}

std::string savedText(const std::string& bytes) {
    return toUtf8(IniDocument::decode(bytes));
}

// The strip window as the settings file meets it: the size guard runs on every size change,
// and a save first clamps the position.
struct FakeWindow {
    StripSettings settings;
    std::vector<SettingKey> applied;
    int collects = 0;

    void apply(SettingKey key, const SettingValue& value) {
        applied.push_back(key);
        applySetting(settings, key, value);
        settings.height = std::max(settings.height, 30);
        settings.width = std::max(settings.width, 80);
    }
    ApplySetting applier() {
        return [this](SettingKey key, const SettingValue& value) { apply(key, value); };
    }
    CollectSettings collector() {
        return [this] {
            ++collects;
            clampPosition(settings);
            return settings;
        };
    }
};

struct ReadCase {
    const char* note;
    const char* file; // UTF-8 text, stored as UTF-16 with its mark; "" for no file
    char16_t sep;
    SettingKey key;
    SettingValue read;   // what the window is handed
    const char* written; // the key's line after the next save
};

TEST(ReadIniFile, ReadingCasesAndWhatTheNextSaveWrites) {
    using K = SettingKey;
    using I = std::int32_t;
    using U = std::u16string;
    const ReadCase cases[] = {
        {"negative top opens above the edge, saved as 0", "[Form]\nTop=-5\n", u'.', K::Top, I{-5},
         "Top=0"},
        {"negative left likewise", "[Form]\nLeft=-300\n", u'.', K::Left, I{-300}, "Left=0"},
        {"height below the guard: 30 saved", "[Form]\nHeight=10\n", u'.', K::Height, I{10},
         "Height=30"},
        {"empty integer: default", "[Form]\nWidth=\n", u'.', K::Width, I{523}, "Width=523"},
        {"duplicate key: the last line", "[Form]\nTop=1\nTop=2\n", u'.', K::Top, I{2}, "Top=2"},
        {"opacity above 1 is limited", "[Form]\nOpacity=2\n", u'.', K::Opacity, 1.0, "Opacity=1"},
        {"negative opacity is limited", "[Form]\nOpacity=-0.5\n", u'.', K::Opacity, 0.0,
         "Opacity=0"},
        {"opacity in single precision", "[Form]\nOpacity=0.6\n", u'.', K::Opacity, double{0.6f},
         "Opacity=0.600000023841858"},
        {"opacity under a comma locale", "[Form]\nOpacity=0,7\n", u',', K::Opacity, double{0.7f},
         "Opacity=0,699999988079071"},
        {"comma under a point locale: default", "[Form]\nOriginal=1,2\n", u'.', K::Original, 1.0,
         "Original=1"},
        {"comma under a comma locale", "[Form]\nOriginal=1,2\n", u',', K::Original, 1.2,
         "Original=1,2"},
        {"point under a comma locale: default", "[Form]\nOriginal=1.5\n", u',', K::Original, 1.0,
         "Original=1"},
        {"width factor 1.1", "[Form]\nOriginal=1.1\n", u'.', K::Original, 1.1, "Original=1.1"},
        {"interval with 0x", "[Timer]\nInterval=0x3E8\n", u'.', K::Interval, I{1000},
         "Interval=1000"},
        {"interval with $", "[Timer]\nInterval=$3E8\n", u'.', K::Interval, I{1000},
         "Interval=1000"},
        {"interval 0 is kept", "[Timer]\nInterval=0\n", u'.', K::Interval, I{0}, "Interval=0"},
        {"TaskBar=yes: the default, true", "[Form]\nTaskBar=yes\n", u'.', K::TaskBar, true,
         "TaskBar=1"},
        {"TaskBar=2: true", "[Form]\nTaskBar=2\n", u'.', K::TaskBar, true, "TaskBar=1"},
        {"TaskBar=0: false", "[Form]\nTaskBar=0\n", u'.', K::TaskBar, false, "TaskBar=0"},
        {"TopLevel=-1: true", "[Form]\nTopLevel=-1\n", u'.', K::TopLevel, true, "TopLevel=1"},
        {"empty Boolean: default", "[Effect]\nShadow=\n", u'.', K::Shadow, true, "Shadow=1"},
        {"lower-case colour", "[Font]\nColor=ff00ff00\n", u'.', K::FontColor, 0xFF00FF00u,
         "Color=FF00FF00"},
        {"short colour", "[Back]\nColor1=FF\n", u'.', K::Color1, 0xFFu, "Color1=000000FF"},
        {"quoted colour", "[Back]\nColor2=\"FF0000FF\"\n", u'.', K::Color2, 0xFF0000FFu,
         "Color2=FF0000FF"},
        {"names without regard to case", "[back]\nDIRECTION=2\n", u'.', K::Direction, I{2},
         "DIRECTION=2"},
        {"blanks around a value are no part of it", "[DATE]\nSEP =  ★  \n", u'.', K::Sep, U(u"★"),
         "SEP=★"},
        {"quoted separator keeps its blanks", "[DATE]\nSEP=\" | \"\n", u'.', K::Sep, U(u" | "),
         "SEP=\" | \""},
        {"present and empty: empty, no default", "[DATE]\nSEP=\n", u'.', K::Sep, U(), "SEP="},
        {"no file: default", "", u'.', K::Family, U(u"Segoe UI"), "Family=Segoe UI"},
        {"equals sign inside a value", "[DATE]\nFORMAT=a=b\n", u'.', K::Format, U(u"a=b"),
         "FORMAT=a=b"},
    };
    for (const auto& c : cases) {
        FakeFileStore store;
        if (*c.file != '\0') store.files[kPath] = utf16File(c.file);
        FakeWindow window;
        std::optional<SettingValue> handed;
        ReadIniFile(store, kPath, c.sep, [&](SettingKey key, const SettingValue& value) {
            if (key == c.key) handed = value;
            window.apply(key, value);
        });
        EXPECT_EQ(handed, c.read) << c.note;
        WriteIniFile(store, kPath, c.sep, window.collector());
        EXPECT_THAT(savedText(store.files[kPath]),
                    HasSubstr("\r\n" + std::string(c.written) + "\r\n"))
            << c.note;
    }
}

TEST(ReadIniFile, ColourThatDoesNotConvertStopsAfterTheEarlierKeys) {
    const std::pair<const char*, const char*> cases[] = {
        {"Color=0xFF", "'$0xFF' は整数ではありません"},
        {"Color=black", "'$black' は整数ではありません"},
        {"Color=", "'$' は整数ではありません"},
    };
    for (const auto& [line, message] : cases) {
        FakeFileStore store;
        store.files[kPath] = utf16File("[Form]\nTop=7\n[Font]\n" + std::string(line) + "\n");
        FakeWindow window;
        try {
            ReadIniFile(store, kPath, u'.', window.applier());
            ADD_FAILURE() << line << ": no error";
        } catch (const ConversionError& e) {
            EXPECT_STREQ(e.what(), message);
        }
        ASSERT_EQ(window.applied.size(), 9u) << line; // Top .. Bold, not Color nor later keys
        EXPECT_EQ(window.applied.back(), SettingKey::Bold);
        EXPECT_EQ(window.settings.top, 7);
    }
}

TEST(WriteIniFile, FirstSaveWritesTheDefaultFileByteForByte) {
    FakeFileStore store;
    FakeWindow window;
    ReadIniFile(store, kPath, u'.', window.applier());
    EXPECT_EQ(window.settings, StripSettings{});
    WriteIniFile(store, kPath, u'.', window.collector());
    EXPECT_EQ(store.files[kPath], fixture("default.ini"));
    EXPECT_EQ(readStripSettings(store, kPath, u'.'), StripSettings{});
}

TEST(WriteIniFile, ForeignContentSurvivesInItsPlaces) {
    FakeFileStore store;
    store.files[kPath] = fixture("foreign.ini");
    FakeWindow window;
    ReadIniFile(store, kPath, u'.', window.applier());
    EXPECT_EQ(window.settings.top, -5);
    EXPECT_EQ(window.settings.left, 20);   // duplicate: the last line
    EXPECT_EQ(window.settings.width, 600); // from the repeated section "[FORM]"
    EXPECT_EQ(window.settings.opacity, 1.0f);
    EXPECT_EQ(window.settings.sep, u" | ");
    WriteIniFile(store, kPath, u'.', window.collector());
    EXPECT_EQ(savedText(store.files[kPath]), savedText(fixture("foreign_saved.ini")));
    EXPECT_EQ(store.files[kPath], fixture("foreign_saved.ini"));
}

TEST(WriteIniFile, HandWrittenUtf8FileKeepsItsForeignKeys) {
    for (const std::string mark : {"", "\xEF\xBB\xBF"}) {
        FakeFileStore store;
        store.files[kPath] = mark + fixture("hand_utf8.ini");
        const StripSettings read = readStripSettings(store, kPath, u'.');
        EXPECT_EQ(read.top, 50);
        EXPECT_EQ(read.format, u"hh時nn分");
        EXPECT_EQ(read.sep, u"★");
        WriteIniFile(store, kPath, u'.', [&] { return read; });
        const std::string& saved = store.files[kPath];
        EXPECT_TRUE(saved.starts_with("\xFF\xFE")) << "saved as UTF-16 with its mark";
        EXPECT_THAT(savedText(saved), HasSubstr("\r\n[メモ]\r\n名前=値\r\n"));
        EXPECT_EQ(readStripSettings(store, kPath, u'.'), read);
    }
}

// A file that is neither UTF-16 nor UTF-8 (a Latin-1 letter typed in an 8-bit editor, a stray
// NUL byte) keeps the user's values and foreign keys, and its first save keeps the old bytes.
TEST(WriteIniFile, EightBitFileIsReadWhole_AndItsBytesAreKeptAtTheFirstSave) {
    const std::string latin1 = fixture("latin1.ini");
    FakeFileStore store;
    store.files[kPath] = latin1;
    const StripSettings read = readStripSettings(store, kPath, u'.');
    EXPECT_EQ(read.top, 120);
    EXPECT_EQ(read.left, 340);
    EXPECT_EQ(read.family, u"Café Sans");
    EXPECT_EQ(read.format, u"dd.mm.yyyy hh:nn »");
    EXPECT_EQ(read.sep, u"¦");

    testing::internal::CaptureStderr();
    WriteIniFile(store, kPath, u'.', [&] { return read; });
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_EQ(store.files[kPath + ".bak"], latin1) << "the former bytes, unchanged";
    EXPECT_THAT(said, HasSubstr(kPath + ".bak"));
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
    const std::string saved = store.files[kPath];
    EXPECT_TRUE(saved.starts_with("\xFF\xFE"));
    EXPECT_THAT(savedText(saved), HasSubstr("\r\n[Notizen]\r\nGröße=groß\r\nPreis=5€ „gut“\r\n"));
    EXPECT_EQ(readStripSettings(store, kPath, u'.'), read);

    // The saved file is UTF-16: later saves keep no backup and say nothing.
    testing::internal::CaptureStderr();
    WriteIniFile(store, kPath, u'.', [&] { return read; });
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(store.files.size(), 2u);
}

TEST(WriteIniFile, FilesThatAreNotReadAsWrittenAreBackedUpBeforeTheSave) {
    struct Row {
        const char* note;
        std::string file;
        std::int32_t top; // as read
        bool backedUp;    // the save keeps the old bytes
    } rows[] = {
        {"UTF-8 with a NUL byte: read as written", "[Form]\r\nTop=77\r\n\0\0"s, 77, false},
        {"zeros after a crash behind a Latin-1 byte",
         "[Form]\r\nTop=77\r\n[X]\r\nk=\xE9\r\n\0\0\0\0"s, 77, true},
        {"UTF-8 mark, then a Latin-1 byte", "\xEF\xBB\xBF[Form]\r\nTop=77\r\nk=\xE9"s, 77, true},
        {"UTF-16 cut in its last code unit", utf16File("[Form]\r\nTop=77\r\n") + "\x01", 77, true},
        {"UTF-16 without its mark: a guess, backed up", utf16File("[Form]\r\nTop=77\r\n").substr(2),
         77, true},
    };
    for (const auto& row : rows) {
        FakeFileStore store;
        store.files[kPath] = row.file;
        const StripSettings read = readStripSettings(store, kPath, u'.');
        EXPECT_EQ(read.top, row.top) << row.note;
        testing::internal::CaptureStderr();
        WriteIniFile(store, kPath, u'.', [&] { return read; });
        const bool said = !testing::internal::GetCapturedStderr().empty();
        EXPECT_EQ(store.files.contains(kPath + ".bak"), row.backedUp) << row.note;
        EXPECT_EQ(said, row.backedUp) << row.note;
        if (row.backedUp) {
            EXPECT_EQ(store.files[kPath + ".bak"], row.file) << row.note;
        }
        EXPECT_EQ(readStripSettings(store, kPath, u'.').top, row.top) << row.note;
    }
}

TEST(WriteIniFile, AnEarlierDifferentBackupIsKept_AndAFailedBackupStopsTheSave) {
    const std::string latin1 = fixture("latin1.ini");
    FakeFileStore store;
    store.files[kPath] = latin1;
    store.files[kPath + ".bak"] = "an older backup";
    testing::internal::CaptureStderr();
    WriteIniFile(store, kPath, u'.', [] { return StripSettings{}; });
    EXPECT_THAT(testing::internal::GetCapturedStderr(), HasSubstr(kPath + ".bak.2"));
    EXPECT_EQ(store.files[kPath + ".bak"], "an older backup");
    EXPECT_EQ(store.files[kPath + ".bak.2"], latin1);

    FakeFileStore failing;
    failing.files[kPath] = latin1;
    failing.replaceError = std::error_code(ENOSPC, std::generic_category());
    failing.failingPaths = {kPath + ".bak"};
    try {
        WriteIniFile(failing, kPath, u'.', [] { return StripSettings{}; });
        FAIL() << "no error";
    } catch (const SettingsFileError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "ファイル \"" + kPath + ".bak\" を作成できません。" + std::strerror(ENOSPC));
    }
    EXPECT_EQ(failing.files[kPath], latin1) << "not replaced without its backup";
}

// Backups never stop a save: nine names at most, a free one first, else the oldest backup is
// replaced; each is written as a copy of the settings file (with its permissions).
TEST(WriteIniFile, BackupsAreBounded_AndTheOldestGivesWay) {
    struct Row {
        const char* note;
        int backups;   // different backups standing at .bak, .bak.2 ... .bak.N
        int missing;   // of those, this one is absent (0: none)
        int sameBytes; // this one already holds the former bytes (0: none)
        int oldest;    // this one was written longest ago
        int written;   // the name the former bytes go to (0: none)
    } rows[] = {
        {"99 backups: the oldest of the nine names gives way", 99, 0, 0, 4, 4},
        {"nine backups, the last the oldest", 9, 0, 0, 9, 9},
        {"a free name comes before the oldest", 9, 3, 0, 1, 3},
        {"the former bytes already kept: nothing written", 9, 0, 7, 1, 0},
    };
    const std::string latin1 = fixture("latin1.ini");
    const auto name = [](int n) {
        return kPath + ".bak" + (n == 1 ? "" : "." + std::to_string(n));
    };
    for (const auto& row : rows) {
        FakeFileStore store;
        store.files[kPath] = latin1;
        for (int n = 1; n <= row.backups; ++n) {
            if (n == row.missing) continue;
            store.files[name(n)] = n == row.sameBytes ? latin1 : "backup " + std::to_string(n);
            store.modified[name(n)] = n == row.oldest ? 1 : 100 + n;
        }
        const auto before = store.files;
        testing::internal::CaptureStderr();
        EXPECT_NO_THROW(WriteIniFile(store, kPath, u'.', [] { return StripSettings{}; }))
            << row.note;
        const std::string said = testing::internal::GetCapturedStderr();
        EXPECT_TRUE(store.files[kPath].starts_with("\xFF\xFE")) << row.note;
        for (const auto& [path, bytes] : before) {
            if (path == kPath) continue;
            EXPECT_EQ(store.files[path], path == name(row.written) ? latin1 : bytes)
                << row.note << ": " << path;
        }
        const bool intoFreeName = row.missing != 0 && row.written == row.missing;
        EXPECT_EQ(store.files.size(), before.size() + (intoFreeName ? 1 : 0)) << row.note;
        if (row.written) {
            EXPECT_EQ(store.files[name(row.written)], latin1) << row.note;
            EXPECT_EQ(store.copiedFrom[name(row.written)], kPath) << row.note;
            EXPECT_THAT(said, HasSubstr(name(row.written) +
                                        (intoFreeName ? "\n" : " in place of the oldest backup\n")))
                << row.note;
        } else {
            EXPECT_EQ(said, "") << row.note;
        }
    }
}

// zrm58-line reads only what it uses: a colour the strip refuses does not stop it.
TEST(ReadSettingsKeys, ReadsOnlyTheKeysAskedFor) {
    FakeFileStore store;
    store.files[kPath] = utf16File("[Form]\nTop=9\n[Font]\nColor=black\n[Timer]\nInterval=250\n"
                                   "[DATE]\nFORMAT=yyyy\nSEP=★\n");
    const SettingKey lineKeys[] = {SettingKey::Format, SettingKey::Sep, SettingKey::Interval};
    const SettingsRead read = readSettingsKeys(store, kPath, u'.', lineKeys);
    EXPECT_FALSE(read.error);
    EXPECT_EQ(read.settings.format, u"yyyy");
    EXPECT_EQ(read.settings.sep, u"★");
    EXPECT_EQ(read.settings.interval, 250);
    EXPECT_EQ(read.settings.top, StripSettings{}.top) << "not asked for";

    const SettingKey withColour[] = {SettingKey::Format, SettingKey::FontColor};
    EXPECT_THROW(readSettingsKeys(store, kPath, u'.', withColour), ConversionError);

    store.readError = std::error_code(EACCES, std::generic_category());
    const SettingsRead unreadable = readSettingsKeys(store, kPath, u'.', lineKeys);
    EXPECT_EQ(unreadable.error, store.readError);
    EXPECT_EQ(unreadable.settings, StripSettings{});
}

// Random settings of every kind the program can hold; strings from characters that trouble
// a line-based file (blanks, quotes, "=", ";", brackets, NUL, a lone surrogate).
StripSettings randomSettings(std::mt19937& rng) {
    const auto integer = [&] { return static_cast<std::int32_t>(rng()); };
    const auto boolean = [&] { return (rng() & 1) != 0; };
    const auto text = [&] {
        static const std::u16string kPieces[] = {u" ",
                                                 u"\t",
                                                 u"\"",
                                                 u"'",
                                                 u"=",
                                                 u";",
                                                 u"[",
                                                 u"]",
                                                 u"a",
                                                 u"あ",
                                                 u"😀",
                                                 u"\xD800",
                                                 std::u16string(1, u'\0'),
                                                 u"\\",
                                                 u"\x3000"};
        std::u16string out;
        for (auto n = rng() % 8; n > 0; --n)
            out += kPieces[rng() % std::size(kPieces)];
        return out;
    };
    // The width factor as the settings window's spin box and a file hold it: up to 15 digits.
    const auto decimal = [&] {
        char buffer[32];
        const double raw = std::uniform_real_distribution<double>(0.0, 20.0)(rng);
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, raw,
                                       std::chars_format::general, 1 + rng() % 15)
                             .ptr;
        double value = 0;
        std::from_chars(buffer, end, value);
        return value;
    };
    StripSettings s;
    s.top = integer(), s.left = integer(), s.height = integer(), s.width = integer();
    s.original = decimal();
    s.topLevel = boolean();
    s.opacity = std::uniform_real_distribution<float>(0.0f, 1.0f)(rng);
    s.taskBar = boolean(), s.bold = boolean(), s.shadow = boolean();
    s.fontColor = rng(), s.color1 = rng(), s.color2 = rng(); // the shadow colour is fixed
    s.gradient = boolean(), s.gazou = boolean();
    s.direction = integer(), s.interval = integer();
    s.family = text(), s.gazouFile = text(), s.format = text(), s.sep = text();
    return s;
}

TEST(WriteIniFile, AnySettingsReadBackUnchanged) {
    std::mt19937 rng(58);
    for (int i = 0; i < 500; ++i) {
        const char16_t sep = i % 2 == 0 ? u'.' : u',';
        StripSettings written = randomSettings(rng);
        FakeFileStore store;
        WriteIniFile(store, kPath, sep, [&] { return written; });
        clampPosition(written); // a save stores the clamped position
        const StripSettings read = readStripSettings(store, kPath, sep);
        ASSERT_EQ(read, written) << "case " << i << "\n" << savedText(store.files[kPath]);
        // Saving what was read changes nothing.
        const std::string first = store.files[kPath];
        WriteIniFile(store, kPath, sep, [&] { return read; });
        ASSERT_EQ(store.files[kPath], first) << "case " << i;
    }
    for (const float opacity : {0.0f, 1.0f, 0.1f, 0.3f, 0.6f, 0.7f, 0.9f, 1e-30f, 0.99999994f}) {
        FakeFileStore store;
        StripSettings written;
        written.opacity = opacity;
        WriteIniFile(store, kPath, u'.', [&] { return written; });
        EXPECT_EQ(readStripSettings(store, kPath, u'.').opacity, opacity);
    }
}

TEST(WriteIniFile, NegativePositionIsClampedEvenWhenTheWindowDidNot) {
    FakeFileStore store;
    StripSettings unclamped;
    unclamped.top = -1, unclamped.left = -2;
    WriteIniFile(store, kPath, u'.', [&] { return unclamped; });
    const StripSettings read = readStripSettings(store, kPath, u'.');
    EXPECT_EQ(read.top, 0);
    EXPECT_EQ(read.left, 0);
}

TEST(WriteIniFile, FileThatCannotBeReadFailsBeforeTheWindowIsAsked) {
    FakeFileStore store;
    const std::string old = fixture("foreign.ini");
    store.files[kPath] = old;
    store.readError = std::error_code(EBUSY, std::generic_category());
    FakeWindow window;
    window.settings.top = -5;
    try {
        WriteIniFile(store, kPath, u'.', window.collector());
        FAIL() << "no error";
    } catch (const SettingsFileError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "ファイル " + kPath + " は開けません。 " + std::strerror(EBUSY) + " ");
    }
    EXPECT_EQ(window.collects, 0); // the window is not clamped
    EXPECT_EQ(store.replaces, 0);
    EXPECT_EQ(store.files[kPath], old);
}

TEST(WriteIniFile, FileThatCannotBeReplacedFailsAndStaysAsItWas) {
    FakeFileStore store;
    const std::string old = fixture("foreign.ini");
    store.files[kPath] = old;
    store.replaceError = std::error_code(EROFS, std::generic_category());
    FakeWindow window;
    try {
        WriteIniFile(store, kPath, u'.', window.collector());
        FAIL() << "no error";
    } catch (const SettingsFileError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "ファイル \"" + kPath + "\" を作成できません。" + std::strerror(EROFS));
    }
    EXPECT_EQ(window.collects, 1);
    EXPECT_EQ(store.files[kPath], old);
}

TEST(ReadIniFile, UnreadableFileGivesTheDefaults) {
    FakeFileStore store;
    store.files[kPath] = utf16File("[Form]\nTop=1\n");
    store.readError = std::error_code(EACCES, std::generic_category());
    EXPECT_EQ(readStripSettings(store, kPath, u'.'), StripSettings{});
}

struct HomeCase {
    const char* note;
    std::optional<std::string> exeDir;
    bool fileThere;
    bool dirWritable;
    std::optional<std::string> config; // the "/tmp/" rows: a directory others may write to
    std::string home;
};

TEST(HomePath, ExecutableDirectoryWhenUsableElseTheConfigDirectory) {
    const std::string bin = "/home/u/zrm58/", sys = "/usr/bin/", config = "/home/u/.config/";
    const HomeCase cases[] = {
        {"portable copy: directory writable", bin, false, true, config, bin},
        {"a settings file already stands there", bin, true, false, config, bin},
        {"installed: neither", bin, false, false, config, config + "zrm58/"},
        {"executable's directory unknown", std::nullopt, false, false, config, config + "zrm58/"},
        {"no home either", bin, false, false, std::nullopt, bin},
        {"system directory writable (root): not a portable copy", sys, false, true, config,
         config + "zrm58/"},
        {"system directory with a settings file already there", sys, true, true, config, sys},
        {"folder others may write to (/tmp): no home", "/tmp/", false, true, config,
         config + "zrm58/"},
        {"nor with a settings file planted in it", "/tmp/", true, true, config, config + "zrm58/"},
    };
    for (const auto& c : cases) {
        FakeFileStore store;
        store.exeDir = c.exeDir;
        const std::string dir = c.exeDir.value_or(bin);
        if (c.fileThere) store.files[dir + "ZRM58.ini"] = "";
        if (c.dirWritable) store.writableDirs.insert(dir);
        if (dir == "/tmp/") store.sharedDirs.insert(dir);
        store.config = c.config;
        EXPECT_EQ(homePath(store), c.home) << c.note;
        EXPECT_EQ(settingsFilePath(store), c.home + "ZRM58.ini") << c.note;
    }
}

} // namespace
} // namespace zrm58
