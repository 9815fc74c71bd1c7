// The program's entry: command line, start-up order, main window and message loop.
#pragma once

// Runs the program and returns its exit code. "--help" and "--version" print their text to
// standard output and return 0 without creating a window. Runs on the main thread.
int RunOrdwell(int argc, char **argv);
