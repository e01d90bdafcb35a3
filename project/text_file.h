// Whole-file reading and writing for the readers and writers of the core.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "model/result.h"

namespace tessarin::project {

using model::TResult;

// A file's contents, memory-mapped where the platform allows, read otherwise.
class TFileContents {
public:
    TFileContents() = default;
    ~TFileContents();
    TFileContents(TFileContents&& other) noexcept;
    TFileContents& operator=(TFileContents&& other) noexcept;
    TFileContents(const TFileContents&) = delete;
    TFileContents& operator=(const TFileContents&) = delete;

    // Fails with a reason naming the file ("cannot open ...: No such file or directory").
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

// Writes `data` to a temporary file in the target's folder and renames it over the
// target, so a failed write never destroys the previous file.
TResult WriteFileAtomically(const std::string& path, std::string_view data);

// A hint that [data, data + size) is a big buffer about to be filled from start to end:
// where the system can, it backs it with large pages, since taking fresh memory a small
// page at a time costs more than producing the text or records that fill it. Changes
// nothing the program can observe; does nothing for small buffers.
void AdviseLargeBuffer(void* data, std::size_t size);

// Text from a file of the Windows systems the formats come from: valid UTF-8 is taken
// as it is, anything else is decoded as Windows-1251. The result is UTF-8.
std::string DecodeLegacyText(std::string_view bytes);

}  // namespace tessarin::project
