// The record of a run that /LOG asks for: every message the run shows (or,
// without a window, would show) and every trace line, appended to a file in
// UTF-8, one line each, after the local date and time.
#pragma once

#include <windows.h>

#include "command_line.h"

namespace tarsik {

// Opens path (system code page) for appending, creating it when missing (a
// new file begins with the UTF-8 byte order mark, so that Windows' own
// editors read it as UTF-8), and from then on sends the trace lines there
// too; alsoStandardOutput keeps writing them to standard output as well.
// A file that the run reads (the program, its install script, a piece
// beside it), by whatever name, is refused with nothing written to it (and
// not left behind when the open made it).
enum LogOpening { LogOpened, LogCannotOpen, LogIsAnInput };
LogOpening OpenInstallerLog(const char* path, bool alsoStandardOutput);

// Sends trace lines nowhere: an unattended run without a log writes nothing.
void DiscardTrace();

// Closes the log; further lines are dropped.
void CloseInstallerLog();

// A user's run: with /LOG the log is opened (warning 12 with its path when
// it cannot be, or is a file the run reads, and the run goes on unlogged),
// trace lines go to standard output as ever and to the log, and the first
// line names the arguments; those meant for an unattended run only are
// noted as ignored.
void StartUserRunLog(const char* arguments, const CommandLine& options);
// The last line, with the exit code, and the log closed.
void EndRunLog(int exitCode);

// One line of text, after the date, the time and the process id. Line
// breaks inside become spaces; trailing ones go.
// Nothing happens while no log is open.
void LogLine(const wchar_t* text);
// printf-style (wide): %ls takes a wide text, %d a number.
void LogFormat(const wchar_t* format, ...);
// A numbered message as it reads: "[155] 安裝完成 ! ...".
void LogMessage(int messageId, const wchar_t* text);
// A text in the given code page.
void LogBytes(const char* text, UINT codePage);

// A text of the given code page in UTF-16, for a part of a log line; cut to
// capacity. Returns out.
const wchar_t* Widen(wchar_t* out, int capacity, const char* text, UINT codePage);

}  // namespace tarsik
