#include "base/text_file.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstring>
#include <functional>
#include <new>
#include <system_error>

#include "base/language.h"

namespace tessarin::base {

namespace {

// What the reading or writing that failed was, in both languages.
enum class TAction { Open, Read, Write };

std::string ActionOn(TAction action, const std::string& path) {
    switch (action) {
        case TAction::Open:
            return Say("cannot open %1", "Не удаётся открыть %1", path);
        case TAction::Read:
            return Say("cannot read %1", "Не удаётся прочитать %1", path);
        case TAction::Write:
            break;
    }
    return Say("cannot write %1", "Не удаётся записать %1", path);
}

TResult Failed(TAction action, const std::string& path, int error) {
    return TResult::Failure(ActionOn(action, path) + ": " + SystemErrorText(error));
}

// Closes a descriptor on every way out; close errors matter only for writing, where
// the writer closes explicitly and checks.
class TDescriptor {
public:
    explicit TDescriptor(int fd) : Fd(fd) {}
    ~TDescriptor() {
        if (Fd >= 0) {
            ::close(Fd);
        }
    }
    TDescriptor(const TDescriptor&) = delete;
    TDescriptor& operator=(const TDescriptor&) = delete;

    int Get() const { return Fd; }
    int Release() {
        const int fd = Fd;
        Fd = -1;
        return fd;
    }

private:
    int Fd;
};

// Reads to the end of the file; files of /proc report size 0 and a file may grow or
// shrink meanwhile, so the loop does not trust `expected` beyond reserving.
bool ReadAll(int fd, std::size_t expected, std::string& buffer, int& error) {
    buffer.clear();
    buffer.reserve(expected);
    std::array<char, 1 << 16> chunk{};
    for (;;) {
        const ssize_t n = ::read(fd, chunk.data(), chunk.size());
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = errno;
            return false;
        }
        if (n == 0) {
            return true;
        }
        buffer.append(chunk.data(), static_cast<std::size_t>(n));
    }
}

bool WriteAll(int fd, std::string_view data, int& error) {
    while (!data.empty()) {
        // Some systems refuse single writes above 2 GB; stay well below.
        const std::size_t piece = std::min<std::size_t>(data.size(), std::size_t{1} << 30);
        const ssize_t n = ::write(fd, data.data(), piece);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            error = errno;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// What a path that is not a regular file is, for the reasons.
std::string_view FileKind(mode_t mode) {
    if (S_ISDIR(mode)) {
        return Pick("a directory", "каталог");
    }
    if (S_ISFIFO(mode)) {
        return Pick("a FIFO", "именованный канал");
    }
    if (S_ISCHR(mode)) {
        return Pick("a character device", "символьное устройство");
    }
    if (S_ISBLK(mode)) {
        return Pick("a block device", "блочное устройство");
    }
    if (S_ISSOCK(mode)) {
        return Pick("a socket", "сокет");
    }
    return Pick("a special file", "особый файл");
}

TResult NotRegular(TAction action, const std::string& path, mode_t mode) {
    return TResult::Failure(ActionOn(action, path) + Say(": not a regular file (%1)",
                                                         ": это не обычный файл (%1)",
                                                         FileKind(mode)));
}

// The folder part of a path with its final slash ("" for a bare name, "/" for "/x").
std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string{} : path.substr(0, slash + 1);
}

// Follows a chain of symbolic links to the path that is finally written, which may
// not exist yet (the target of a dangling link). False with `error` when a link cannot
// be read or the chain does not end.
bool FollowLinks(const std::string& path, std::string& target, int& error) {
    constexpr int kMaxLinks = 40;  // the kernel's own limit for one lookup
    target = path;
    for (int hops = 0;; ++hops) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0) {
            if (errno == ENOENT) {
                return true;
            }
            error = errno;
            return false;
        }
        if (!S_ISLNK(info.st_mode)) {
            return true;
        }
        if (hops == kMaxLinks) {
            error = ELOOP;
            return false;
        }
        std::array<char, PATH_MAX> buffer{};
        const ssize_t n = ::readlink(target.c_str(), buffer.data(), buffer.size());
        if (n < 0 || static_cast<std::size_t>(n) >= buffer.size()) {
            error = n < 0 ? errno : ENAMETOOLONG;
            return false;
        }
        std::string next(buffer.data(), static_cast<std::size_t>(n));
        // A relative link is relative to the folder that holds it.
        target = !next.empty() && next.front() == '/' ? next : FolderOf(target) + next;
    }
}

