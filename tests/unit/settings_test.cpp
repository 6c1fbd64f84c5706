// Unit tests of the settings file: the exact bytes written, each parse rule of the reader, values longer
// than their fields, long lines read in pieces, odd bytes, and saving that never damages the old file.
// Message boxes and file replacement go through the fake desktop.
#include "app/settings.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

#include "platform/fake/fake_desktop.h"

namespace vantor {
namespace {

const char kDefaultFile[] = "WindowSize=50,50,900,700\r\n"
                            "ListWidth=200\r\n"
                            "EditFontFace=Fixedsys\r\n"
                            "EditFontHeight=20\r\n"
                            "ListFontFace=Fixedsys\r\n"
                            "ListFontHeight=16\r\n"
                            "ListSeparator=\\t\r\n"
                            "CaptureContextMenu=0\r\n"
                            "MultipleStartup=0\r\n";

// Records the owner and flags of each message box and can refuse to replace files.
class Desktop : public fake::FakeDesktop {
  public:
    int messageBox(Hwnd owner, const char* text, const char* caption, unsigned flags) override {
        owners.push_back(owner);
        flagsSeen.push_back(flags);
        return FakeDesktop::messageBox(owner, text, caption, flags);
    }
    bool replaceFile(const char* source, const char* target) override {
        return refuseReplace ? false : FakeDesktop::replaceFile(source, target);
    }
    bool refuseReplace = false;
    std::vector<Hwnd> owners;
    std::vector<unsigned> flagsSeen;
};

class SettingsFile : public ::testing::Test {
  protected:
    void SetUp() override {
        desktop.install();
        char pattern[] = "/tmp/vantor-settings-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
        path = dir + "/vantor.ini";
    }
    void TearDown() override {
        std::remove(path.c_str());
        std::remove((path + ".new").c_str());
        rmdir(dir.c_str());
    }
    void writeFile(const std::string& bytes) {
        std::FILE* f = std::fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        ASSERT_EQ(std::fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
        std::fclose(f);
    }
    std::string readFile(const std::string& which) {
        std::string bytes;
        std::FILE* f = std::fopen(which.c_str(), "rb");
        if (f == nullptr) return "<missing>";
        int c;
        while ((c = std::fgetc(f)) != EOF)
            bytes.push_back(static_cast<char>(c));
        std::fclose(f);
        return bytes;
    }
    // Loads a file of the given bytes into a record that holds non-default values beforehand.
    Settings load(const std::string& bytes) {
        writeFile(bytes);
        Settings s;
        scramble(&s);
        loadSettings(path.c_str(), &s);
        return s;
    }
    static void scramble(Settings* s) {
        *s = Settings{};
        s->windowRect = {1, 2, 3, 4};
        s->listWidth = 7;
        std::strcpy(s->editFontFace, "junk");
        s->editFontHeight = 99;
        std::strcpy(s->listFontFace, "junk");
        s->listFontHeight = 98;
        std::strcpy(s->listSeparator, "??");
        s->separatorKind = SeparatorKind::Other;
        s->captureContextMenu = true;
        s->multipleStartup = true;
    }
    static void expectDefaults(const Settings& s) {
        EXPECT_EQ(s.windowRect.left, 50);
        EXPECT_EQ(s.windowRect.top, 50);
        EXPECT_EQ(s.windowRect.right, 900);
        EXPECT_EQ(s.windowRect.bottom, 700);
        EXPECT_EQ(s.listWidth, 200);
        EXPECT_STREQ(s.editFontFace, "Fixedsys");
        EXPECT_EQ(s.editFontHeight, 20);
        EXPECT_STREQ(s.listFontFace, "Fixedsys");
        EXPECT_EQ(s.listFontHeight, 16);
        EXPECT_STREQ(s.listSeparator, "\t");
        EXPECT_EQ(s.separatorKind, SeparatorKind::Tab);
        EXPECT_FALSE(s.captureContextMenu);
        EXPECT_FALSE(s.multipleStartup);
    }
    Desktop desktop;
    std::string dir;
    std::string path;
};

TEST_F(SettingsFile, MissingFileGivesDefaultsAndLeavesRunOnlyFieldsAlone) {
    Settings s;
    scramble(&s);
    s.monitorInterval = 55;
    s.appendOnUpdate = true;
    loadSettings(path.c_str(), &s);
    expectDefaults(s);
    EXPECT_EQ(s.monitorInterval, 55);
    EXPECT_TRUE(s.appendOnUpdate);
    EXPECT_TRUE(desktop.messageBoxes.empty());
}

TEST_F(SettingsFile, DefaultsAreSavedAsExactlyNineLines) {
    Settings s;
    ASSERT_TRUE(saveSettings(path.c_str(), s));
    EXPECT_EQ(readFile(path), kDefaultFile);
    EXPECT_EQ(readFile(path + ".new"), "<missing>");
    EXPECT_TRUE(desktop.messageBoxes.empty());
}

TEST_F(SettingsFile, RoundTripWritesExactBytesAndReadsBackEveryField) {
    Settings s;
    s.windowRect = {-10, 20, 1920, 1080};
    s.listWidth = 321;
    std::strcpy(s.editFontFace, "MS Gothic");
    s.editFontHeight = -14;
    std::strcpy(s.listFontFace, "Courier New");
    s.listFontHeight = 12;
    std::strcpy(s.listSeparator, ";");
    s.separatorKind = SeparatorKind::Semicolon;
    s.captureContextMenu = true;
    s.multipleStartup = true;
    ASSERT_TRUE(saveSettings(path.c_str(), s));
    EXPECT_EQ(readFile(path), "WindowSize=-10,20,1920,1080\r\n"
                              "ListWidth=321\r\n"
                              "EditFontFace=MS Gothic\r\n"
                              "EditFontHeight=-14\r\n"
                              "ListFontFace=Courier New\r\n"
                              "ListFontHeight=12\r\n"
                              "ListSeparator=;\r\n"
                              "CaptureContextMenu=1\r\n"
                              "MultipleStartup=1\r\n");
    Settings back;
    scramble(&back);
    loadSettings(path.c_str(), &back);
    EXPECT_EQ(back.windowRect.left, -10);
    EXPECT_EQ(back.windowRect.top, 20);
    EXPECT_EQ(back.windowRect.right, 1920);
    EXPECT_EQ(back.windowRect.bottom, 1080);
    EXPECT_EQ(back.listWidth, 321);
    EXPECT_STREQ(back.editFontFace, "MS Gothic");
    EXPECT_EQ(back.editFontHeight, -14);
    EXPECT_STREQ(back.listFontFace, "Courier New");
    EXPECT_EQ(back.listFontHeight, 12);
    EXPECT_STREQ(back.listSeparator, ";");
    EXPECT_EQ(back.separatorKind, SeparatorKind::Semicolon);
    EXPECT_TRUE(back.captureContextMenu);
    EXPECT_TRUE(back.multipleStartup);
}

TEST_F(SettingsFile, DefaultFileReadsBackAsDefaults) {
    Settings s = load(kDefaultFile);
    expectDefaults(s);
}

TEST_F(SettingsFile, SeparatorValues) {
    const struct {
        const char* line;
        SeparatorKind kind;
        const char* separator;
    } cases[] = {
        {"ListSeparator=;\r\n", SeparatorKind::Semicolon, ";"},
        {"ListSeparator=,\r\n", SeparatorKind::Comma, ","},
        {"ListSeparator=\\t\r\n", SeparatorKind::Tab, "\t"},
        {"ListSeparator=\t\r\n", SeparatorKind::Tab, "\t"},
        {"ListSeparator= \r\n", SeparatorKind::Space, " "},
        {"ListSeparator= ", SeparatorKind::Space, " "},
        {"ListSeparator=abc\r\n", SeparatorKind::Other, "abc"},
        {"ListSeparator=\r\n", SeparatorKind::Other, ""},
        {"ListSeparator=", SeparatorKind::Other, ""},
        {"ListSeparator=  ;  \r\n", SeparatorKind::Semicolon, ";"},
        {"ListSeparator= a b\r\n", SeparatorKind::Other, "a"},
        {"ListSeparator=|\t|\r\n", SeparatorKind::Other, "|"},
        {"ListSeparator=abcdefghijklmnop\r\n", SeparatorKind::Other, "abcdefghi"},
        // The key in the format is matched with case: a lower-case key reads only a blank after the "=".
        {"listseparator=;\r\n", SeparatorKind::Other, ""},
        {"LISTSEPARATOR= \r\n", SeparatorKind::Space, " "},
        // Quoted values are taken whole; an unquoted value with blanks reads as in older files.
        {"ListSeparator=\" | \"\r\n", SeparatorKind::Other, " | "},
        {"ListSeparator=\";\"\r\n", SeparatorKind::Semicolon, ";"},
        {"ListSeparator=\"\"\r\n", SeparatorKind::Other, ""},
        {"ListSeparator=\"0123456789ab\"\r\n", SeparatorKind::Other, "012345678"},
        {"ListSeparator=\"a b\r\n", SeparatorKind::Other, "\"a"},
        {"ListSeparator= | \r\n", SeparatorKind::Other, "|"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        const Settings s = load(c.line);
        EXPECT_EQ(s.separatorKind, c.kind);
        EXPECT_STREQ(s.listSeparator, c.separator);
    }
}

TEST_F(SettingsFile, SeparatorsSurviveARoundTrip) {
    const struct {
        const char* separator;
        SeparatorKind kind;
        const char* line;
    } cases[] = {
        {"\t", SeparatorKind::Tab, "ListSeparator=\\t\r\n"},
        {" ", SeparatorKind::Space, "ListSeparator= \r\n"},
        {",", SeparatorKind::Comma, "ListSeparator=,\r\n"},
        {"", SeparatorKind::Other, "ListSeparator=\r\n"},
        {"<=>", SeparatorKind::Other, "ListSeparator=<=>\r\n"},
        {"123456789", SeparatorKind::Other, "ListSeparator=123456789\r\n"},
        // Values the plain form would lose are quoted.
        {" | ", SeparatorKind::Other, "ListSeparator=\" | \"\r\n"},
        {"a\tb", SeparatorKind::Other, "ListSeparator=\"a\tb\"\r\n"},
        {"  ", SeparatorKind::Other, "ListSeparator=\"  \"\r\n"},
        {"\\t", SeparatorKind::Other, "ListSeparator=\"\\t\"\r\n"},
        {"\"x\"", SeparatorKind::Other, "ListSeparator=\"\"x\"\"\r\n"},
        {"\"", SeparatorKind::Other, "ListSeparator=\"\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.separator);
        Settings s;
        std::strcpy(s.listSeparator, c.separator);
        s.separatorKind = c.kind;
        ASSERT_TRUE(saveSettings(path.c_str(), s));
        EXPECT_NE(readFile(path).find(std::string("\r\n") + c.line), std::string::npos);
        Settings back;
        loadSettings(path.c_str(), &back);
        EXPECT_EQ(back.separatorKind, c.kind);
        EXPECT_STREQ(back.listSeparator, c.separator);
    }
}

TEST_F(SettingsFile, KeysMatchWithoutCaseButNumericFormatsWithCase) {
    Settings s = load("ListWidth=250\r\nlistwidth=300\r\n");
    EXPECT_EQ(s.listWidth, 250);
    s = load("listwidth=300\r\n");
    EXPECT_EQ(s.listWidth, 200);
    s = load("editfontheight=30\nLISTFONTHEIGHT=31\nwindowsize=1,2,3,4\n");
    EXPECT_EQ(s.editFontHeight, 20);
    EXPECT_EQ(s.listFontHeight, 16);
    EXPECT_EQ(s.windowRect.left, 50);
    s = load("editfontface=Lower Face\r\nLISTFONTFACE=UPPER\r\n");
    EXPECT_STREQ(s.editFontFace, "Lower Face");
    EXPECT_STREQ(s.listFontFace, "UPPER");
    s = load("capturecontextmenu=1\r\nMULTIPLESTARTUP=1\r\n");
    EXPECT_TRUE(s.captureContextMenu);
    EXPECT_TRUE(s.multipleStartup);
}

TEST_F(SettingsFile, NumbersAreScannedFieldByField) {
    Settings s = load("WindowSize=10,20\r\n");
    EXPECT_EQ(s.windowRect.left, 10);
    EXPECT_EQ(s.windowRect.top, 20);
    EXPECT_EQ(s.windowRect.right, 900);
    EXPECT_EQ(s.windowRect.bottom, 700);

    s = load("WindowSize=10,x,30,40\r\n");
    EXPECT_EQ(s.windowRect.left, 10);
    EXPECT_EQ(s.windowRect.top, 50);
    EXPECT_EQ(s.windowRect.right, 900);

    s = load("WindowSize= -5, +6,\t7,8junk\r\n");
    EXPECT_EQ(s.windowRect.left, -5);
    EXPECT_EQ(s.windowRect.top, 6);
    EXPECT_EQ(s.windowRect.right, 7);
    EXPECT_EQ(s.windowRect.bottom, 8);

    s = load("WindowSize=1 ,2,3,4\r\n"); // the "," must follow the number at once
    EXPECT_EQ(s.windowRect.left, 1);
    EXPECT_EQ(s.windowRect.top, 50);

    s = load("ListWidth=abc\r\nEditFontHeight=-\r\nListFontHeight=\r\n");
    EXPECT_EQ(s.listWidth, 200);
    EXPECT_EQ(s.editFontHeight, 20);
    EXPECT_EQ(s.listFontHeight, 16);

    s = load("ListWidth=99999999999999999999\r\nEditFontHeight=-99999999999\r\n");
    EXPECT_EQ(s.listWidth, 2147483647);
    EXPECT_EQ(s.editFontHeight, -2147483647 - 1);
}

TEST_F(SettingsFile, BooleansAreOnlySwitchedOn) {
    EXPECT_TRUE(load("CaptureContextMenu=1\r\n").captureContextMenu);
    EXPECT_TRUE(load("CaptureContextMenu=10\r\n").captureContextMenu);
    EXPECT_FALSE(load("CaptureContextMenu=yes\r\n").captureContextMenu);
    EXPECT_FALSE(load("CaptureContextMenu=0\r\n").captureContextMenu);
    EXPECT_FALSE(load("CaptureContextMenu= 1\r\n").captureContextMenu);
    EXPECT_TRUE(load("CaptureContextMenu=1\r\nCaptureContextMenu=0\r\n").captureContextMenu);
    EXPECT_TRUE(load("MultipleStartup=0\r\nMultipleStartup=1\r\n").multipleStartup);
    EXPECT_FALSE(load("MultipleStartup=2\r\n").multipleStartup);
}

TEST_F(SettingsFile, ForceCrossProcessIsReadAndWrittenOnlyWhenSet) {
    EXPECT_FALSE(load("").forceCrossProcess);
    EXPECT_TRUE(load("ForceCrossProcess=1\r\n").forceCrossProcess);
    EXPECT_FALSE(load("ForceCrossProcess=0\r\n").forceCrossProcess);
    Settings s = load("");
    ASSERT_TRUE(saveSettings(path.c_str(), s));
    EXPECT_EQ(readFile(path).find("ForceCrossProcess"), std::string::npos);
    s.forceCrossProcess = true;
    ASSERT_TRUE(saveSettings(path.c_str(), s));
    const std::string text = readFile(path);
    EXPECT_EQ(text.substr(text.size() - std::strlen("MultipleStartup=0\r\nForceCrossProcess=1\r\n")),
              "MultipleStartup=0\r\nForceCrossProcess=1\r\n");
    Settings back;
    loadSettings(path.c_str(), &back);
    EXPECT_TRUE(back.forceCrossProcess);
}

TEST_F(SettingsFile, AccessibilityIsOnUnlessTurnedOffAndWrittenOnlyWhenOff) {
    EXPECT_TRUE(load("").accessibility);
    EXPECT_FALSE(load("Accessibility=0\r\n").accessibility);
    EXPECT_TRUE(load("Accessibility=1\r\n").accessibility);
    Settings s = load("");
    ASSERT_TRUE(saveSettings(path.c_str(), s));
    EXPECT_EQ(readFile(path).find("Accessibility"), std::string::npos);
    s.accessibility = false;
    ASSERT_TRUE(saveSettings(path.c_str(), s));
    const std::string text = readFile(path);
    EXPECT_EQ(text.substr(text.size() - std::strlen("MultipleStartup=0\r\nAccessibility=0\r\n")),
              "MultipleStartup=0\r\nAccessibility=0\r\n");
    Settings back;
    loadSettings(path.c_str(), &back);
    EXPECT_FALSE(back.accessibility);
}

TEST_F(SettingsFile, LaterLinesWinAndUnknownLinesAreIgnored) {
    const Settings s = load("; comment\r\n[Section]\r\n ListWidth=5\r\nListWidth =6\r\nListWidth=7\r\n"
                            "EditFontFace=One\r\nEditFontFace=Two\r\nListSeparator=;\r\nListSeparator=,\r\n");
    EXPECT_EQ(s.listWidth, 7);
    EXPECT_STREQ(s.editFontFace, "Two");
    EXPECT_EQ(s.separatorKind, SeparatorKind::Comma);
}

TEST_F(SettingsFile, FaceNamesKeepBlanksAndLoseTheLineEnd) {
    Settings s = load("EditFontFace= MS  Gothic \r\nListFontFace=\r\n");
    EXPECT_STREQ(s.editFontFace, " MS  Gothic ");
    EXPECT_STREQ(s.listFontFace, "");
    s = load("EditFontFace=Bare LF\nListFontFace=No line end");
    EXPECT_STREQ(s.editFontFace, "Bare LF");
    EXPECT_STREQ(s.listFontFace, "No line end");
    s = load("EditFontFace=lone\rCR\r\n");
    EXPECT_STREQ(s.editFontFace, "lone\rCR");
}

TEST_F(SettingsFile, LongFaceNamesAreCutToTheField) {
    const std::string seventy(70, 'F');
    Settings s = load("EditFontFace=" + seventy + "\r\nListFontFace=" + seventy.substr(0, 63) + "\r\n");
    EXPECT_EQ(std::string(s.editFontFace), seventy.substr(0, 63));
    EXPECT_EQ(std::string(s.listFontFace), seventy.substr(0, 63));
    EXPECT_EQ(s.listWidth, 200); // the field after the face is untouched
    // A double-byte character (code page 932) that would straddle the cut is dropped whole.
    const std::string dbcs = std::string(62, 'a') + "\x83\x53" + "b";
    s = load("EditFontFace=" + dbcs + "\r\n");
    EXPECT_EQ(std::string(s.editFontFace), std::string(62, 'a'));
    const std::string fits = std::string(61, 'a') + "\x83\x53";
    s = load("EditFontFace=" + fits + "\r\n");
    EXPECT_EQ(std::string(s.editFontFace), fits);
}

// Lines are read in pieces of at most 511 characters; each further piece is matched like a line.
TEST_F(SettingsFile, LongLinesAreReadInPieces) {
    const std::string key = "EditFontFace=";
    const std::string filler(511 - key.size(), 'x');
    Settings s = load(key + filler + "ListWidth=77\r\nListFontHeight=9\r\n");
    EXPECT_EQ(std::string(s.editFontFace), std::string(63, 'x'));
    EXPECT_EQ(s.listWidth, 77);
    EXPECT_EQ(s.listFontHeight, 9);

    // A line of exactly 511 characters leaves its line end as a piece of its own.
    s = load("ListWidth=42" + std::string(499, ' ') + "\r\nEditFontHeight=11\r\n");
    EXPECT_EQ(s.listWidth, 42);
    EXPECT_EQ(s.editFontHeight, 11);

    // A line of 100,000 characters costs nothing but its pieces.
    std::string huge = "ListSeparator=" + std::string(100000, ';');
    s = load(huge + "\r\nListFontFace=After\r\n");
    EXPECT_STREQ(s.listFontFace, "After");
    EXPECT_STREQ(s.listSeparator, ";;;;;;;;;");
    EXPECT_EQ(s.separatorKind, SeparatorKind::Other);
}

TEST_F(SettingsFile, ZeroAndBinaryBytesNeverBreakTheReader) {
    const char withZeros[] = "EditFontFace=Ar\0ial\r\nListWidth=5\0 9\r\nListFontHeight=8\r\n";
    Settings s = load(std::string(withZeros, sizeof withZeros - 1));
    EXPECT_STREQ(s.editFontFace, "Ar");
    EXPECT_EQ(s.listWidth, 5);
    EXPECT_EQ(s.listFontHeight, 8);

    std::string noise;
    unsigned state = 12345;
    for (int i = 0; i < 20000; ++i) {
        state = state * 1103515245u + 12345u;
        noise.push_back(static_cast<char>(state >> 16));
    }
    s = load(noise + "\nListFontFace=Survivor\r\nEditFontHeight=33");
    EXPECT_STREQ(s.listFontFace, "Survivor");
    EXPECT_EQ(s.editFontHeight, 33);
    EXPECT_LT(std::strlen(s.editFontFace), sizeof s.editFontFace);
    EXPECT_LT(std::strlen(s.listSeparator), sizeof s.listSeparator);
}

TEST_F(SettingsFile, SaveReplacesAnOlderLongerFile) {
    writeFile(std::string(5000, 'z') + "\r\n");
    ASSERT_TRUE(saveSettings(path.c_str(), Settings{}));
    EXPECT_EQ(readFile(path), kDefaultFile);
}

TEST_F(SettingsFile, UnwritableDirectoryShowsTheMessageAndWritesNothing) {
    const std::string missing = dir + "/no-such-dir/vantor.ini";
    EXPECT_FALSE(saveSettings(missing.c_str(), Settings{}));
    ASSERT_EQ(desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(desktop.messageBoxes[0], missing + "|設定ファイルがオープンできません");
    EXPECT_TRUE(isNull(desktop.owners[0]));
    EXPECT_EQ(desktop.flagsSeen[0], kMbOk);
    EXPECT_EQ(readFile(missing), "<missing>");
}

TEST_F(SettingsFile, NewFileThatCannotBeCreatedKeepsTheOldFile) {
    const std::string old = "EditFontFace=Old\r\n";
    writeFile(old);
    ASSERT_EQ(mkdir((path + ".new").c_str(), 0700), 0); // a directory where the new file should go
    EXPECT_FALSE(saveSettings(path.c_str(), Settings{}));
    EXPECT_EQ(readFile(path), old);
    ASSERT_EQ(desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(desktop.messageBoxes[0], path + "|設定ファイルがオープンできません");
    rmdir((path + ".new").c_str());
}

TEST_F(SettingsFile, FailedReplaceKeepsTheOldFileAndRemovesTheNewOne) {
    const std::string old = "ListWidth=999\r\n";
    writeFile(old);
    desktop.refuseReplace = true;
    Settings s;
    s.listWidth = 1;
    EXPECT_FALSE(saveSettings(path.c_str(), s));
    EXPECT_EQ(readFile(path), old);
    EXPECT_EQ(readFile(path + ".new"), "<missing>");
    ASSERT_EQ(desktop.messageBoxes.size(), 1u);
    EXPECT_EQ(desktop.messageBoxes[0], path + "|設定ファイルがオープンできません");
}

// The program's own record goes through the same reader and writer.
TEST_F(SettingsFile, GlobalRecordLoadsAndSaves) {
    const Settings saved = settings;
    writeFile("ListWidth=444\r\nListSeparator= \r\n");
    settings.monitorInterval = 3;
    loadSettings(path.c_str());
    EXPECT_EQ(settings.listWidth, 444);
    EXPECT_EQ(settings.separatorKind, SeparatorKind::Space);
    EXPECT_EQ(settings.monitorInterval, 3);
    ASSERT_TRUE(saveSettings(path.c_str()));
    EXPECT_NE(readFile(path).find("\r\nListWidth=444\r\n"), std::string::npos);
    EXPECT_NE(readFile(path).find("\r\nListSeparator= \r\n"), std::string::npos);
    settings = saved;
}

} // namespace
} // namespace vantor
