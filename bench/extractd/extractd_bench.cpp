// Benchmark of ordwell-extractd: PDF throughput of the server (one request at a time on
// loopback, a new connection each, as the program sends them) beside Debian's pdftotext on the
// same files, and the round trip of a tiny request. Starts its own server on a free port.
#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <httplib.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using TClock = std::chrono::steady_clock;

double MsSince(TClock::time_point aStart)
{
    return std::chrono::duration<double, std::milli>(TClock::now() - aStart).count();
}

std::string ReadFile(const std::string &aPath)
{
    std::ifstream in(aPath, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Starts the server on a free port; returns its pid and fills aPort.
pid_t StartServer(int &aPort)
{
    int errPipe[2];
    if (pipe(errPipe) != 0)
        return -1;
    pid_t pid = fork();
    if (pid == 0) {
        dup2(errPipe[1], 2);
        close(errPipe[0]);
        execl(ORDWELL_EXTRACTD_PATH, ORDWELL_EXTRACTD_PATH, "--port", "0", static_cast<char *>(nullptr));
        _exit(127);
    }
    close(errPipe[1]);
    std::string line;
    char c;
    while (read(errPipe[0], &c, 1) == 1 && c != '\n')
        line += c;
    std::size_t at = line.find(" port ");
    aPort = at == std::string::npos ? -1 : std::atoi(line.c_str() + at + 6);
    // Keep draining the log so that the server never blocks on it.
    std::thread([fd = errPipe[0]] {
        char buffer[4096];
        while (read(fd, buffer, sizeof buffer) > 0) {
        }
        close(fd);
    }).detach();
    return pid;
}

bool PutOnce(int aPort, const std::string &aBody, std::size_t &aChars)
{
    httplib::Client client("127.0.0.1", aPort);
    client.set_read_timeout(30, 0);
    auto result =
        client.Put("/tika", {{"Accept", "text/plain; charset=utf-8"}}, aBody, "application/octet-stream");
    if (!result || result->status != 200)
        return false;
    aChars = result->body.size();
    return true;
}

bool PdfToText(const std::string &aPath)
{
    pid_t pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        dup2(null, 2);
        execlp("pdftotext", "pdftotext", "-q", aPath.c_str(), "-", static_cast<char *>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

int main(int argc, char **argv)
{
    int rounds = 20;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--rounds" && i + 1 < argc)
            rounds = std::max(1, std::atoi(argv[++i]));
        else
            files.push_back(arg);
    }
    if (files.empty())
        for (const char *name : {"testPDF.pdf", "testPDFVarious.pdf", "testPDFTwoTextBoxes.pdf"})
            if (access((std::string(ORDWELL_BENCH_CORPUS_DIR) + "/" + name).c_str(), R_OK) == 0)
                files.push_back(std::string(ORDWELL_BENCH_CORPUS_DIR) + "/" + name);
    if (files.empty()) {
        std::fprintf(stderr, "usage: extractd_bench [--rounds N] FILE.pdf...\n(no corpus PDFs found)\n");
        return 2;
    }

    int port = -1;
    pid_t server = StartServer(port);
    if (server < 0 || port <= 0) {
        std::fprintf(stderr, "cannot start %s\n", ORDWELL_EXTRACTD_PATH);
        return 1;
    }
    std::vector<std::string> bodies;
    std::size_t totalBytes = 0;
    for (const std::string &file : files) {
        bodies.push_back(ReadFile(file));
        totalBytes += bodies.back().size();
    }

    // Tiny requests: the fixed cost of one exchange (connection, upload, child, answer), back
    // to back and paced 10 ms apart (the server forks the next child between requests).
    std::size_t chars = 0;
    for (int i = 0; i < 20; ++i)
        PutOnce(port, "tiny text", chars); // warm-up
    auto tinyRun = [&](int aPauseMs) {
        std::vector<double> times;
        for (int i = 0; i < 200; ++i) {
            auto start = TClock::now();
            if (!PutOnce(port, "tiny text", chars)) {
                std::fprintf(stderr, "tiny request failed\n");
                break;
            }
            times.push_back(MsSince(start));
            std::this_thread::sleep_for(std::chrono::milliseconds(aPauseMs));
        }
        std::sort(times.begin(), times.end());
        return times;
    };
    std::vector<double> tiny = tinyRun(0);
    std::vector<double> paced = tinyRun(10);

    // PDF throughput, server and pdftotext, the same files the same number of times.
    auto start = TClock::now();
    int failures = 0;
    for (int r = 0; r < rounds; ++r)
        for (const std::string &body : bodies)
            failures += PutOnce(port, body, chars) ? 0 : 1;
    double serverMs = MsSince(start);
    start = TClock::now();
    for (int r = 0; r < rounds; ++r)
        for (const std::string &file : files)
            failures += PdfToText(file) ? 0 : 1;
    double pdftotextMs = MsSince(start);

    kill(server, SIGTERM);
    waitpid(server, nullptr, 0);

    const double documents = static_cast<double>(rounds) * static_cast<double>(files.size());
    for (const auto &[label, times] : {std::pair{"back to back", &tiny}, std::pair{"paced 10 ms", &paced}})
        if (!times->empty())
            std::printf(
                "tiny request, %s: median %.2f ms, p90 %.2f ms, min %.2f ms (%zu requests; target < 2 ms)\n",
                label, (*times)[times->size() / 2], (*times)[times->size() * 9 / 10], times->front(),
                times->size());
    std::printf("PDF via server:    %.1f documents/s, %.2f MB/s (%zu files x %d rounds)\n",
                documents * 1000.0 / serverMs,
                static_cast<double>(totalBytes) * rounds / 1e6 / (serverMs / 1000.0), files.size(), rounds);
    std::printf("PDF via pdftotext: %.1f documents/s\n", documents * 1000.0 / pdftotextMs);
    std::printf("throughput ratio server/pdftotext: %.2f (target >= 1)\n", pdftotextMs / serverMs);
    if (failures > 0)
        std::printf("failures: %d\n", failures);
    return failures == 0 ? 0 : 1;
}
