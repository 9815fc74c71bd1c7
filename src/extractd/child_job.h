// The work done in the sandboxed child for one request: map the body, limit memory, extract.
#pragma once

#include "extractd/doc_type.h"

#include <cstdint>
#include <string>

// Result codes the child ends with.
enum TChildExit : int
{
    ceOk = 0,
    ceCorrupt = 10,
    ceEncrypted = 11,
    ceBomb = 12,
    ceOutOfMemory = 13,
    ceFailed = 14,
};

// What the child reports back to the server besides its result code.
struct TChildReport
{
    TDocType Type = TDocType::dtUnknown;
    std::uint64_t Characters = 0;
    // Why a document was refused, in a few words ("the book is protected by DRM"); "" otherwise.
    std::string Reason;
};

struct TChildJob
{
    int BodyFd = -1;
    std::uint64_t BodyBytes = 0;
    int OutFd = -1;
    std::string Name;
    std::string Password;
    std::uint64_t MaxMemoryBytes = 1024ull << 20;
};

// The child's side of one job. Made while the child still waits for it: sets the libraries'
// handlers, runs a small document through the extractors and measures the address space, so
// that the job finds its pages already copied and its libraries set up (each first write to a
// page costs a fault, and faults are what a tiny request spends most of its time on).
// Runs in a sandboxed child or the zygote only.
class TChildJobRunner
{
public:
    TChildJobRunner();

    // Extracts the body into aJob.OutFd and fills aReport; returns a TChildExit. Limits the
    // address space to what was mapped at construction, plus the body, plus aJob.MaxMemoryBytes.
    int Run(const TChildJob &aJob, TChildReport &aReport) const;

private:
    std::uint64_t fMappedBytes = 0;
};
// Initialises the libraries' global state (converters, XML parser) once in the server, before
// any thread starts, so that every child inherits it instead of building it again.
void WarmUpLibraries();
// A short word for a child's result code, for the log.
const char *ChildExitName(int aCode);
