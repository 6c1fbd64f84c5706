// The command line of vantor-cli: parsing into Arguments and the usage text (which carries the exit codes).
// Threads: the program's one thread.
#include "cli.h"

#include <cstring>

namespace vantor {
namespace cli {

namespace {

bool same(const char* a, const char* b) {
    return std::strcmp(a, b) == 0;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// "0x1A2B" or "1A2B": 1 to 16 hex digits, not zero.
bool parseHandle(const char* text, std::uint64_t* out) {
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) text += 2;
    const std::size_t n = std::strlen(text);
    if (n == 0 || n > 16) return false;
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const int d = hexDigit(text[i]);
        if (d < 0) return false;
        value = value << 4 | static_cast<std::uint64_t>(d);
    }
    if (value == 0) return false;
    *out = value;
    return true;
}

// --format VALUE and --encoding VALUE; false with the reason for an unknown value or a second one.
bool parseOutputOption(const char* name, const char* value, bool* formatSeen, bool* encodingSeen,
                       Arguments* a, const char** error) {
    const bool format = same(name, "--format");
    bool& seen = format ? *formatSeen : *encodingSeen;
    if (seen) {
        *error = format ? "--format is given twice" : "--encoding is given twice";
        return false;
    }
    seen = true;
    if (format && same(value, "text")) {
        a->format = Format::Text;
    } else if (format && same(value, "json") && a->command == Command::Capture) {
        a->format = Format::Json;
    } else if (format && same(value, "csv") && a->command == Command::Capture) {
        a->format = Format::Csv;
    } else if (format && same(value, "jsonl") && a->command == Command::Watch) {
        a->format = Format::Jsonl;
    } else if (!format && same(value, "cp932")) {
        a->encoding = Encoding::Cp932;
    } else if (!format && same(value, "utf-8")) {
        a->encoding = Encoding::Utf8;
    } else {
        *error = !format                        ? "--encoding takes cp932 or utf-8"
                 : a->command == Command::Watch ? "--format of watch takes jsonl or text"
                                                : "--format takes text, json or csv";
        return false;
    }
    return true;
}

// The combinations of --format and --encoding: JSON and CSV are UTF-8 whatever the code page.
bool checkOutputOptions(bool encodingSeen, Arguments* a, const char** error) {
    if (a->format == Format::Text) return true;
    if (encodingSeen && a->encoding == Encoding::Cp932) {
        *error = "--format json, csv and jsonl are always UTF-8: leave out --encoding cp932";
        return false;
    }
    a->encoding = Encoding::Utf8;
    return true;
}

// The longest interval: one day.
constexpr unsigned long kMaxIntervalMs = 86400000;

// watch --interval MS (1 ms to one day, given once) and --control HANDLE (any number of times).
bool parseWatchOption(const char* name, const char* value, Arguments* a, const char** error) {
    if (same(name, "--control")) {
        std::uint64_t handle = 0;
        if (!parseHandle(value, &handle)) {
            *error = "--control needs a hexadecimal window handle such as 0x1A2B";
            return false;
        }
        a->controls.push_back(handle);
        return true;
    }
    if (a->intervalMs != 0) {
        *error = "--interval is given twice";
        return false;
    }
    unsigned long ms = 0;
    bool digits = value[0] != '\0';
    for (const char* c = value; *c != '\0' && digits; ++c) {
        digits = *c >= '0' && *c <= '9';
        ms = ms * 10 + static_cast<unsigned long>(*c - '0');
        if (ms > kMaxIntervalMs) digits = false;
    }
    if (!digits || ms == 0) {
        *error = "--interval takes milliseconds from 1 to 86400000";
        return false;
    }
    a->intervalMs = static_cast<unsigned>(ms);
    return true;
}

bool parseCapture(int argc, char** argv, Arguments* a, const char** error) {
    bool formatSeen = false, encodingSeen = false;
    for (int i = 2; i < argc; ++i) {
        const char* name = argv[i];
        Selector selector = Selector::None;
        if (same(name, "--format") || same(name, "--encoding")) {
            if (i + 1 >= argc) {
                *error = "an option of capture is missing its value";
                return false;
            }
            if (!parseOutputOption(name, argv[++i], &formatSeen, &encodingSeen, a, error)) return false;
            continue;
        }
        const bool watch = a->command == Command::Watch;
        if (watch && same(name, "--changes-only")) {
            if (a->changesOnly) {
                *error = "--changes-only is given twice";
                return false;
            }
            a->changesOnly = true;
            continue;
        }
        if (watch && (same(name, "--interval") || same(name, "--control"))) {
            if (i + 1 >= argc) {
                *error = "an option of watch is missing its value";
                return false;
            }
            if (!parseWatchOption(name, argv[++i], a, error)) return false;
            continue;
        }
        if (!watch && (same(name, "--cross-process") || same(name, "--verbose"))) {
            bool& flag = same(name, "--verbose") ? a->verbose : a->crossProcess;
            if (flag) {
                *error = "an option of capture is given twice";
                return false;
            }
            flag = true;
            continue;
        }
        if (same(name, "--title")) {
            selector = Selector::Title;
        } else if (same(name, "--class")) {
            selector = Selector::Class;
        } else if (same(name, "--handle")) {
            selector = Selector::Handle;
        } else if (!same(name, "--out") || watch) {
            *error = watch ? "unknown option for watch" : "unknown option for capture";
            return false;
        }
        if (i + 1 >= argc) {
            *error = "an option of capture is missing its value";
            return false;
        }
        const char* value = argv[++i];
        if (selector == Selector::None) {
            if (a->outPath != nullptr) {
                *error = "--out is given twice";
                return false;
            }
            if (value[0] == '\0') {
                *error = "--out needs a file name";
                return false;
            }
            a->outPath = value;
            continue;
        }
        if (a->selector != Selector::None) {
            *error = "give exactly one of --title, --class, --handle";
            return false;
        }
        a->selector = selector;
        if (selector == Selector::Handle) {
            if (!parseHandle(value, &a->handle)) {
                *error = "--handle needs a hexadecimal window handle such as 0x1A2B";
                return false;
            }
        } else {
            a->text = value;
        }
    }
    if (a->selector == Selector::None) {
        *error = a->command == Command::Watch ? "watch needs one of --title, --class, --handle"
                                              : "capture needs one of --title, --class, --handle";
        return false;
    }
    if (a->command == Command::Watch) {
        if (a->intervalMs == 0) {
            *error = "watch needs --interval MS";
            return false;
        }
        if (!formatSeen) a->format = Format::Jsonl;
        // The text report is one whole: it has no sections to pick.
        if (a->format == Format::Text && !a->controls.empty()) {
            *error = "--control picks the sections of --format jsonl, not of the text report";
            return false;
        }
    }
    return checkOutputOptions(encodingSeen, a, error);
}

bool parseList(int argc, char** argv, Arguments* a, const char** error) {
    for (int i = 2; i < argc; ++i) {
        if (same(argv[i], "--handles") && !a->listHandles) {
            a->listHandles = true;
            continue;
        }
        *error = "list takes no argument but --handles";
        return false;
    }
    return true;
}

} // namespace

bool parseArguments(int argc, char** argv, Arguments* out, const char** error) {
    Arguments a;
    *error = nullptr;
    if (argc < 2) {
        *error = "no command given";
        return false;
    }
    const char* command = argv[1];
    bool ok = false;
    if (same(command, "--help") || same(command, "-h") || same(command, "help")) {
        a.command = Command::Help;
        ok = argc == 2;
        if (!ok) *error = "--help takes no argument";
    } else if (same(command, "--version")) {
        a.command = Command::Version;
        ok = argc == 2;
        if (!ok) *error = "--version takes no argument";
    } else if (same(command, "capture")) {
        a.command = Command::Capture;
        ok = parseCapture(argc, argv, &a, error);
    } else if (same(command, "watch")) {
        a.command = Command::Watch;
        ok = parseCapture(argc, argv, &a, error);
    } else if (same(command, "list")) {
        a.command = Command::List;
        ok = parseList(argc, argv, &a, error);
    } else {
        *error = "unknown command";
    }
    if (ok) *out = a;
    return ok;
}

void printUsage(std::FILE* to) {
    std::fputs(
        "usage:\n"
        "  vantor-cli capture (--title TEXT | --class NAME | --handle 0xHEX) [--out FILE]\n"
        "                     [--cross-process] [--verbose] [--format text|json|csv]\n"
        "                     [--encoding cp932|utf-8]\n"
        "      Captures the window as the application's window capture does: the structure report,\n"
        "      then every readable control below the window. The report is written as code page 932\n"
        "      bytes, unchanged (no line-end translation), to FILE or to standard output.\n"
        "      --title and --class compare the whole top-level window title or class name exactly;\n"
        "      --handle takes any window, also a child control.\n"
        "      List views, tree views, list boxes and combo boxes are read inside the target through\n"
        "      msghook.dll when it answers, across processes otherwise (the same report);\n"
        "      --cross-process (or ForceCrossProcess=1 in vantor.ini) always reads them across\n"
        "      processes, --verbose prints the way each one was read to standard error.\n"
        "      --encoding utf-8 writes the text report and the messages on standard error in UTF-8\n"
        "      (cp932, the default, writes them as they are). --format json writes the window tree\n"
        "      and every section as data, --format csv the list views, list boxes and combo boxes\n"
        "      as tables, one per control; both are always UTF-8 (--encoding cp932 with them is\n"
        "      refused).\n"
        "  vantor-cli watch (--title TEXT | --class NAME | --handle 0xHEX) --interval MS\n"
        "                   [--control 0xHEX ...] [--changes-only] [--format jsonl|text]\n"
        "                   [--encoding cp932|utf-8]\n"
        "      Captures the window every MS milliseconds. jsonl (the default, UTF-8) writes one line\n"
        "      per pass: {\"sections\": [...], \"timestamp\": \"YYYY-MM-DDThh:mm:ss.mmm\"}, the sections\n"
        "      as capture --format json writes them, only those of the --control windows (the window\n"
        "      or windows below it) when given; text writes the timestamp line and the whole report\n"
        "      (--control is refused with it). --changes-only leaves out a pass whose sections are\n"
        "      those of the pass written before. Each pass is flushed as it is written.\n"
        "      Ends with exit code 1 when the window closes (at once when a --control handle is no\n"
        "      window at or below it), with 0 on Ctrl+C.\n"
        "  vantor-cli list [--handles]\n"
        "      One line per row of the application's window list: \"title [class]\", top of the\n"
        "      z-order first; with --handles each line starts with the window's handle.\n"
        "  vantor-cli --version\n"
        "      Prints \"vantor-cli\" and the release's version number.\n"
        "  vantor-cli --help\n"
        "\n"
        "The list-view column separator is ListSeparator of vantor.ini beside vantor-cli.exe (a tab\n"
        "when the file or the key is absent).\n"
        "\n"
        "exit codes:\n"
        "  0  done (a capture that finds nothing readable still writes its report)\n"
        "  1  no such window\n"
        "  2  bad arguments\n"
        "  3  several windows match (use --handle; `list --handles` shows them)\n"
        "  4  the output file cannot be written\n",
        to);
}

} // namespace cli
} // namespace vantor
