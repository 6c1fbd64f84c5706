// The settings record and the settings file "vantor.ini": Key=Value lines in code page 932 with CR LF line
// ends. Loaded once at start-up and saved once at exit, both on the user-interface thread.
#include "app/settings.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/platform.h"
#include "platform/text.h"

namespace vantor {

Settings settings;

namespace {

// fgets-sized pieces: a longer line is read in pieces of at most this many characters.
constexpr int kPieceChars = 511;

// Text mode on Windows writes "\n" as CR LF; elsewhere the CR is written explicitly so that the file bytes
// are the same everywhere.
#if defined(_WIN32)
#define VANTOR_EOL "\n"
#else
#define VANTOR_EOL "\r\n"
#endif

// "The settings file cannot be opened" (code page 932 in the Windows build).
const char* const kCannotOpen = "設定ファイルがオープンできません";

// Copies at most cap - 1 bytes of the n bytes at src into dst (NUL-terminated), never splitting a
// double-byte character of code page 932.
void copyCut(char* dst, std::size_t cap, const char* src, std::size_t n) {
    const std::size_t kept = cp932CutLength(src, n, cap - 1);
    std::memcpy(dst, src, kept);
    dst[kept] = '\0';
}

constexpr SeparatorKind kFixedSeparators[] = {SeparatorKind::Tab, SeparatorKind::Semicolon,
                                              SeparatorKind::Comma, SeparatorKind::Space};

bool startsWithNoCase(const char* line, const char* key) {
    return afterPrefixIgnoringAsciiCase(line, key) != nullptr;
}

bool isScanSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Matches the literal key (with case) at *p, as the literal part of a scanf format does.
bool scanLiteral(const char** p, const char* literal) {
    const std::size_t n = std::strlen(literal);
    if (std::strncmp(*p, literal, n) != 0) return false;
    *p += n;
    return true;
}

// A "%d" conversion: blanks, an optional sign, at least one digit. Values beyond 32 bits saturate.
bool scanInt(const char** p, std::int32_t* out) {
    const char* s = *p;
    while (isScanSpace(*s))
        ++s;
    bool negative = false;
    if (*s == '+' || *s == '-') negative = *s++ == '-';
    if (*s < '0' || *s > '9') return false;
    long long value = 0;
    for (; *s >= '0' && *s <= '9'; ++s) {
        if (value <= 0x80000000LL) value = value * 10 + (*s - '0');
    }
    if (negative) value = -value;
    if (value > 0x7FFFFFFFLL) value = 0x7FFFFFFFLL;
    if (value < -0x80000000LL) value = -0x80000000LL;
    *out = static_cast<std::int32_t>(value);
    *p = s;
    return true;
}

// sscanf(line, "<key>%d,%d,...") into count fields: fields are assigned left to right until one fails.
void scanInts(const char* line, const char* key, std::int32_t* const* fields, int count) {
    const char* p = line;
    if (!scanLiteral(&p, key)) return;
    for (int i = 0; i < count; ++i) {
        if (i > 0 && *p++ != ',') return;
        if (!scanInt(&p, fields[i])) return;
    }
}

SeparatorKind kindOfSeparator(const char* value) {
    if (std::strcmp(value, "\\t") == 0) return SeparatorKind::Tab; // the file's spelling of a tab
    for (SeparatorKind kind : kFixedSeparators)
        if (std::strcmp(value, separatorText(kind)) == 0) return kind;
    return SeparatorKind::Other;
}

// A value between double quotes: the rest of the line after the "=" (its line end removed) when it begins
// and ends with a quote, the text between them; the writer quotes the values the plain form loses.
bool readQuotedSeparator(const char* rest, Settings* s) {
    std::size_t n = std::strlen(rest);
    while (n > 0 && (rest[n - 1] == '\n' || rest[n - 1] == '\r'))
        --n;
    if (n < 2 || rest[0] != '"' || rest[n - 1] != '"') return false;
    copyCut(s->listSeparator, sizeof s->listSeparator, rest + 1, n - 2);
    s->separatorKind = SeparatorKind::Other;
    for (SeparatorKind kind : kFixedSeparators)
        if (std::strcmp(s->listSeparator, separatorText(kind)) == 0) s->separatorKind = kind;
    return true;
}

// The ListSeparator line: a quoted value; else the first run of non-blanks after the key (key matched
// with case, as the "%s" format does); failing that, a lone space or tab right after the "=".
void readSeparator(const char* line, Settings* s) {
    constexpr std::size_t kKeyLength = sizeof "ListSeparator=" - 1;
    char value[sizeof s->listSeparator] = "";
    const char* p = line;
    if (scanLiteral(&p, "ListSeparator=")) {
        if (readQuotedSeparator(p, s)) return;
        while (*p == ' ' || *p == '\t' || *p == '\n')
            ++p;
        const char* end = p;
        while (*end != '\0' && *end != ' ' && *end != '\t' && *end != '\n')
            ++end;
        copyCut(value, sizeof value, p, static_cast<std::size_t>(end - p));
    }
    if (value[0] == '\0' && (line[kKeyLength] == ' ' || line[kKeyLength] == '\t')) {
        value[0] = line[kKeyLength];
        value[1] = '\0';
    }
    s->separatorKind = kindOfSeparator(value);
    if (s->separatorKind == SeparatorKind::Tab) {
        std::strcpy(s->listSeparator, "\t");
    } else {
        std::strcpy(s->listSeparator, value);
    }
}

// True when the plain line "ListSeparator=<value>" reads back as exactly this separator: otherwise (blanks
// inside, a quote first, the two characters of the tab's spelling) the writer quotes it.
bool plainSeparatorReadsBack(const Settings& in) {
    const std::string line = std::string("ListSeparator=") + in.listSeparator + "\n";
    Settings back;
    readSeparator(line.c_str(), &back);
    return back.separatorKind == in.separatorKind && std::strcmp(back.listSeparator, in.listSeparator) == 0;
}

// A face name is the rest of the line after the "=", up to the first line feed, cut to the field.
void readFace(const char* line, std::size_t keyLength, char* field, std::size_t cap) {
    const char* value = line + keyLength;
    const char* lf = std::strchr(value, '\n');
    const std::size_t n = lf != nullptr ? static_cast<std::size_t>(lf - value) : std::strlen(value);
    copyCut(field, cap, value, n);
}

void applyLine(const char* line, Settings* s) {
    if (startsWithNoCase(line, "EditFontFace=")) {
        readFace(line, sizeof "EditFontFace=" - 1, s->editFontFace, sizeof s->editFontFace);
    } else if (startsWithNoCase(line, "ListFontFace=")) {
        readFace(line, sizeof "ListFontFace=" - 1, s->listFontFace, sizeof s->listFontFace);
    } else if (startsWithNoCase(line, "EditFontHeight=")) {
        std::int32_t* const fields[] = {&s->editFontHeight};
        scanInts(line, "EditFontHeight=", fields, 1);
    } else if (startsWithNoCase(line, "ListFontHeight=")) {
        std::int32_t* const fields[] = {&s->listFontHeight};
        scanInts(line, "ListFontHeight=", fields, 1);
    } else if (startsWithNoCase(line, "CaptureContextMenu=1")) {
        s->captureContextMenu = true;
    } else if (startsWithNoCase(line, "MultipleStartup=1")) {
        s->multipleStartup = true;
    } else if (startsWithNoCase(line, "ForceCrossProcess=1")) {
        s->forceCrossProcess = true;
    } else if (startsWithNoCase(line, "Accessibility=0")) {
        s->accessibility = false;
    } else if (startsWithNoCase(line, "ListWidth=")) {
        std::int32_t* const fields[] = {&s->listWidth};
        scanInts(line, "ListWidth=", fields, 1);
    } else if (startsWithNoCase(line, "ListSeparator=")) {
        readSeparator(line, s);
    } else if (startsWithNoCase(line, "WindowSize=")) {
        Rect32& r = s->windowRect;
        std::int32_t* const fields[] = {&r.left, &r.top, &r.right, &r.bottom};
        scanInts(line, "WindowSize=", fields, 4);
    }
}

// Reads the next piece of a line as fgets(buf, 512) would in text mode: up to kPieceChars characters,
// ending after a line feed. Outside Windows, CR LF is folded to LF here as Windows text mode does.
// Returns false at the end of the file with nothing read.
bool readPiece(std::FILE* f, char* buf) {
    int n = 0;
    while (n < kPieceChars) {
        int c = std::getc(f);
        if (c == EOF) break;
#if !defined(_WIN32)
        if (c == '\r') {
            const int following = std::getc(f);
            if (following == '\n') {
                c = '\n';
            } else if (following != EOF) {
                std::ungetc(following, f);
            }
        }
#endif
        buf[n++] = static_cast<char>(c);
        if (c == '\n') break;
    }
    buf[n] = '\0';
    return n > 0;
}

void setDefaults(Settings* s) {
    const Settings defaults;
    s->windowRect = defaults.windowRect;
    s->listWidth = defaults.listWidth;
    std::strcpy(s->editFontFace, defaults.editFontFace);
    s->editFontHeight = defaults.editFontHeight;
    std::strcpy(s->listFontFace, defaults.listFontFace);
    s->listFontHeight = defaults.listFontHeight;
    std::strcpy(s->listSeparator, defaults.listSeparator);
    s->separatorKind = defaults.separatorKind;
    s->captureContextMenu = defaults.captureContextMenu;
    s->multipleStartup = defaults.multipleStartup;
    s->forceCrossProcess = defaults.forceCrossProcess;
    s->accessibility = defaults.accessibility;
}

// Writes the nine lines; false when any write fails.
bool writeLines(std::FILE* f, const Settings& s) {
    bool ok = true;
    const Rect32& r = s.windowRect;
    ok &= std::fprintf(f, "WindowSize=%d,%d,%d,%d" VANTOR_EOL, static_cast<int>(r.left),
                       static_cast<int>(r.top), static_cast<int>(r.right), static_cast<int>(r.bottom)) >= 0;
    ok &= std::fprintf(f, "ListWidth=%d" VANTOR_EOL, static_cast<int>(s.listWidth)) >= 0;
    ok &= std::fprintf(f, "EditFontFace=%s" VANTOR_EOL, s.editFontFace) >= 0;
    ok &= std::fprintf(f, "EditFontHeight=%d" VANTOR_EOL, static_cast<int>(s.editFontHeight)) >= 0;
    ok &= std::fprintf(f, "ListFontFace=%s" VANTOR_EOL, s.listFontFace) >= 0;
    ok &= std::fprintf(f, "ListFontHeight=%d" VANTOR_EOL, static_cast<int>(s.listFontHeight)) >= 0;
    if (std::strcmp(s.listSeparator, "\t") == 0) {
        ok &= std::fputs("ListSeparator=\\t" VANTOR_EOL, f) >= 0;
    } else if (plainSeparatorReadsBack(s)) {
        ok &= std::fprintf(f, "ListSeparator=%s" VANTOR_EOL, s.listSeparator) >= 0;
    } else {
        ok &= std::fprintf(f, "ListSeparator=\"%s\"" VANTOR_EOL, s.listSeparator) >= 0;
    }
    ok &= std::fprintf(f, "CaptureContextMenu=%d" VANTOR_EOL, s.captureContextMenu ? 1 : 0) >= 0;
    ok &= std::fprintf(f, "MultipleStartup=%d" VANTOR_EOL, s.multipleStartup ? 1 : 0) >= 0;
    // Written only when set: it is a key for comparisons and for targets where reading inside them is
    // unwanted.
    if (s.forceCrossProcess) ok &= std::fputs("ForceCrossProcess=1" VANTOR_EOL, f) >= 0;
    if (!s.accessibility) ok &= std::fputs("Accessibility=0" VANTOR_EOL, f) >= 0;
    return ok;
}

} // namespace

const char* separatorText(SeparatorKind kind) {
    switch (kind) {
    case SeparatorKind::Tab: return "\t";
    case SeparatorKind::Semicolon: return ";";
    case SeparatorKind::Comma: return ",";
    case SeparatorKind::Space: return " ";
    case SeparatorKind::Other: break;
    }
    return nullptr;
}

void loadSettings(const char* path, Settings* out) {
    setDefaults(out);
    std::FILE* f = path != nullptr ? std::fopen(path, "r") : nullptr;
    if (f == nullptr) return;
    char piece[kPieceChars + 1];
    while (readPiece(f, piece))
        applyLine(piece, out);
    std::fclose(f);
}

void loadSettings(const char* path) {
    loadSettings(path, &settings);
}

bool saveSettings(const char* path, const Settings& in) {
    // The new file is written beside the old one and replaces it only when complete, so a failure at any
    // point leaves the old file as it was.
    if (path == nullptr) return false;
    const std::string newPath = std::string(path) + ".new";
    std::FILE* f = std::fopen(newPath.c_str(), "w");
    if (f == nullptr) {
        sys().messageBox(Hwnd{}, kCannotOpen, path, kMbOk);
        return false;
    }
    bool ok = writeLines(f, in);
    ok &= std::fflush(f) == 0;
    ok &= std::ferror(f) == 0;
    ok &= std::fclose(f) == 0;
    if (!ok || !sys().replaceFile(newPath.c_str(), path)) {
        std::remove(newPath.c_str());
        sys().messageBox(Hwnd{}, kCannotOpen, path, kMbOk);
        return false;
    }
    return true;
}

bool saveSettings(const char* path) {
    return saveSettings(path, settings);
}

} // namespace vantor
