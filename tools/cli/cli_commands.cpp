// The two commands of vantor-cli. capture finds the window, runs the application's window capture on this
// thread (the same steps as the capture worker: clear, structure report, full capture) and writes the report
// bytes unchanged, or the JSON document or CSV tables of the session it kept; list rebuilds the window tree
// and prints one line per row of the window list.
//
// Threads: the program's one thread. The capture runs here directly: the program has no window of its own,
// so nothing has to keep serving messages while the engine waits for the captured application.
#include "cli.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "app/file_replace.h"
#include "app/settings.h"
#include "capture/capture_lock.h"
#include "capture/capture_session.h"
#include "capture/read_path.h"
#include "capture/report_buffer.h"
#include "capture/section_csv.h"
#include "capture/section_json.h"
#include "capture/utf8_report.h"
#include "capture/wide_sections.h"
#include "inventory/text_node.h"
#include "inventory/window_tree.h"
#include "platform/platform.h"
#include "triggers/capture_commands.h"

namespace vantor {
namespace cli {

namespace {

constexpr int kTextBuffer = 256;

std::uint64_t handleValue(Hwnd w) {
    return static_cast<std::uint64_t>(static_cast<std::uintptr_t>(w));
}

// One line of the list of matching windows, on stderr.
void describeWindow(Hwnd w) {
    char title[kTextBuffer] = "";
    char className[kTextBuffer] = "";
    ws().windowText(w, title, sizeof title);
    ws().className(w, className, sizeof className);
    printError("  0x%" PRIX64 " %s [%s]\n", handleValue(w), title, className);
}

// The top-level windows whose whole title (or class name) is the text, in z-order.
void matchingWindows(const Arguments& args, std::vector<Hwnd>* out) {
    std::vector<Hwnd> all;
    ws().topLevelWindows(&all);
    for (Hwnd w : all) {
        char name[kTextBuffer] = "";
        if (args.selector == Selector::Title)
            ws().windowText(w, name, sizeof name);
        else
            ws().className(w, name, sizeof name);
        if (std::strcmp(name, args.text) == 0) out->push_back(w);
    }
}

int resolveWindow(const Arguments& args, Hwnd* out) {
    if (args.selector == Selector::Handle) {
        const Hwnd w = static_cast<Hwnd>(static_cast<std::uintptr_t>(args.handle));
        if (!ws().isWindow(w)) {
            printError("vantor-cli: no window has the handle 0x%" PRIX64 "\n", args.handle);
            return kExitNoWindow;
        }
        *out = w;
        return kExitOk;
    }
    const char* what = args.selector == Selector::Title ? "title" : "class name";
    std::vector<Hwnd> found;
    matchingWindows(args, &found);
    if (found.empty()) {
        printError("vantor-cli: no top-level window has the %s \"%s\"\n", what, args.text);
        return kExitNoWindow;
    }
    if (found.size() > 1) {
        printError("vantor-cli: %u top-level windows have the %s \"%s\"; choose one with --handle:\n",
                   static_cast<unsigned>(found.size()), what, args.text);
        for (Hwnd w : found)
            describeWindow(w);
        return kExitSeveralWindows;
    }
    *out = found.front();
    return kExitOk;
}

// Where the report goes: standard output (already in binary mode) or a file. A file is only checked when
// the capture starts and is written once the report is whole, through a new file that then replaces it, so
// that a capture that fails, is interrupted (Ctrl+C) or finds its window closed leaves a file that was
// there as it was, and creates none.
class Output {
  public:
    bool open(const char* path) {
        if (path == nullptr) return true;
        filePath = path;
        // Opened for appending: whether it can be written is known without changing what it holds.
        const bool existed = exists(path);
        std::FILE* probe = std::fopen(path, "ab");
        if (probe == nullptr) return false;
        std::fclose(probe);
        if (!existed) std::remove(path);
        return true;
    }
    // Writes all bytes; false when any write failed (a file is then left as it was).
    bool write(const char* bytes, std::size_t n) {
        if (filePath.empty()) {
            const bool ok = n == 0 || std::fwrite(bytes, 1, n, stdout) == n;
            return std::fflush(stdout) == 0 && ok;
        }
        return replaceFileContents(filePath.c_str(), bytes, n);
    }

