#pragma once
// Ends the program the way its Quit menu does when the session asks it to:
// SIGTERM (a logout, a service manager), SIGHUP (its terminal closed) and
// SIGINT (Ctrl+C). The event loop then returns normally, so that what the
// program shows on the desktop (a notification, the launcher icon's state, an
// inhibition of sleep) is taken back before it ends. A second such signal
// ends it at once. A signal the program was started with ignored (nohup, a
// background job) stays ignored.

namespace eggtimer {

// Call once the application object exists.
void quitOnTerminationSignals();

} // namespace eggtimer
