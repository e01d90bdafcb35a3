// Whole-file reading and writing for the readers and writers of every layer.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "base/result.h"

namespace tessarin::base {

// A file's contents, memory-mapped where the platform allows, read otherwise.
class TFileContents {
public:
    TFileContents() = default;
    ~TFileContents();
    TFileContents(TFileContents&& other) noexcept;
    TFileContents& operator=(TFileContents&& other) noexcept;
    TFileContents(const TFileContents&) = delete;
    TFileContents& operator=(const TFileContents&) = delete;

    // Reads a regular file (a symbolic link is judged by its target). Fails with a
    // reason naming the file: "cannot open ...: No such file or directory", "cannot
    // read ...: Is a directory", or "cannot read ...: not a regular file (a FIFO)" for
    // devices, FIFOs and sockets, which could block or never end. Never blocks on a FIFO.
    TResult Open(const std::string& path);

    std::string_view Text() const { return {Data, Size}; }

private:
    void Release();

    const char* Data = nullptr;
    std::size_t Size = 0;
    bool Mapped = false;
    std::string Buffer;  // used when the file could not be mapped
};

// Splits at CR LF, lone CR or lone LF; a break at the very end adds no empty line.
std::vector<std::string_view> SplitLines(std::string_view text);

// Writes `data` to `path` so that a failed or interrupted write never destroys the
// previous file:
// - A symbolic link is followed to its final target (a chain too; a dangling link's
//   target is created); the link itself stays.
// - A target that exists and is not a regular file (a directory, a device, a FIFO) is
//   refused with a reason that says what it is; nothing is written.
// - The data goes to a temporary file with a short unique name ("tessarin-XXXXXXXX.tmp",
//   created exclusively, another name tried when one exists) in the target's folder, is
//   flushed to the disk, and is renamed over the target; then the folder is flushed.
//   Every failure removes the temporary.
// - A replaced file keeps its permission bits and, where the system permits, its owner
//   and group; a new file gets 0666 less the umask.
// - A target with more than one hard link keeps its inode, so every name sees the new
//   data: the complete temporary is written and flushed first (so the space and the
//   data are proven), then the target is rewritten in place and flushed, and the
//   temporary removed. The trade-off: the rewrite is not atomic. Should it fail or the
//   machine stop in the middle, the target is damaged, but the temporary with the
//   complete new contents stays, and the reason names it.
// The temporary being written is known to RemovePendingTemporary for signal handlers.
TResult WriteFileAtomically(const std::string& path, std::string_view data);

// WriteFileAtomically for contents made piece by piece, so that a large output is never
// held whole: `produce` is called once and passes each piece to the function it is given,
// which returns false once a write has failed (produce may stop then; later pieces are
// ignored). A hard-linked target is rewritten in place from the complete temporary.
using TStreamWrite = std::function<bool(std::string_view piece)>;
using TStreamProducer = std::function<void(const TStreamWrite& write)>;
TResult WriteFileAtomicallyStreamed(const std::string& path, const TStreamProducer& produce);

// The same for a producer that needs some of its earlier output again: readBack(offset,
// count, out) copies bytes [offset, offset + count) of what `write` has written so far
// to `out` (from the temporary, so the output is still never held whole); it returns
// false for a range beyond them or once a write or read has failed, and the write then
// fails with that reason. A std::bad_alloc out of `produce` fails the write too ("Cannot
// allocate memory"); either way the temporary is removed and the previous file stays.
using TStreamReadBack = std::function<bool(std::uint64_t offset, std::size_t count, char* out)>;
using TStreamProducerWithReadBack =
    std::function<void(const TStreamWrite& write, const TStreamReadBack& readBack)>;
TResult WriteFileAtomicallyStreamed(const std::string& path,
                                    const TStreamProducerWithReadBack& produce);

// The temporary file WriteFileAtomically is writing at this moment, or nullptr. One
// write at a time is registered (a second one in another thread at the same moment
// goes unregistered). Async-signal-safe.
const char* PendingTemporary() noexcept;

// Removes the temporary file being written, if any: for a handler of SIGINT or SIGTERM,
// which then lets the signal end the process. Async-signal-safe. The interrupted write,
// should it go on, fails and leaves the previous file as it was.
void RemovePendingTemporary() noexcept;

// Whether writing to `a` would write to the file `b` names (or the other way round):
// the same device and inode where the file exists, after symbolic links, else the same
// folder and name. Hard links and other spellings of one path are the same file.
bool SameFile(const std::string& a, const std::string& b);

// A hint that [data, data + size) is a big buffer about to be filled from start to end:
// where the system can, it backs it with large pages, since taking fresh memory a small
// page at a time costs more than producing the text or records that fill it. Changes
// nothing the program can observe; does nothing for small buffers.
void AdviseLargeBuffer(void* data, std::size_t size);

// Text from a file of the Windows systems the formats come from: valid UTF-8 is taken
// as it is, anything else is decoded as Windows-1251. The result is UTF-8.
std::string DecodeLegacyText(std::string_view bytes);

}  // namespace tessarin::base
