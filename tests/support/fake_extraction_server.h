// A fake text-extraction server for tests: listens on a free loopback port, records every
// request and answers in the way the test chooses.
#pragma once

#include "content/extraction_client.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// A loopback port nobody listens on right now: taken from the system, then given back.
uint16_t UnusedLoopbackPort();

// How the fake server answers.
enum class TFakeReply
{
    frText,          // 200 with the reply text (SetReply's text)
    frSlowText,      // 200 with the reply text, one byte every 250 ms
    frWhiteSpace,    // 200 with " \r\n\t "
    frEmpty,         // 200 with an empty body
    frUnprocessable, // 422 Unprocessable Entity
    frEncrypted,     // 422 with "X-Extraction-Failure: encrypted", as ordwell-extractd says it
    frTooLarge,      // 413 Payload Too Large
    frStall,         // reads the request, then sends nothing until the server stops
    frCloseMidReply, // announces a body of 1000 bytes, sends a few and closes the connection
};

// One request as the server received it.
struct TRecordedRequest
{
    std::string fMethod;
    std::string fPath;
    std::multimap<std::string, std::string> fHeaders;
    std::string fBody;

    // The value of the first header of that name (case ignored), empty when there is none.
    std::string Header(std::string_view aName) const;
    // How many headers of that name (case ignored) the request had.
    size_t HeaderCount(std::string_view aName) const;
};

class TFakeExtractionServer
{
public:
    // Starts listening on 127.0.0.1 at a free port; answers frText with "extracted text".
    TFakeExtractionServer();
    // Stops the server, releasing stalled replies first.
    ~TFakeExtractionServer();
    TFakeExtractionServer(const TFakeExtractionServer &) = delete;
    TFakeExtractionServer &operator=(const TFakeExtractionServer &) = delete;

    uint16_t Port() const;
    // The address that points the client at this server, with the given read time-out.
    TExtractionServerAddress Address(int32_t aReadTimeoutMs = 5000) const;
    // Chooses the answer to the following requests. Any thread.
    void SetReply(TFakeReply aReply, std::string aText = "extracted text");
    // Answers the next aTimes requests (every request when negative) 503, as a busy
    // ordwell-extractd does, with "Retry-After: <aRetryAfter>" when that is not empty; then as
    // SetReply chose. Any thread.
    void SetBusy(int aTimes, std::string aRetryAfter = {});
    // Chooses the answer to GET /version (not recorded as a request); empty: 404. Any thread.
    void SetVersion(std::string aVersion);
    // Copies of the requests received so far, oldest first. Any thread.
    std::vector<TRecordedRequest> Requests() const;
    size_t RequestCount() const;
    // Stops listening; later calls do nothing.
    void Stop();

private:
    struct TState;
    std::unique_ptr<TState> fState;
};
