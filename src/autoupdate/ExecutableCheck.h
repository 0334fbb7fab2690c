#pragma once
#include <cstdint>
#include <optional>
#include <string>

// What a downloaded program or tool must be before it may replace a file of the program
// folder: a whole executable for this machine, carrying our version block under the
// expected name, of the expected revision, and signed when a key is built in.
namespace update {

enum class Verdict {
    Accepted,
    NotAProgram,       // not a whole executable of ours for this machine (cut, a web page, empty, ...)
    WrongName,         // our block, but made for another file
    WrongRevision,     // not the announced revision, or not newer than the file in place
    MissingSignature,  // a key is built in, and no signature came with the file
    BadSignature,      // the signature does not match the file
};

struct Expectation {
    std::string fileName;                   // the OriginalFilename its version block must name
    std::optional<std::int64_t> revision;   // exactly this revision, when set
    std::optional<std::int64_t> newerThan;  // a revision above this one, when set
    std::string publicKey;                  // hex; empty: unsigned updates
    std::optional<std::string> signature;   // the text of its ".sig" file; nothing when there was none
};

Verdict CheckExecutable(const std::string& path, const Expectation& expected);

// The revision (last component of FileVersion) in the file's version block; nothing when
// the file carries no readable one.
std::optional<std::int64_t> RevisionOf(const std::string& path);

// The revision a version file's text announces (its leading number, rounded); nothing
// when it announces none that a revision could be.
std::optional<std::int64_t> AnnouncedRevision(const std::string& latestText);

// The name under which a file's signature lies next to it: "<name>.sig".
std::string SignatureName(const std::string& name);

}  // namespace update