  private:
    static bool exists(const char* path) {
        std::FILE* f = std::fopen(path, "rb");
        if (f == nullptr) return false;
        std::fclose(f);
        return true;
    }
    std::string filePath;
};

// The capture commands' host for a program without a user interface: nothing to show, no clipboard, no
// second thread. It notes the one event the command has to act on, the window closing before the capture.
class QuietHost : public CommandHost {
  public:
    bool windowGone = false;

    std::string listSeparator() override { return settings.listSeparator; }
    Hwnd focusWindow() override { return Hwnd{}; }
    void waitServingMessages(unsigned ms) override { sys().sleepMs(ms); }
    void resetPaneSelection() override {}
    bool startCaptureThread(Hwnd, std::shared_ptr<CaptureSession>) override { return false; }
    void requestWindowListRefresh() override { windowGone = true; }
    void bringMainWindowToFront() override {}
    bool placeOnClipboard(const char*, std::size_t) override { return false; }
};

// --cross-process or the setting ForceCrossProcess keeps the capture off the bulk path.
ReadPathChoice readPathOf(const Arguments& args) {
    return settings.forceCrossProcess || args.crossProcess ? ReadPathChoice::CrossProcessOnly
                                                           : ReadPathChoice::BulkAllowed;
}

} // namespace

int runCapture(const Arguments& args) {
    Hwnd window{};
    const int found = resolveWindow(args, &window);
    if (found != kExitOk) return found;
    Output output;
    if (!output.open(args.outPath)) {
        printError("vantor-cli: cannot create the output file \"%s\"\n", args.outPath);
        return kExitOutputNotWritable;
    }
    QuietHost host;
    // JSON and CSV are written from the models the capture keeps; the report is made all the same. The
    // UTF-8 report of a Unicode window rebuilds its sections from them with wide texts.
    CaptureSession session(nullptr, settings.listSeparator, readPathOf(args));
    const bool structured = args.format != Format::Text;
    const bool keep = structured || args.encoding == Encoding::Utf8;
    session.keepModels = keep;
    // JSON, CSV and the UTF-8 report take a Unicode program's list views wide on the bulk path already.
    setWideBulkTexts(keep);
    runWindowCapture(window, host, session);
    if (host.windowGone) {
        printError("vantor-cli: the window 0x%" PRIX64 " closed before it could be captured\n",
                   handleValue(window));
        return kExitNoWindow;
    }
    // Texts of Unicode windows read again, wide, so that what code page 932 lacks survives in UTF-8.
    if (structured) readUnicodeTexts(&session);
    std::string bytes;
    if (args.format == Format::Json) {
        bytes = captureJson(session);
    } else if (args.format == Format::Csv) {
        bytes = captureCsv(session);
    } else {
        bytes = reportSnapshot(session);
        if (args.encoding == Encoding::Utf8)
            bytes = utf8ReportOf(window, &session, bytes, settings.listSeparator);
    }
    if (!output.write(bytes.data(), bytes.size())) {
        printError("vantor-cli: writing the report to %s failed\n",
                   args.outPath != nullptr ? args.outPath : "standard output");
        return kExitOutputNotWritable;
    }
    return kExitOk;
}

CliState& cliState() {
    static CliState state; // made by the first caller, the main thread, before Ctrl+C is handled
    return state;
}

namespace {

// "2026-12-07T09:30:15.042", local time.
std::string timestamp() {
    LocalTime t{};
    sys().localTime(&t);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", t.year, t.month, t.day, t.hour,
                  t.minute, t.second, t.milliseconds);
    return text;
}

// The sections of the pass as a JSON array: all, or those of the --control windows.
std::string watchedSections(const CaptureSession& session, const Arguments& args) {
    std::vector<JsonSection> sections;
    for (const CapturedSection& s : session.sections) {
        const std::uint64_t control = handleValue(s.model.control);
        bool wanted = args.controls.empty();
        for (std::uint64_t c : args.controls)
            wanted = wanted || c == control;
        if (wanted) sections.push_back({&s.model, capturedKindName(s)});
    }
    return sectionsJson(sections);
}

// True when the window is the watched one or a window below it (GetParent up to it).
bool atOrBelow(Hwnd w, Hwnd top) {
    for (int depth = 0; depth < 64 && w != Hwnd{}; ++depth, w = ws().parent(w))
        if (w == top) return true;
    return false;
}

// Waits ms milliseconds in short steps, so that Ctrl+C ends the wait soon.
void waitInterruptibly(unsigned ms) {
    constexpr unsigned kStepMs = 50;
    for (unsigned waited = 0; waited < ms && !cliState().watchInterrupted; waited += kStepMs)
        sys().sleepMs(ms - waited < kStepMs ? ms - waited : kStepMs);
}

} // namespace

int runWatch(const Arguments& args) {
    Hwnd window{};
    const int found = resolveWindow(args, &window);
    if (found != kExitOk) return found;
    // A --control outside the window would match no section, pass after pass.
    for (std::uint64_t c : args.controls) {
        if (!atOrBelow(static_cast<Hwnd>(static_cast<std::uintptr_t>(c)), window)) {
            printError("vantor-cli: no window at or below 0x%" PRIX64 " has the handle 0x%" PRIX64 "\n",
                       handleValue(window), c);
            return kExitNoWindow;
        }
    }
    const bool jsonl = args.format == Format::Jsonl;
    // The UTF-8 text report is made from the kept models, as capture makes it.
    const bool utf8Text = !jsonl && args.encoding == Encoding::Utf8;
    setWideBulkTexts(jsonl || utf8Text);
    std::string last;
    bool written = false;
    for (;;) {
        QuietHost host;
        CaptureSession session(nullptr, settings.listSeparator, readPathOf(args));
        session.keepModels = jsonl || utf8Text;
        cliState().runningPass = &session;
        // Ctrl+C that came before the pass was given to the handler stops it as well.
        if (cliState().watchInterrupted) session.requestStop();
        runWindowCapture(window, host, session);
        cliState().runningPass = nullptr;
        // A pass that Ctrl+C cut short is not written.
        if (cliState().watchInterrupted) return kExitOk;
        if (host.windowGone || !ws().isWindow(window)) {
            printError("vantor-cli: the window 0x%" PRIX64 " closed\n", handleValue(window));
            return kExitNoWindow;
        }
        std::string content;
        if (jsonl) {
            readUnicodeTexts(&session);
            content = watchedSections(session, args);
        } else {
            content = reportSnapshot(session);
        }
        if (!args.changesOnly || !written || content != last) {
            std::string line;
            if (jsonl) {
                line = "{\"sections\":" + content + ",\"timestamp\":\"" + timestamp() + "\"}\n";
            } else {
                line =
                    timestamp() + "\r\n" +
                    (utf8Text ? utf8ReportOf(window, &session, content, settings.listSeparator) : content) +
                    "\r\n";
            }
            if (std::fwrite(line.data(), 1, line.size(), stdout) != line.size() || std::fflush(stdout) != 0) {
                printError("vantor-cli: writing to standard output failed\n");
                return kExitOutputNotWritable;
            }
            written = true;
        }
        last = std::move(content);
        waitInterruptibly(args.intervalMs);
        if (cliState().watchInterrupted) return kExitOk;
    }
}

int runList(const Arguments& args) {
    rebuildWindowTree();
    std::string lines;
    for (const TextNode* n = windowRoot != nullptr ? windowRoot->firstChild() : nullptr; n != nullptr;
         n = n->next()) {
        const WindowNode* w = static_cast<const WindowNode*>(n);
        if (args.listHandles) {
            char handle[32];
            std::snprintf(handle, sizeof handle, "0x%" PRIX64 " ", handleValue(w->window));
            lines += handle;
        }
        lines += w->title != nullptr ? w->title : "";
        lines += " [";
        lines += w->className != nullptr ? w->className : "";
        lines += "]\r\n";
    }
    clearWindowTree();
    if (std::fwrite(lines.data(), 1, lines.size(), stdout) != lines.size() || std::fflush(stdout) != 0) {
        printError("vantor-cli: writing the list to standard output failed\n");
        return kExitOutputNotWritable;
    }
    return kExitOk;
}

} // namespace cli
} // namespace vantor
