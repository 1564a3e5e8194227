#pragma once
// What the GStreamer media classes share: starting GStreamer on first use,
// checking a path before any element opens it, and error lines in the
// program's log that are written once however often the failure repeats.

#include <string>

namespace eggtimer::gst {

// Starts GStreamer the first time it is asked for, so that start-up of the
// program does not pay for it. False (with one line in the log) when it
// cannot start.
bool start();

// Starts GStreamer and loads the plug-ins that a sound's first play needs on
// a thread of its own, unless that was done or begun before, so that the
// first play is heard about as soon as a later one. Returns at once and opens
// nothing on the sound server. A play meanwhile waits in start() for it
// rather than start GStreamer twice; the program's end waits for the thread.
void startInBackground();

// True when `path` names, after following links, a regular non-empty file that
// can be opened for reading. Checked with stat() before anything opens it, so
// that a named pipe, a device or a directory never blocks or confuses a
// pipeline.
bool isPlayableFile(const std::string& path);

// A file:// URI for a local path, relative paths taken from the working folder.
std::string fileUri(const std::string& path);

// Logs "<what>: <why>" (see Log.h: stamped with the time, the program's name
// and process id, on stderr) unless a line with the same `why` was logged
// before: a sound server that is gone or a plug-in that is missing is worth
// one line, not one per attempt.
void reportOnce(const std::string& what, const std::string& why);

} // namespace eggtimer::gst
