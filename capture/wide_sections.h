// The texts of a capture session's Unicode windows read again as UTF-16, for the structured output: a
// Unicode window answers the ANSI messages the report is read with by converting its texts to code page 932,
// which turns every character the code page lacks into "?"; read with the wide messages, the same texts come
// whole. The report itself is not touched: it stays what the ANSI reads gave.
//
// Threads: the capture's thread, after the capture.
#pragma once

#include "capture/capture_session.h"

namespace vantor {

// When the captured window's top-level window is a Unicode window, for each control's section: its texts
// (list-view header and cells, list and combo box items, tabs, tree items, status parts, toolbar buttons)
// read wide, as UTF-8 (textsUtf8 set); a text that cannot be read wide keeps what the ANSI read gave,
// converted. The menu bar's item texts likewise. Each outline window with a title gets it read wide
// (titleUtf8 set). Nothing when no wide window system is installed.
void readUnicodeTexts(CaptureSession* session);

// Whether window's top-level window is a Unicode window and a wide window system is installed.
bool isUnicodeCapture(Hwnd window);
// One control's section model read again as readUnicodeTexts does; each text converted from code page 932
// keeps its size there as the size the report's rules judge it by (SectionItem::judgedBytes).
void readSectionTextsWide(SectionModel* model);
// A menu section's item texts read again wide (GetMenuItemInfoW, or the hook library's wide snapshot texts)
// and cut at their first tab, as readSectionTextsWide does for a control's texts.
void readMenuTextsWide(SectionModel* model);
// A list view's rows from fromRow on, code page 932, converted to UTF-8 and their cells read wide: the rows
// the cross-process path read after the bulk path had given the first ones wide.
void readListViewRowsWide(SectionModel* model, std::size_t fromRow);

} // namespace vantor
