// The readers of the standard list box, combo box and edit controls. They need no memory in the target
// process: the window system copies the text of these messages into a buffer of this process. The list
// box and combo box items are read inside the target through the hook library when it answers
// (capture/bulk_session.h), the same items, each asked for its length first and read whole.
//
// Threads: the capture worker or the monitor pass (the edit reader also the structure report on the
// capture worker). They take the session's capture lock themselves around their appends; call them without
// it.
#pragma once

#include <string>

#include "capture/read_path.h"
#include "capture/section_model.h"
#include "platform/platform.h"

namespace vantor {

class CaptureSession;

// Every item into the model, whatever its length (Failed for an owner-drawn list without texts, CutShort
// when the rest of a bulk read was lost with the control).
// choice: whether the bulk path may be tried.
void readListBoxSection(Hwnd listBox, ReadPathChoice choice, SectionModel* model);
void readComboBoxSection(Hwnd comboBox, ReadPathChoice choice, SectionModel* model);
// Appends every item of at least 2 bytes on a line of its own ("\r\n" after each), or the failure line
// when the list box has no item or only shorter ones. An owner-drawn list box without LBS_HASSTRINGS holds
// no texts (its text message copies item data): it is asked for no item and gets the failure line.
void readListBox(CaptureSession& session, Hwnd listBox);
// The same for the items of a combo box's list (not the text of its edit field), with CBS_HASSTRINGS.
void readComboBox(CaptureSession& session, Hwnd comboBox);
// The whole text of an edit-like control (up to its first NUL) into *text; false when no buffer could be
// obtained. Touches no shared state.
bool readEditText(Hwnd edit, std::string* text);

} // namespace vantor
