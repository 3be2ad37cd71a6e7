// SIGTERM, SIGINT and SIGHUP end the program cleanly in every state: the handler that the
// program registered ends what runs (the show stops its timers), every event loop is left (a
// message box, a prompt or a dialog that is up closes with it), and no new box or prompt opens,
// so that windows are closed, temporary files removed and settings kept as after any other end.
#pragma once

#include <functional>

namespace sf {

// Call once the application object exists.
void ExitLoopOnTermination();

// What to do first when a termination signal arrives (on the user-interface thread, from the
// event loop); an empty function removes it.
void SetTerminationHandler(std::function<void()> handler);

// True once a termination signal has been taken: message boxes and prompts no longer open.
bool TerminationRequested();

}  // namespace sf
