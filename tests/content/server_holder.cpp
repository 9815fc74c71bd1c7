// Starts the extraction server given as its argument as a child server, prints the server's
// process number and waits until it is killed: the program a test kills.
#include "platform/child_server.h"

#include <cstdio>
#include <unistd.h>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    std::string error;
    const auto server = TChildServer::Start(argv[1], {"--host", "127.0.0.1", "--port", "0"},
                                            std::chrono::milliseconds(10000), error);
    if (!server) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    std::printf("%d\n", int(server->Pid()));
    std::fflush(stdout);
    pause();
    return 0;
}
