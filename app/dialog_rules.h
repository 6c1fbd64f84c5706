// The rules of the Option, Monitor and About dialogs that do not need a window: the separator a radio
// button selects, the interval the Monitor dialog accepts, the version text and the link colours.
// app/*_dialog.cpp apply them to the real controls. Header-only and portable (no <windows.h>).
// Threads: the user-interface thread (they change the settings record).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "app/resource.h"
#include "app/settings.h"
#include "platform/text.h"
#include "vantor_version.h"

namespace vantor {

// Room for the separator: 9 characters and the terminator.
constexpr std::size_t kSeparatorChars = sizeof(Settings::listSeparator) - 1;

// Copies the first 9 bytes of text into the separator, never keeping half of a double-byte character.
inline void setOtherSeparator(Settings* s, const char* text) {
    const std::size_t kept = text ? cp932CutLength(text, std::strlen(text), kSeparatorChars) : 0;
    std::memcpy(s->listSeparator, text ? text : "", kept);
    s->listSeparator[kept] = '\0';
}

// A click on one of the five radio buttons (1004..1008) takes effect at once, even if the dialog is then
// cancelled. editText is the text of edit 1009 at that moment. False for any other control.
inline bool applySeparatorButton(Settings* s, int controlId, const char* editText) {
    switch (controlId) {
    case IDC_OPT_SEP_TAB:
    case IDC_OPT_SEP_SEMICOLON:
    case IDC_OPT_SEP_COMMA:
    case IDC_OPT_SEP_SPACE:
        s->separatorKind = static_cast<SeparatorKind>(controlId - IDC_OPT_SEP_TAB);
        std::strcpy(s->listSeparator, separatorText(s->separatorKind));
        return true;
    case IDC_OPT_SEP_OTHER:
        s->separatorKind = SeparatorKind::Other;
        setOtherSeparator(s, editText);
        return true;
    default: return false;
    }
}

// OK in the Option dialog: the check boxes take effect, and the edit's text is taken again when Other is
// the separator.
inline void applyOptionOk(Settings* s, bool contextMenu, bool multipleStartup, const char* editText) {
    s->captureContextMenu = contextMenu;
    s->multipleStartup = multipleStartup;
    if (s->separatorKind == SeparatorKind::Other) setOtherSeparator(s, editText);
}

// The radio button checked when the Option dialog opens.
inline int checkedSeparatorButton(const Settings& s) {
    return IDC_OPT_SEP_TAB + static_cast<int>(s.separatorKind);
}

// OK in the Monitor dialog: the unsigned number read from the edit (0 when it is not a number) becomes the
// interval, unless as a signed 32-bit value it is not above 0; then one second (10).
inline std::int32_t monitorIntervalFrom(std::uint32_t value) {
    const std::int32_t v = static_cast<std::int32_t>(value);
    return v > 0 ? v : 10;
}

// The About box texts. The version number is the release's (the file VERSION, through the generated
// vantor_version.h), "MAJOR.MINOR" as the box has always shown it.
constexpr char kVersionNumber[] = VANTOR_VERSION_TEXT;
constexpr char kVersionSuffix[] = "";
constexpr char kBuildDate[] = "2003/08/21";
constexpr char kHomePageAddress[] = "http://vantor.example.org/";
constexpr char kMailAddress[] = "vantor@example.org";

inline void formatVersionText(char* out, std::size_t cap) {
    std::snprintf(out, cap, "version %s%s [%s]", kVersionNumber, kVersionSuffix, kBuildDate);
}

// Colours as 0x00BBGGRR: unvisited and visited links, and the version text.
constexpr std::uint32_t rgb(unsigned r, unsigned g, unsigned b) {
    return r | (g << 8) | (b << 16);
}
inline std::uint32_t linkColour(bool visited) {
    return visited ? rgb(128, 0, 128) : rgb(0, 0, 255);
}
constexpr std::uint32_t kVersionColour = rgb(50, 50, 200);

} // namespace vantor