// The registry of the one temporary being written, read by signal handlers: a fixed
// buffer and a lock-free state, nothing that allocates or locks.
enum : int { kPendingEmpty = 0, kPendingBusy = 1, kPendingSet = 2 };
std::array<char, PATH_MAX + 1> PendingPath{};
std::atomic<int> PendingState{kPendingEmpty};
static_assert(std::atomic<int>::is_always_lock_free);

class TPendingTemporary {
public:
    explicit TPendingTemporary(const std::string& path) {
        int expected = kPendingEmpty;
        if (path.size() < PendingPath.size() &&
            PendingState.compare_exchange_strong(expected, kPendingBusy)) {
            std::memcpy(PendingPath.data(), path.c_str(), path.size() + 1);
            PendingState.store(kPendingSet);
            Owned = true;
        }
    }
    ~TPendingTemporary() { Release(); }
    TPendingTemporary(const TPendingTemporary&) = delete;
    TPendingTemporary& operator=(const TPendingTemporary&) = delete;

    void Release() {
        if (Owned) {
            PendingState.store(kPendingEmpty);
            Owned = false;
        }
    }

private:
    bool Owned = false;
};

// A short name that is unlikely to be taken: the process, a counter and the clock,
// mixed. Uniqueness itself comes from O_EXCL and trying again.
std::string TemporaryName() {
    static std::atomic<std::uint64_t> counter{0};
    std::uint64_t x = counter.fetch_add(1) * 0x9E3779B97F4A7C15ull;
    x ^= static_cast<std::uint64_t>(::getpid()) << 32;
    x ^= static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    // splitmix64's finaliser spreads every input bit over the name.
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    x ^= x >> 31;
    constexpr std::string_view kDigits = "0123456789abcdefghijklmnopqrstuv";
    std::string name = "tessarin-";
    for (int i = 0; i < 8; ++i) {
        name += kDigits[x & 31u];
        x >>= 5;
    }
    name += ".tmp";
    return name;
}

// Flushes the folder, so that a rename survives a crash. File systems that cannot
// flush a folder say EINVAL; that is no failure of the write.
int SyncFolder(const std::string& folder) {
    TDescriptor fd(
        ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() < 0) {
        return errno;
    }
    if (::fsync(fd.Get()) != 0 && errno != EINVAL) {
        return errno;
    }
    return 0;
}

// Rewrites a hard-linked target in place, keeping its inode. `expected` is what the
// target was when the write began; a target replaced meanwhile is not touched.
// `started` tells whether a byte of the target may have changed.
bool RewriteInPlace(const std::string& target, const struct stat& expected, std::string_view data,
                    int& error, bool& started) {
    started = false;
    TDescriptor fd(::open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (fd.Get() < 0) {
        error = errno;
        return false;
    }
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) {
        error = errno;
        return false;
    }
    if (info.st_dev != expected.st_dev || info.st_ino != expected.st_ino ||
        !S_ISREG(info.st_mode)) {
        error = ESTALE;
        return false;
    }
    started = true;
    if (!WriteAll(fd.Get(), data, error)) {
        return false;
    }
    if (::ftruncate(fd.Get(), static_cast<off_t>(data.size())) != 0 || ::fsync(fd.Get()) != 0 ||
        ::close(fd.Release()) != 0) {
        error = errno;
        return false;
    }
    return true;
}

// Decodes one UTF-8 sequence at `i`; false for anything the standard forbids:
// stray continuation bytes, truncated sequences, overlong forms, surrogates and code
// points above U+10FFFF.
bool ValidSequenceAt(std::string_view bytes, std::size_t& i) {
    const auto byte = [&](std::size_t at) { return static_cast<unsigned char>(bytes[at]); };
    const unsigned char lead = byte(i);
    if (lead < 0x80) {
        ++i;
        return true;
    }
    int length = 0;
    std::uint32_t code = 0;
    std::uint32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1Fu;
        minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0Fu;
        minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07u;
        minimum = 0x10000;
    } else {
        return false;  // continuation byte, or a lead that only starts overlong forms
    }
    if (bytes.size() - i < static_cast<std::size_t>(length)) {
        return false;
    }
    for (int k = 1; k < length; ++k) {
        const unsigned char next = byte(i + static_cast<std::size_t>(k));
        if ((next & 0xC0u) != 0x80u) {
            return false;
        }
        code = (code << 6) | (next & 0x3Fu);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
        return false;
    }
    i += static_cast<std::size_t>(length);
    return true;
}

bool IsValidUtf8(std::string_view bytes) {
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (!ValidSequenceAt(bytes, i)) {
            return false;
        }
    }
    return true;
}

