// Command-line options of ordwell-extractd.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TServerOptions
{
    std::string Host = "127.0.0.1";
    int Port = 9998; // 0: any free port (printed at start)
    bool AllowRemote = false;
    unsigned Workers = 0; // 0: the number of processor cores
    std::uint32_t TimeoutMs = 25000;
    std::uint64_t MaxMemoryMb = 1024;
    // Request bodies beyond this are refused with 413. Ordwell's own client sends no file larger
    // than the default (MaxExtractionRequestBytes in content/extraction_client.h).
    std::uint64_t MaxBodyMb = 1024;
    // The request line and headers must arrive within this time; it is also the grace a body
    // gets before MinBodyRateKib applies.
    std::uint32_t HeaderTimeoutMs = 10000;
    // A body must arrive at this average rate at least (KiB per second, after the grace).
    std::uint32_t MinBodyRateKib = 64;
    // A kept-alive connection with no new request for this long is closed.
    std::uint32_t IdleTimeoutMs = 5000;
    // A descriptor the listening port is written to ("<port>\n") once the server listens; -1: none.
    int ReadyFd = -1;
    // A descriptor whose other end the starting program holds open: when it closes (the program
    // has ended), the server stops. -1: none.
    int ParentFd = -1;
    bool ShowHelp = false;
    bool ShowVersion = false;
};

// Parses aArgs (without the program name). Throws std::invalid_argument with a message for the
// user on an unknown option, a missing or bad value, or a non-loopback host without
// --allow-remote. Fills Workers with the core count when not given.
TServerOptions ParseServerOptions(const std::vector<std::string> &aArgs);
// The usage text printed by --help.
std::string ServerUsage();
// True when aHost names the loopback interface ("localhost", 127.0.0.0/8, ::1).
bool IsLoopbackHost(const std::string &aHost);
