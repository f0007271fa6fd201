#pragma once

// SIGINT and SIGTERM for the commands that run without a window. A request to stop may come at
// any moment, even while the libraries load; it is held back from the first line of main until
// the command can act on it, then handed to its handler, never lost and never fatal.

// Holds SIGINT and SIGTERM pending (threads started afterwards hold them too).
void holdStopSignals();

// Installs the handler for SIGINT and SIGTERM, then lets through any that were held, and any
// that a parent left blocked.
void catchStopSignals(void (*handler)(int));