// Windows-1251, bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F in order. The one
// byte the code page leaves undefined, 0x98, keeps its own value (U+0098) so that no
// byte of a name is lost.
constexpr std::array<std::uint16_t, 64> kCp1251High{
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  //
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  //
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  //
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  //
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  //
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  //
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  //
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
};

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

}  // namespace

TFileContents::~TFileContents() {
    Release();
}

TFileContents::TFileContents(TFileContents&& other) noexcept {
    *this = std::move(other);
}

TFileContents& TFileContents::operator=(TFileContents&& other) noexcept {
    if (this == &other) {
        return *this;
    }
    Release();
    Mapped = other.Mapped;
    Size = other.Size;
    if (Mapped) {
        Data = other.Data;
    } else {
        // A short buffer lives inside the string object itself, so the view has to be
        // taken again from the moved-to buffer.
        Buffer = std::move(other.Buffer);
        Data = Buffer.data();
    }
    other.Data = nullptr;
    other.Size = 0;
    other.Mapped = false;
    other.Buffer.clear();
    return *this;
}

void TFileContents::Release() {
    if (Mapped && Data != nullptr) {
        ::munmap(const_cast<char*>(Data), Size);
    }
    Data = nullptr;
    Size = 0;
    Mapped = false;
    Buffer.clear();
    Buffer.shrink_to_fit();
}

TResult TFileContents::Open(const std::string& path) {
    Release();
    // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer forever.
    // The descriptor's own status then judges the file, a symbolic link by its target.
    TDescriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.Get() < 0) {
        return Failed(TAction::Open, path, errno);
    }
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) {
        return Failed(TAction::Read, path, errno);
    }
    if (S_ISDIR(info.st_mode)) {
        return Failed(TAction::Read, path, EISDIR);
    }
    // Devices and FIFOs may block or never end (/dev/zero); only files are read.
    if (!S_ISREG(info.st_mode)) {
        return NotRegular(TAction::Read, path, info.st_mode);
    }
    // The flag means nothing for a regular file; cleared so that reading it stays the
    // plain blocking read it always was.
    if (const int status = ::fcntl(fd.Get(), F_GETFL); status >= 0) {
        ::fcntl(fd.Get(), F_SETFL, status & ~O_NONBLOCK);
    }
    const auto size = static_cast<std::uint64_t>(info.st_size);
    if (size > 0 && size <= SIZE_MAX) {
        // Populating the whole mapping at once is far cheaper than one page fault per
        // page; every reader goes through the whole text anyway.
        int flags = MAP_PRIVATE;
#ifdef MAP_POPULATE
        flags |= MAP_POPULATE;
#endif
        void* view = ::mmap(nullptr, static_cast<std::size_t>(size), PROT_READ, flags, fd.Get(), 0);
        if (view != MAP_FAILED) {
            ::madvise(view, static_cast<std::size_t>(size), MADV_SEQUENTIAL);
            Data = static_cast<const char*>(view);
            Size = static_cast<std::size_t>(size);
            Mapped = true;
            return TResult::Success();
        }
    }
    int error = 0;
    if (!ReadAll(fd.Get(), static_cast<std::size_t>(size), Buffer, error)) {
        Buffer.clear();
        return Failed(TAction::Read, path, error);
    }
    Data = Buffer.data();
    Size = Buffer.size();
    return TResult::Success();
}

void AdviseLargeBuffer(void* data, std::size_t size) {
#ifdef MADV_HUGEPAGE
    constexpr std::size_t kLarge = std::size_t{4} << 20;
    if (data == nullptr || size < kLarge) {
        return;
    }
    const auto page = static_cast<std::uintptr_t>(::sysconf(_SC_PAGESIZE));
    const auto begin = (reinterpret_cast<std::uintptr_t>(data) + page - 1) & ~(page - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + size) & ~(page - 1);
    if (end > begin) {
        // Only a hint: a system without large pages refuses, and nothing changes.
        ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    }
#else
    (void)data;
    (void)size;
#endif
}

