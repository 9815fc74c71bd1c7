// The start of ordwell-find: the command line read, the run made, the exit status given.
#pragma once

// Reads the command line, prints help, the version or a usage error (exit status 2), else
// searches. Returns the exit status; a run ended by a signal ends the process by that signal
// once everything is cleaned up.
int RunOrdwellFind(int argc, char **argv);
