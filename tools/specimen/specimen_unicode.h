// The specimen's Unicode window (started with --unicode-window): a second top-level window, created with the
// W API, whose controls hold texts code page 932 cannot hold (accented Latin letters, an en dash, Korean,
// simplified Chinese, an emoji). Its class, title and child ids, for the tests; its texts are listed in
// specimen_unicode.cpp. No <windows.h> here.
#pragma once

namespace vantor {
namespace specimen {

constexpr char kUnicodeWindowClass[] = "VantorSpecimenUnicode";
constexpr char kUnicodeWindowTitle[] = "Vantor Specimen Unicode";

constexpr int kIdUnicodeListView = 201;
constexpr int kIdUnicodeListBox = 202;
constexpr int kIdUnicodeComboBox = 203;
constexpr int kIdUnicodeTreeView = 204;
constexpr int kIdUnicodeTabs = 205;
constexpr int kIdUnicodeEdit = 206;
constexpr int kIdUnicodeStatic = 207;
constexpr int kIdUnicodeStatusBar = 208;
constexpr int kIdUnicodeToolbar = 209;
constexpr int kIdUnicodeButton = 210;
// The toolbar's buttons' command ids.
constexpr int kUnicodeToolbarFirstCommand = 901;

} // namespace specimen
} // namespace vantor