std::vector<std::string_view> SplitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    // Room for lines of 32 characters on average: enough for the usual texts, and the
    // part of the reservation that stays unused is never touched.
    lines.reserve(text.size() / 32 + 1);
    AdviseLargeBuffer(lines.data(), lines.capacity() * sizeof(std::string_view));
    const char* const data = text.data();
    const std::size_t size = text.size();
    std::size_t start = 0;
    // Two memchr scans beat a byte loop by far; in the usual CR LF text the CR found
    // is the one right before the LF.
    const char* nextCr = size ? static_cast<const char*>(std::memchr(data, '\r', size)) : nullptr;
    const char* nextLf = size ? static_cast<const char*>(std::memchr(data, '\n', size)) : nullptr;
    while (start < size) {
        if (nextCr != nullptr && nextCr < data + start) {
            nextCr = static_cast<const char*>(std::memchr(data + start, '\r', size - start));
        }
        if (nextLf != nullptr && nextLf < data + start) {
            nextLf = static_cast<const char*>(std::memchr(data + start, '\n', size - start));
        }
        const char* brk = nextCr;
        if (brk == nullptr || (nextLf != nullptr && nextLf < brk)) {
            brk = nextLf;
        }
        if (brk == nullptr) {
            lines.emplace_back(data + start, size - start);
            break;
        }
        const auto at = static_cast<std::size_t>(brk - data);
        lines.emplace_back(data + start, at - start);
        start = at + 1;
        if (*brk == '\r' && start < size && data[start] == '\n') {
            ++start;
        }
    }
    return lines;
}

namespace {

// The body of both writers: `fill` writes the whole contents to the temporary's descriptor
// (false and the errno on failure). `whole` is the contents when the caller has them in
// memory; a streamed write reads them back from the complete temporary for the rare
// rewrite in place of a hard-linked target.
TResult WriteThroughTemporary(const std::string& path,
                              const std::function<bool(int fd, int& error)>& fill,
                              const std::string_view* whole) {
    int error = 0;
    std::string target;
    if (!FollowLinks(path, target, error)) {
        return Failed(TAction::Write, path, error);
    }
    struct stat old {};
    bool exists = true;
    if (::stat(target.c_str(), &old) != 0) {
        if (errno != ENOENT) {
            return Failed(TAction::Write, path, errno);
        }
        exists = false;
    }
    if (exists && !S_ISREG(old.st_mode)) {
        return NotRegular(TAction::Write, path, old.st_mode);
    }

    // A new file is created the usual way, 0666 less the umask; the temporary for an
    // existing file starts private and takes the old file's owner and bits before any
    // data is in it.
    const std::string folder = FolderOf(target);
    std::string temp;
    int created = -1;
    constexpr int kAttempts = 100;
    for (int attempt = 0; attempt < kAttempts && created < 0; ++attempt) {
        temp = folder + TemporaryName();
        created = ::open(temp.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, exists ? 0600 : 0666);
        if (created < 0 && errno != EEXIST) {
            break;
        }
    }
    if (created < 0) {
        return Failed(TAction::Write, path, errno);
    }
    TDescriptor fd(created);
    TPendingTemporary pending(temp);
    const auto fail = [&](int failure) {
        ::unlink(temp.c_str());
        return Failed(TAction::Write, path, failure);
    };

    if (exists) {
        // Only root may give a file away; anybody else keeps the file as their own.
        if (::fchown(fd.Get(), old.st_uid, old.st_gid) != 0 && errno != EPERM) {
            return fail(errno);
        }
        if (::fchmod(fd.Get(), old.st_mode & 07777) != 0) {
            return fail(errno);
        }
    }
    if (!fill(fd.Get(), error)) {
        return fail(error);
    }
    // A full disk on a network file system may only show at fsync or close.
    if (::fsync(fd.Get()) != 0) {
        return fail(errno);
    }
    if (::close(fd.Release()) != 0) {
        return fail(errno);
    }

    if (exists && old.st_nlink > 1) {
        // From here the temporary is the one complete copy should the rewrite stop half
        // way, so no signal handler may remove it.
        pending.Release();
        bool started = false;
        TFileContents written;
        std::string_view data;
        if (whole != nullptr) {
            data = *whole;
        } else if (const TResult read = written.Open(temp); !read) {
            ::unlink(temp.c_str());
            return TResult::Failure("cannot write " + path + ": " + read.Reason());
        } else {
            data = written.Text();
        }
        if (!RewriteInPlace(target, old, data, error, started)) {
            if (!started) {
                return fail(error);
            }
            return TResult::Failure(ActionOn(TAction::Write, path) + ": " + SystemErrorText(error) +
                                    Say("; the new contents are kept in %1",
                                        "; новое содержимое сохранено в %1", temp));
        }
        ::unlink(temp.c_str());
    } else if (::rename(temp.c_str(), target.c_str()) != 0) {
        return fail(errno);
    }
    pending.Release();
    if (const int synced = SyncFolder(folder); synced != 0) {
        return Failed(TAction::Write, path, synced);
    }
    return TResult::Success();
}

}  // namespace

