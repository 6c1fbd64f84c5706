// vantor-cli: the command-line front end on the capture engine. Declarations shared by its files: the exit
// codes, the parsed command line, and the two commands (capture, list).
//
// Threads: the program has one thread; everything here runs on it.
#pragma once

#include <atomic>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vantor {
class CaptureSession;
namespace cli {

// Exit codes, printed by --help; tests and scripts depend on their values.
enum ExitCode : int {
    kExitOk = 0,                // the report (or the list) was written; also a capture that read nothing
    kExitNoWindow = 1,          // no window matches, or the handle names no window
    kExitBadArguments = 2,      // the command line cannot be understood
    kExitSeveralWindows = 3,    // the title or class names more than one window
    kExitOutputNotWritable = 4, // the output file cannot be created, or writing the output failed
};

enum class Command { Help, Version, Capture, List, Watch };

// capture --format: the report as text (the default), or structured as JSON or CSV; watch --format: one JSON
// line per pass (the default) or the report as text.
enum class Format { Text, Json, Csv, Jsonl };
// capture --encoding: the text report's and stderr's bytes; JSON and CSV are always UTF-8.
enum class Encoding { Cp932, Utf8 };

// How capture names its window: exactly one of these.
enum class Selector { None, Title, Class, Handle };

struct Arguments {
    Command command = Command::Help;
    Selector selector = Selector::None;
    const char* text = nullptr;    // the title or class name (code page 932 bytes, compared exactly)
    std::uint64_t handle = 0;      // --handle
    const char* outPath = nullptr; // --out; null for standard output
    bool listHandles = false;      // list --handles: each line starts with the window's handle
    bool crossProcess = false;     // capture --cross-process: never read controls inside the target
    bool verbose = false;          // capture --verbose: the path each list view and tree view took, on stderr
    Format format = Format::Text;
    Encoding encoding = Encoding::Cp932; // Utf8 for JSON and CSV unless the command line said otherwise
    // watch: milliseconds between the starts of two passes, only the passes whose sections changed, and the
    // controls whose sections are written (none given: all).
    unsigned intervalMs = 0;
    bool changesOnly = false;
    std::vector<std::uint64_t> controls;
};

// Parses argv. False with a one-line reason in *error (a static text) when the command line is not
// understood.
bool parseArguments(int argc, char** argv, Arguments* out, const char** error);

// Writes the usage text with the exit codes.
void printUsage(std::FILE* to);

// Messages on stderr: printf-style, in the encoding set (code page 932 bytes as they are, or converted to
// UTF-8 with window titles and class names). cli_messages.cpp.
void setMessageEncoding(Encoding encoding);
void printError(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Code page 932 bytes (the report, window titles) as UTF-8, lossless for every text the code page holds.
std::string utf8FromCodePage(const std::string& bytes);

// The commands; each returns the program's exit code and prints its own error messages to stderr.
int runCapture(const Arguments& args);
// Passes until the window closes (kExitNoWindow) or watchInterrupted is set (kExitOk).
int runWatch(const Arguments& args);

// What vantor-cli keeps for its whole run, in one object (cliState()).
struct CliState {
    // Set by the console's Ctrl+C handler (cli_main.cpp, on the handler's own thread); the watch ends after
    // the pass it is in.
    std::atomic<bool> watchInterrupted{false};
    // The session of the watch pass under way (null between passes), so that Ctrl+C can stop it.
    std::atomic<CaptureSession*> runningPass{nullptr};
    // The encoding of the messages on the console: set from the options on the main thread before any
    // message is written, read-only afterwards.
    Encoding messageEncoding = Encoding::Cp932;
};
CliState& cliState();
int runList(const Arguments& args);

} // namespace cli
} // namespace vantor
