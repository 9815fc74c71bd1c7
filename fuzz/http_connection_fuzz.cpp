// Fuzz target: what a client sends on one connection to ordwell-extractd's HTTP front, over
// loopback: the head checks, the framing of each body (by length or chunked, pipelined requests),
// and the request headers the server reads (file name, password).
#include "extractd/http_connection.h"
#include "extractd/request_headers.h"

#include <arpa/inet.h>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr std::uint64_t MaxBodyBytes = 1 << 20;

int gPort = 0;

// An extraction request as the server reads it, without the extraction: the whole body, the
// name and the password; the answer tells what was read.
void Extract(const httplib::Request &aRequest, httplib::Response &aResponse,
             const httplib::ContentReader &aReader)
{
    std::uint64_t bytes = 0;
    const bool received = aReader([&](const char *, size_t aLength) {
        bytes += aLength;
        return bytes <= MaxBodyBytes;
    });
    const std::string name = RequestFileName(aRequest.get_header_value("Content-Disposition"));
    const std::string password = RequestPassword(aRequest.get_header_value("Password"),
                                                 aRequest.get_header_value("Password_Base64_UTF-8"));
    aResponse.status = !received ? 400 : bytes == 0 ? 422 : 200;
    aResponse.set_content(name + "\n" + std::to_string(password.size()) + "\n" + std::to_string(bytes),
                          "text/plain");
}

// Connects aSocket to aServer. libFuzzer's timer interrupts a connect now and then; the
// connection then goes on by itself.
bool Connect(int aSocket, const sockaddr_in &aServer)
{
    if (::connect(aSocket, reinterpret_cast<const sockaddr *>(&aServer), sizeof aServer) == 0)
        return true;
    if (errno != EINTR)
        return false;
    pollfd entry{aSocket, POLLOUT, 0};
    while (::poll(&entry, 1, -1) < 0)
        if (errno != EINTR)
            return false;
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(aSocket, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        return false;
    errno = error;
    return error == 0;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    THttpLimits limits;
    limits.MaxBodyBytes = MaxBodyBytes;
    limits.MaxConnections = 4;
    // The server, its thread and its connection threads live as long as the process.
    auto *server = new THttpServer(limits, {});
    server->Get("/version", [](const httplib::Request &, httplib::Response &aResponse) {
        aResponse.set_content("ordwell-extractd", "text/plain");
    });
    server->Put("/tika", Extract);
    server->Put("/tika/text", Extract);
    gPort = server->bind_to_any_port("127.0.0.1");
    if (gPort <= 0)
        std::abort();
    std::thread([server] { server->listen_after_bind(); }).detach();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *aData, std::size_t aSize)
{
    // The server ends each connection, so each leaves its address pair waiting a minute: the
    // client takes its address from 127.0.0.2 to 127.0.0.251 in turn, for pairs enough.
    static unsigned connection = 0;
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_addr.s_addr = htonl(INADDR_LOOPBACK + 2 + connection++ % 250);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<std::uint16_t>(gPort));
    server.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const int client = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (client < 0 || ::bind(client, reinterpret_cast<sockaddr *>(&local), sizeof local) != 0 ||
        !Connect(client, server)) {
        std::perror("fuzz_http_connection: no connection");
        std::abort();
    }
    // The input goes out while the answers are read, so that neither side waits for the other;
    // after the last byte the client half-closes, and the server ends the connection.
    std::size_t sent = 0;
    bool sending = true;
    for (;;) {
        if (sending && sent == aSize) {
            ::shutdown(client, SHUT_WR);
            sending = false;
        }
        pollfd entry{client, static_cast<short>(POLLIN | (sending ? POLLOUT : 0)), 0};
        if (::poll(&entry, 1, -1) < 0 && errno != EINTR)
            std::abort();
        if (sending && (entry.revents & POLLOUT) != 0) {
            const ssize_t n = ::send(client, aData + sent, aSize - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n > 0)
                sent += static_cast<std::size_t>(n);
            else if (n < 0 && errno != EAGAIN && errno != EINTR)
                sent = aSize; // the server has closed: the rest is not wanted
        }
        if ((entry.revents & (POLLIN | POLLHUP | POLLERR)) != 0) {
            char answer[16384];
            const ssize_t n = ::recv(client, answer, sizeof answer, MSG_DONTWAIT);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR))
                break;
        }
    }
    ::close(client);
    return 0;
}
