// Named points of the server's life where a test can hold it. With the environment variable
// ORDWELL_EXTRACTD_GATE naming a Unix socket, each point connects there, sends its name and a
// line end, and waits until the other side writes a byte or closes. Without the variable (as the
// program starts the server) a point does nothing.
#pragma once

#include <string_view>

// The points of a start, in the order it passes them, the one every stop passes, and the one a
// child passes with each document.
inline constexpr std::string_view GatePointBound = "bound";           // the socket is bound
inline constexpr std::string_view GatePointAnnounced = "announced";   // the port is told
inline constexpr std::string_view GatePointWatching = "watching";     // the stop threads run
inline constexpr std::string_view GatePointServing = "serving";       // the accept loop starts next
inline constexpr std::string_view GatePointStopped = "stopped";       // Stop() has done its work
inline constexpr std::string_view GatePointExtracting = "extracting"; // a child starts on its document

// Reports aPoint to the gate and waits there until the gate lets it go on. Any thread.
void PassGatePoint(std::string_view aPoint);
