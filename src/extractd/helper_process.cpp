// Runs one of Debian's converters (antiword, catdoc, xls2csv) on a document inside the
// sandboxed child, so that it shares the child's limits and dies with it.
#include "extractd/helper_process.h"

#include "extractd/extract_error.h"
#include "extractd/text_decoder.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

bool WriteAll(int aFd, std::string_view aData)
{
    while (!aData.empty()) {
        ssize_t n = write(aFd, aData.data(), aData.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        aData.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

} // namespace

THelperResult RunHelper(const std::string &aProgram, const std::vector<std::string> &aArgs,
                        std::string_view aBytes, std::uint64_t aMaxOutput)
{
    THelperResult result;
    int input = memfd_create("ordwell-helper-input", 0);
    if (input < 0 || !WriteAll(input, aBytes)) {
        if (input >= 0)
            close(input);
        return result;
    }
    lseek(input, 0, SEEK_SET);
    int out[2];
    if (pipe2(out, O_CLOEXEC) != 0) {
        close(input);
        return result;
    }
    std::string path = "/dev/fd/" + std::to_string(input);
    std::vector<std::string> args{aProgram};
    args.insert(args.end(), aArgs.begin(), aArgs.end());
    args.push_back(path);
    std::vector<char *> argv;
    for (std::string &arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    pid_t pid = fork();
    if (pid == 0) {
        int null = open("/dev/null", O_RDWR);
        dup2(null, 0);
        dup2(out[1], 1);
        dup2(null, 2);
        execvp(aProgram.c_str(), argv.data());
        _exit(127);
    }
    close(out[1]);
    close(input);
    if (pid < 0) {
        close(out[0]);
        return result;
    }
    char buffer[65536];
    bool tooMuch = false;
    while (true) {
        ssize_t n = read(out[0], buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        if (result.Output.size() + static_cast<std::size_t>(n) > aMaxOutput) {
            tooMuch = true;
            kill(pid, SIGKILL);
            break;
        }
        result.Output.append(buffer, static_cast<std::size_t>(n));
    }
    close(out[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (tooMuch)
        ThrowBomb(aProgram + " output exceeds the limit");
    result.Ran = WIFEXITED(status) && WEXITSTATUS(status) != 127;
    result.ExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return result;
}

std::string JoinSurrogates(const std::string &aText)
{
    auto surrogate = [&](std::size_t aAt, unsigned aLow, unsigned aHigh) -> int {
        if (aAt + 3 > aText.size() || static_cast<unsigned char>(aText[aAt]) != 0xED)
            return -1;
        auto b1 = static_cast<unsigned char>(aText[aAt + 1]);
        auto b2 = static_cast<unsigned char>(aText[aAt + 2]);
        if (b1 < aLow || b1 > aHigh || (b2 & 0xC0) != 0x80)
            return -1;
        return static_cast<int>(((b1 & 0x0F) << 6) | (b2 & 0x3F)); // low 10 bits
    };
    std::string out;
    out.reserve(aText.size());
    for (std::size_t i = 0; i < aText.size();) {
        int high = surrogate(i, 0xA0, 0xAF);
        int low = high >= 0 ? surrogate(i + 3, 0xB0, 0xBF) : -1;
        if (high < 0 || low < 0) {
            out += aText[i++];
            continue;
        }
        AppendUtf8(out, 0x10000 + ((static_cast<char32_t>(high) & 0x3FF) << 10) +
                            (static_cast<char32_t>(low) & 0x3FF));
        i += 6;
    }
    return out;
}