TResult WriteFileAtomically(const std::string& path, std::string_view data) {
    return WriteThroughTemporary(
        path, [&](int fd, int& error) { return WriteAll(fd, data, error); }, &data);
}

TResult WriteFileAtomicallyStreamed(const std::string& path, const TStreamProducer& produce) {
    return WriteFileAtomicallyStreamed(
        path, [&](const TStreamWrite& write, const TStreamReadBack&) { produce(write); });
}

TResult WriteFileAtomicallyStreamed(const std::string& path,
                                    const TStreamProducerWithReadBack& produce) {
    return WriteThroughTemporary(
        path,
        [&](int fd, int& error) {
            bool written = true;
            std::uint64_t size = 0;
            std::uint64_t handedOn = 0;  // what the disk has been asked to take so far
            const TStreamWrite write = [&](std::string_view piece) {
                written = written && WriteAll(fd, piece, error);
                size += written ? piece.size() : 0;
#ifdef __linux__
                // The disk starts on what is written while the rest is being made, so
                // the flush at the end waits for the last stretch only, not the whole file.
                constexpr std::uint64_t kHandOn = std::uint64_t{8} << 20;
                if (written && size - handedOn >= kHandOn) {
                    ::sync_file_range(fd, static_cast<off_t>(handedOn),
                                      static_cast<off_t>(size - handedOn), SYNC_FILE_RANGE_WRITE);
                    handedOn = size;
                }
#endif
                return written;
            };
            const TStreamReadBack readBack = [&](std::uint64_t offset, std::size_t count,
                                                 char* out) {
                if (!written) {
                    return false;
                }
                if (offset > size || count > size - offset) {
                    error = EINVAL;  // a fault of the producer: no file from it
                    written = false;
                    return false;
                }
                while (count > 0) {
                    const ssize_t n = ::pread(fd, out, count, static_cast<off_t>(offset));
                    if (n < 0 && errno == EINTR) {
                        continue;
                    }
                    if (n <= 0) {
                        error = n < 0 ? errno : EIO;
                        written = false;
                        return false;
                    }
                    out += n;
                    offset += static_cast<std::uint64_t>(n);
                    count -= static_cast<std::size_t>(n);
                }
                return true;
            };
            try {
                produce(write, readBack);
            } catch (const std::bad_alloc&) {
                error = ENOMEM;
                return false;
            }
            return written;
        },
        nullptr);
}

const char* PendingTemporary() noexcept {
    return PendingState.load() == kPendingSet ? PendingPath.data() : nullptr;
}

void RemovePendingTemporary() noexcept {
    int expected = kPendingSet;
    if (PendingState.compare_exchange_strong(expected, kPendingBusy)) {
        ::unlink(PendingPath.data());
        PendingState.store(kPendingEmpty);
    }
}

namespace {

// What a path names for SameFile: the file where it exists, else its folder and name.
struct TFileIdentity {
    bool Exists = false;
    dev_t Device = 0;
    ino_t Inode = 0;
    std::string Name;
};

TFileIdentity IdentityOf(const std::string& path) {
    TFileIdentity identity;
    std::string target;
    int error = 0;
    if (!FollowLinks(path, target, error)) {
        target = path;
    }
    struct stat info {};
    if (::stat(target.c_str(), &info) == 0) {
        identity.Exists = true;
        identity.Device = info.st_dev;
        identity.Inode = info.st_ino;
        return identity;
    }
    const std::string folder = FolderOf(target);
    identity.Name = target.substr(folder.size());
    if (::stat(folder.empty() ? "." : folder.c_str(), &info) == 0) {
        identity.Device = info.st_dev;
        identity.Inode = info.st_ino;
    } else {
        identity.Name = target;  // nothing to compare but the spelling
    }
    return identity;
}

}  // namespace

bool SameFile(const std::string& a, const std::string& b) {
    const TFileIdentity first = IdentityOf(a);
    const TFileIdentity second = IdentityOf(b);
    return first.Exists == second.Exists && first.Device == second.Device &&
           first.Inode == second.Inode && first.Name == second.Name;
}

std::string DecodeLegacyText(std::string_view bytes) {
    if (IsValidUtf8(bytes)) {
        return std::string(bytes);
    }
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x80) {
            out += c;
        } else if (b < 0xC0) {
            AppendUtf8(out, kCp1251High[b - 0x80u]);
        } else {
            AppendUtf8(out, 0x0410u + (b - 0xC0u));
        }
    }
    return out;
}

}  // namespace tessarin::base
