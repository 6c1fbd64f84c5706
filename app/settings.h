// The settings record and the settings file "vantor.ini" (Key=Value lines, code page 932). Loaded once at
// start-up and saved once at exit, both on the user-interface thread; workers only read the record.
#pragma once

#include <cstdint>

namespace vantor {

enum class SeparatorKind : int { Tab = 0, Semicolon = 1, Comma = 2, Space = 3, Other = 4 };

// The separator of each fixed kind ("\t", ";", ",", " "); null for Other.
const char* separatorText(SeparatorKind kind);

struct Rect32 {
    std::int32_t left, top, right, bottom;
};

struct Settings {
    Rect32 windowRect{50, 50, 900, 700};
    std::int32_t listWidth = 200;
    char editFontFace[64] = "Fixedsys";
    std::int32_t editFontHeight = 20;
    char listFontFace[64] = "Fixedsys";
    std::int32_t listFontHeight = 16;
    char listSeparator[10] = "\t";
    SeparatorKind separatorKind = SeparatorKind::Tab;
    bool captureContextMenu = false;
    bool multipleStartup = false;
    // ForceCrossProcess=1: list views and tree views are read across processes only, never through the hook
    // library inside the target.
    bool forceCrossProcess = false;
    // Accessibility=0: windows that draw their items themselves are not asked for their accessible objects.
    bool accessibility = true;
    std::int32_t monitorInterval = 10; // units of 100 ms, never stored
    bool appendOnUpdate = false;       // never stored
};

// The program's one settings record.
extern Settings settings;

// Resets the stored fields to their defaults, then reads the file when it can be opened.
void loadSettings(const char* path);
// Writes the whole file anew (through a new file beside it that then replaces it). When it cannot be
// written, shows the "cannot open" message box and leaves any old file as it was; returns false.
bool saveSettings(const char* path);

// The same for a record other than the program's one (tests, and tools that read a settings file).
void loadSettings(const char* path, Settings* out);
bool saveSettings(const char* path, const Settings& in);

} // namespace vantor
