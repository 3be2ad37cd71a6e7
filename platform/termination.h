// SIGTERM, SIGINT and SIGHUP end the application's event loop cleanly, so that windows are
// closed, temporary files removed and settings kept as after any other end.
#pragma once

namespace sf {

// Call once the application object exists.
void ExitLoopOnTermination();

}  // namespace sf
