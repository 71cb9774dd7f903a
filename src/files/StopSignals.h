#pragma once

namespace orvalis {

// How a program that writes files answers SIGINT, SIGTERM and SIGHUP. The
// first of them calls firstStop from the handler, which may only do what is
// async-signal-safe (set a CancelFlag, write to a pipe); the program then
// stops in its own time and undoes its files as it unwinds. A program with
// no firstStop, and any program at a second stop signal, ends at once: the
// handler removes the files the process owns (OwnedFiles.h), says so on
// stderr and exits with 128 + the signal. While one stop signal is handled
// the others wait, so of two sent together the lower-numbered one comes
// first.
void HandleStopSignals(const char* program, void (*firstStop)(int signal));

// The first stop signal received; 0 before any.
int StopSignalReceived();

// "SIGINT", "SIGTERM", "SIGHUP" or "a signal".
const char* StopSignalName(int signal);

// Ignores SIGXFSZ, so that a write beyond the file-size limit (ulimit -f)
// fails with EFBIG and the run fails and undoes its files like at any failed
// write, instead of the process being killed in the middle of them.
void IgnoreFileSizeSignal();

}  // namespace orvalis
