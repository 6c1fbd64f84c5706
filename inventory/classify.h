// Classification of windows by class name into the kinds of control the capture engine reads.
// Pure apart from reading a window's class name; callable from any thread.
#pragma once

#include "platform/platform.h"

namespace vantor {

enum class ControlKind : int {
    Other = 0,
    ListView = 1,
    ListBox = 2,
    ComboBox = 3,
    TreeView = 4,
    TabControl = 5,
    Toolbar = 6,
    StatusBar = 7,
    UpDown = 8,
    Edit = 9,
    Static = 10,
    RadioBox = 11,
    CheckBox = 12,
    Button = 13,
};

ControlKind classifyClassName(const char* className);
// Reads the class name (256-byte buffer) through the platform; a vanished window is Other.
ControlKind classifyWindow(Hwnd window);

} // namespace vantor
