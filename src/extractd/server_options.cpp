// Command-line options of ordwell-extractd.
#include "extractd/server_options.h"

#include <arpa/inet.h>
#include <charconv>
#include <stdexcept>
#include <thread>

namespace {

std::uint64_t ParseNumber(const std::string &aOption, const std::string &aValue, std::uint64_t aMin,
                          std::uint64_t aMax)
{
    std::uint64_t value = 0;
    auto [end, error] = std::from_chars(aValue.data(), aValue.data() + aValue.size(), value);
    if (error != std::errc() || end != aValue.data() + aValue.size() || value < aMin || value > aMax)
        throw std::invalid_argument("invalid value for " + aOption + ": " + aValue);
    return value;
}

} // namespace

bool IsLoopbackHost(const std::string &aHost)
{
    if (aHost == "localhost" || aHost == "::1")
        return true;
    in_addr address{};
    return inet_pton(AF_INET, aHost.c_str(), &address) == 1 && (ntohl(address.s_addr) >> 24) == 127;
}

TServerOptions ParseServerOptions(const std::vector<std::string> &aArgs)
{
    TServerOptions options;
    for (std::size_t i = 0; i < aArgs.size(); ++i) {
        std::string name = aArgs[i];
        std::string value;
        bool hasValue = false;
        if (std::size_t eq = name.find('='); name.starts_with("--") && eq != std::string::npos) {
            value = name.substr(eq + 1);
            name = name.substr(0, eq);
            hasValue = true;
        }
        auto next = [&]() -> std::string {
            if (hasValue)
                return value;
            if (i + 1 >= aArgs.size())
                throw std::invalid_argument("missing value for " + name);
            return aArgs[++i];
        };
        if (name == "--host")
            options.Host = next();
        else if (name == "--port")
            options.Port = static_cast<int>(ParseNumber(name, next(), 0, 65535));
        else if (name == "--allow-remote")
            options.AllowRemote = true;
        else if (name == "--workers")
            options.Workers = static_cast<unsigned>(ParseNumber(name, next(), 1, 256));
        else if (name == "--timeout-ms")
            options.TimeoutMs = static_cast<std::uint32_t>(ParseNumber(name, next(), 100, 3600000));
        else if (name == "--max-memory-mb")
            options.MaxMemoryMb = ParseNumber(name, next(), 16, 1024 * 1024);
        else if (name == "--max-body-mb")
            options.MaxBodyMb = ParseNumber(name, next(), 1, 1024 * 1024);
        else if (name == "--header-timeout-ms")
            options.HeaderTimeoutMs = static_cast<std::uint32_t>(ParseNumber(name, next(), 100, 3600000));
        else if (name == "--min-body-rate-kib")
            options.MinBodyRateKib = static_cast<std::uint32_t>(ParseNumber(name, next(), 1, 1024 * 1024));
        else if (name == "--idle-timeout-ms")
            options.IdleTimeoutMs = static_cast<std::uint32_t>(ParseNumber(name, next(), 100, 3600000));
        else if (name == "--ready-fd")
            options.ReadyFd = static_cast<int>(ParseNumber(name, next(), 3, 65535));
        else if (name == "--parent-fd")
            options.ParentFd = static_cast<int>(ParseNumber(name, next(), 3, 65535));
        else if (name == "--help" || name == "-h")
            options.ShowHelp = true;
        else if (name == "--version")
            options.ShowVersion = true;
        else
            throw std::invalid_argument("unknown option: " + aArgs[i]);
    }
    if (!options.AllowRemote && !IsLoopbackHost(options.Host))
        throw std::invalid_argument("refusing to listen on " + options.Host +
                                    ", which is not a loopback address (use --allow-remote)");
    if (options.Workers == 0)
        options.Workers = std::max(1u, std::thread::hardware_concurrency());
    return options;
}

std::string ServerUsage()
{
    return "Usage: ordwell-extractd [options]\n"
           "Answers text-extraction requests (PUT /tika, Accept: text/plain) on the local machine.\n"
           "\n"
           "  --host ADDRESS           address to listen on (default 127.0.0.1; loopback only)\n"
           "  --port N                 port (default 9998; 0 picks a free port)\n"
           "  --allow-remote           allow a non-loopback --host\n"
           "  --workers N              documents extracted at once (default: number of cores)\n"
           "  --timeout-ms N           time limit per document (default 25000)\n"
           "  --max-memory-mb N        memory limit per document (default 1024)\n"
           "  --max-body-mb N          largest document accepted; larger gets 413 (default 1024)\n"
           "  --header-timeout-ms N    time for a request's headers, and a body's grace (default 10000)\n"
           "  --min-body-rate-kib N    slowest average rate of a body after the grace (default 64)\n"
           "  --idle-timeout-ms N      an idle kept-alive connection is closed after this (default 5000)\n"
           "  --ready-fd N             write the listening port to descriptor N, then close it\n"
           "  --parent-fd N            stop when the other end of descriptor N closes\n"
           "  --version                print the version and exit\n"
           "  --help                   print this help and exit\n";
}
