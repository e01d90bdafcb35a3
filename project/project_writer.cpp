#include "project/project_writer.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <exception>
#include <new>
#include <vector>

#include "base/language.h"
#include "base/number_format.h"
#include "base/text_file.h"
#include "base/two_halves.h"
#include "project/project_extensions.h"
#include "project/value_codecs.h"

namespace tessarin::project {

using base::AdviseLargeBuffer;
using base::AppendFloat;
using base::FlagToStr;
using base::WriteFileAtomically;

namespace {

using model::TModel;
using model::TSegment;
using model::TSurface;

constexpr std::string_view kLineEnd = "\r\n";

// Below this many polygon lines a second thread costs more than it saves.
constexpr std::size_t kParallelPolygonLines = 1 << 14;

void AppendLine(std::string& out, std::string_view text) {
    out += text;
    out += kLineEnd;
}

void AppendInt(std::string& out, std::int64_t value) {
    std::array<char, 24> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
    out.append(digits.data(), end);
}

void AppendLabelledInt(std::string& out, std::string_view label, std::int64_t value) {
    out += label;
    AppendInt(out, value);
    out += kLineEnd;
}

void AppendLabelledFloat(std::string& out, std::string_view label, double value, char separator) {
    out += label;
    AppendFloat(out, value, separator);
    out += kLineEnd;
}

// A count the file states must equal the entries written after it, or the file does
// not read back; a stored count beyond its list writes only what exists.
std::size_t WrittenCount(std::int64_t stated, std::size_t available) {
    return stated <= 0 ? 0 : std::min(static_cast<std::size_t>(stated), available);
}

void AppendSegment(std::string& out, const TSegment& segment, char separator) {
    out += " #";
    AppendInt(out, segment.Number);
    out += kLineEnd;
    out += " Point1:";
    AppendPoint(out, segment.Point1, separator);
    out += ":Point2:";
    AppendPoint(out, segment.Point2, separator);
    out += kLineEnd;
    out += " Direct segment:";
    AppendPoint(out, segment.Direct, separator);
    out += kLineEnd;
    AppendLabelledFloat(out, " Polar:", segment.Polar, separator);
    out += " Front:";
    AppendPolygon(out, segment.Front, separator);
    out += kLineEnd;
    out += " Back:";
    AppendPolygon(out, segment.Back, separator);
    out += kLineEnd;
    AppendLine(out, AnglesToStr(segment.ISK, separator));
    AppendLine(out, Angles4ToStr(segment.SSK, separator));
    AppendLine(out, Angles4ToStr(segment.KSK, separator));
    AppendLine(out, Angles4ToStr(segment.DSK, separator));
}

// With `flush`, called after each segment (a streamed write hands on full chunks).
template <typename Flush>
void AppendSegments(std::string& out, std::string_view countLabel, const model::TCutEdgeData& edge,
                    std::size_t count, char separator, Flush&& flush) {
    AppendLabelledInt(out, countLabel, static_cast<std::int64_t>(count));
    AppendLine(out, "Segments:");
    for (std::size_t i = 0; i < count; ++i) {
        AppendSegment(out, edge[i], separator);
        flush();
    }
}

void AppendSegments(std::string& out, std::string_view countLabel, const model::TCutEdgeData& edge,
                    std::size_t count, char separator) {
    AppendSegments(out, countLabel, edge, count, separator, [] {});
}

constexpr std::size_t kNone = static_cast<std::size_t>(-1);

// Formats polygons [first, last) one per line; with `ends`, records where each line
// ends in `out` (ends[i] for polygon i).
void AppendPolygonRange(std::string& out, const TSurface& polygons, std::size_t first,
                        std::size_t last, char separator, std::size_t* ends) {
    for (std::size_t i = first; i < last; ++i) {
        AppendPolygon(out, polygons[i], separator);
        out += kLineEnd;
        if (ends != nullptr) {
            ends[i] = out.size();
        }
    }
}

// The average length of a polygon line, from a few polygons spread over the list.
std::size_t AveragePolygonLine(const TSurface& polygons, char separator) {
    constexpr std::size_t kSamples = 64;
    if (polygons.empty()) {
        return 0;
    }
    const std::size_t samples = std::min(kSamples, polygons.size());
    std::string scratch;
    std::size_t total = 0;
    for (std::size_t i = 0; i < samples; ++i) {
        scratch.clear();
        AppendPolygon(scratch, polygons[i * polygons.size() / samples], separator);
        total += scratch.size() + kLineEnd.size();
    }
    return total / samples + 1;
}

// Every polygon line is independent of the others, so two threads can each format a
// half; joined in order, the text is the one a single thread writes.
void AppendPolygonLines(std::string& out, const TSurface& polygons, std::size_t count,
                        std::size_t averageLine, char separator, std::size_t* ends) {
    if (count < kParallelPolygonLines) {
        AppendPolygonRange(out, polygons, 0, count, separator, ends);
        return;
    }
    const std::size_t half = count / 2;
    std::string tail;
    try {
        tail.reserve((count - half) * averageLine + averageLine);
        AdviseLargeBuffer(tail.data(), tail.capacity());
    } catch (const std::exception&) {
        // No memory for a second buffer: one thread writes it all.
        AppendPolygonRange(out, polygons, 0, count, separator, ends);
        return;
    }
    base::TSecondHalf second(
        [&] { AppendPolygonRange(tail, polygons, half, count, separator, ends); });
    if (!second.Started()) {
        // No thread: this one writes it all.
        AppendPolygonRange(out, polygons, 0, count, separator, ends);
        return;
    }
    AppendPolygonRange(out, polygons, 0, half, separator, ends);
    second.Join();
    const std::size_t base = out.size();
    out += tail;
    if (ends != nullptr) {
        for (std::size_t i = half; i < count; ++i) {
            ends[i] += base;
        }
    }
}

bool SameBits(const TPolygon& a, const TPolygon& b) {
    return std::memcmp(&a, &b, sizeof(TPolygon)) == 0;
}

// For each polygon of `list`, the index of a bit-for-bit equal polygon of `all`, or
// kNone. The sorting keeps the order of `all`, so a list is mostly a subsequence of it
// and one forward scan finds its polygons; a budget of scan steps keeps a list that is
// not from costing more than a few passes.
std::vector<std::size_t> MatchInOrder(const TSurface& list, std::size_t count, const TSurface& all,
                                      std::size_t allCount, std::size_t& matched) {
    std::vector<std::size_t> sources;
    sources.reserve(count);
    AdviseLargeBuffer(sources.data(), count * sizeof(std::size_t));
    sources.assign(count, kNone);
    matched = 0;
    std::size_t cursor = 0;
    std::size_t budget = 4 * allCount + 64;
    for (std::size_t j = 0; j < count && budget > 0; ++j) {
        std::size_t i = cursor;
        while (i < allCount && budget > 0 && !SameBits(all[i], list[j])) {
            ++i;
            --budget;
        }
        if (i < allCount && SameBits(all[i], list[j])) {
            sources[j] = i;
            cursor = i + 1;
            ++matched;
        }
    }
    return sources;
}

// Lines already written for the "all" section: line i of it is [Begin(i), Ends[i]).
struct TWrittenLines {
    std::size_t First = 0;  // where line 0 begins
    std::vector<std::size_t> Ends;

    std::size_t Begin(std::size_t i) const { return i == 0 ? First : Ends[i - 1]; }
};

void AppendPolygonHeader(std::string& out, std::string_view countLabel, std::size_t count) {
    AppendLabelledInt(out, countLabel, static_cast<std::int64_t>(count));
    AppendLine(out, "Polygons:");
}

// The sorted lists hold copies of the "all" polygons, whose text is already in `out`:
// those lines are copied, which gives the bytes formatting would, at memory speed.
void AppendSortedSection(std::string& out, std::string_view countLabel, const TSurface& list,
                         std::size_t count, const TSurface& all, const TWrittenLines& written,
                         std::size_t averageLine, char separator) {
    AppendPolygonHeader(out, countLabel, count);
    std::size_t matched = 0;
    const std::vector<std::size_t> sources =
        count >= kParallelPolygonLines && !written.Ends.empty()
            ? MatchInOrder(list, count, all, written.Ends.size(), matched)
            : std::vector<std::size_t>();
    if (matched < count - count / 4) {
        AppendPolygonLines(out, list, count, averageLine, separator, nullptr);
        out += kLineEnd;
        return;
    }
    std::size_t copied = 0;
    for (std::size_t j = 0; j < count; ++j) {
        if (sources[j] != kNone) {
            copied += written.Ends[sources[j]] - written.Begin(sources[j]);
        }
    }
    // Reserved first, so the copies from the text into itself never reallocate it.
    out.reserve(out.size() + copied + (count - matched) * averageLine + kLineEnd.size());
    for (std::size_t j = 0; j < count; ++j) {
        if (sources[j] == kNone) {
            AppendPolygon(out, list[j], separator);
            out += kLineEnd;
        } else {
            const std::size_t begin = written.Begin(sources[j]);
            out.append(out, begin, written.Ends[sources[j]] - begin);
        }
    }
    out += kLineEnd;
}

// The lines after the sorted polygon lists: the extent, the selected segments (the first
// `selected` of them; with `flush`, called after each) and the flags.
template <typename Flush>
void AppendModelTail(std::string& out, const TModel& model, std::size_t selected,
                     char decimalSeparator, Flush&& flush) {
    const model::TSurFaceData& surface = model.SurfaceData;
    AppendLabelledFloat(out, "Zmax:", surface.Zmax, decimalSeparator);
    AppendLabelledFloat(out, "Zmin:", surface.Zmin, decimalSeparator);
    AppendLabelledFloat(out, "Ymax:", surface.Ymax, decimalSeparator);
    AppendLabelledFloat(out, "Ymin:", surface.Ymin, decimalSeparator);
    AppendLabelledFloat(out, "Xmax:", surface.Xmax, decimalSeparator);
    AppendLabelledFloat(out, "Xmin:", surface.Xmin, decimalSeparator);
    out += kLineEnd;
    AppendSegments(out, "Number of select segments:", model.SelectCutEdge, selected,
                   decimalSeparator, flush);
    out += kLineEnd;
    AppendLine(out, "Surface exist:" + FlagToStr(surface.SurfaceExist));
    AppendLine(out, "Surface sorted:" + FlagToStr(surface.SurfaceSorted));
    AppendLine(out, "CutEdge exist:" + FlagToStr(model.CutEdgeExist));
    AppendLine(out, "Select cutedge exist:" + FlagToStr(model.SelectCutEdgeExist));
    AppendLine(out, "Current CS:" + CSToStr(model.CurrentCS));
    AppendLine(out, "Existed CS:" + ExistedCSToStr(model.ExistedCS));
    AppendLine(out, "Defined Angles:" + DefinedAnglesToStr(model.DefinedAngles));
    for (int kind = 0; kind < 4; ++kind) {
        AppendLine(out, "CSValues:" + CSValuesToStr(model.AcceptedCS, kind, decimalSeparator));
    }
    AppendLine(
        out, "Geometry Settings:" + GeomSettingsToStr(surface.GeometrySettings, decimalSeparator));
}

void AppendModelTail(std::string& out, const TModel& model, std::size_t selected,
                     char decimalSeparator) {
    AppendModelTail(out, model, selected, decimalSeparator, [] {});
}

// The empty line, the STL file name and the extension section.
void AppendNameAndExtensions(std::string& out, const TModel& model, std::string_view stlFileName,
                             char decimalSeparator) {
    out += kLineEnd;
    // The name is one line of the file: a CR or LF in it would end that line early and
    // leave the rest of the name where the reader sees a damaged tail.
    const std::size_t nameAt = out.size();
    AppendLine(out, stlFileName);
    std::replace_if(
        out.begin() + static_cast<std::ptrdiff_t>(nameAt),
        out.begin() + static_cast<std::ptrdiff_t>(nameAt + stlFileName.size()),
        [](char c) { return c == '\r' || c == '\n'; }, ' ');
    const model::TSurFaceData& surface = model.SurfaceData;
    AppendExtensions(out,
                     {surface.ImportOptions, surface.GeometrySettings.MinNormalAngle,
                      surface.GeometrySettings.PointTolerance,
                      surface.GeometrySettings.EdgeKinkAngle, model.Tolerances},
                     decimalSeparator);
}

// Text handed to the file in chunks: small lines gather in `Text` and go on once it
// holds a chunk; Offset() is where the next byte lands in the file.
class TChunkedText {
public:
    static constexpr std::size_t kChunk = std::size_t{1} << 20;

    TChunkedText(const base::TStreamWrite& write, const base::TStreamReadBack& readBack)
        : Write(write), ReadBack(readBack) {
        Text.reserve(2 * kChunk);
    }

    std::string Text;

    bool Ok() const { return Good; }
    std::uint64_t Offset() const { return Written + Text.size(); }

    void Flush() {
        if (Good && !Text.empty()) {
            Good = Write(Text);
            Written += Text.size();
        }
        Text.clear();
    }
    void FlushFull() {
        if (Text.size() >= kChunk) {
            Flush();
        }
    }
    void Pass(std::string_view piece) {
        Flush();
        if (Good && !piece.empty()) {
            Good = Write(piece);
            Written += piece.size();
        }
    }
    bool Read(std::uint64_t offset, std::size_t count, char* out) {
        Good = Good && ReadBack(offset, count, out);
        return Good;
    }

private:
    const base::TStreamWrite& Write;
    const base::TStreamReadBack& ReadBack;
    std::uint64_t Written = 0;
    bool Good = true;
};

// Polygons per half of a streamed batch: a few megabytes of text for each thread.
constexpr std::size_t kStreamBatch = 8192;

// Streams polygon lines [0, count) in batches, the second half of each big batch formatted
// on a second thread; with `ends`, ends[i] is the file offset where line i ends.
void StreamPolygonLines(TChunkedText& out, const TSurface& polygons, std::size_t count,
                        char separator, std::uint64_t* ends) {
    std::string tail;
    std::vector<std::size_t> lineEnds(ends != nullptr ? 2 * kStreamBatch : 0);
    const bool parallel = count >= kParallelPolygonLines;
    for (std::size_t first = 0; first < count && out.Ok(); first += 2 * kStreamBatch) {
        const std::size_t last = std::min(count, first + 2 * kStreamBatch);
        const std::size_t half = parallel ? std::min(last, first + kStreamBatch) : last;
        std::size_t* localEnds = ends != nullptr ? lineEnds.data() - first : nullptr;
        tail.clear();
        bool split = false;
        if (half < last) {
            base::TSecondHalf second(
                [&] { AppendPolygonRange(tail, polygons, half, last, separator, localEnds); });
            if (second.Started()) {
                AppendPolygonRange(out.Text, polygons, first, half, separator, localEnds);
                second.Join();
                split = true;
            }
        }
        if (!split) {
            AppendPolygonRange(out.Text, polygons, first, last, separator, localEnds);
        }
        const std::uint64_t headBase = out.Offset() - out.Text.size();
        const std::uint64_t tailBase = out.Offset();
        if (ends != nullptr) {
            const std::size_t headLast = split ? half : last;
            for (std::size_t i = first; i < headLast; ++i) {
                ends[i] = headBase + localEnds[i];
            }
            for (std::size_t i = headLast; i < last; ++i) {
                ends[i] = tailBase + localEnds[i];
            }
        }
        if (split) {
            out.Pass(tail);
        } else {
            out.FlushFull();
        }
    }
}

// The sorted list's lines: those of polygons matched in the "all" list (whose line i is
// [begin(i), ends[i]) in the file) are read back from the file through a window, which
// gives the bytes formatting would, at copy speed; the rest are formatted.
void StreamSortedSection(TChunkedText& out, std::string_view countLabel, const TSurface& list,
                         std::size_t count, const TSurface& all, std::uint64_t allFirst,
                         const std::vector<std::uint64_t>& ends, char separator) {
    AppendPolygonHeader(out.Text, countLabel, count);
    std::size_t matched = 0;
    std::vector<std::size_t> sources;
    if (count >= kParallelPolygonLines && !ends.empty()) {
        std::vector<std::size_t> found = MatchInOrder(list, count, all, ends.size(), matched);
        sources.swap(found);
    }
    if (matched < count - count / 4) {
        StreamPolygonLines(out, list, count, separator, nullptr);
        out.Text += kLineEnd;
        return;
    }
    constexpr std::size_t kWindow = std::size_t{4} << 20;
    out.Flush();  // every line of the "all" list is in the file now
    std::string window;
    std::uint64_t windowFirst = 0;
    for (std::size_t j = 0; j < count && out.Ok(); ++j) {
        const std::size_t source = sources[j];
        if (source == kNone) {
            AppendPolygon(out.Text, list[j], separator);
            out.Text += kLineEnd;
        } else {
            const std::uint64_t begin = source == 0 ? allFirst : ends[source - 1];
            const std::uint64_t end = ends[source];
            if (begin < windowFirst || end > windowFirst + window.size()) {
                const std::uint64_t available = ends.back() - begin;
                const std::size_t size = static_cast<std::size_t>(std::min<std::uint64_t>(
                    available, std::max<std::uint64_t>(kWindow, end - begin)));
                window.resize(size);
                windowFirst = begin;
                if (!out.Read(begin, size, window.data())) {
                    return;
                }
            }
            out.Text.append(window, static_cast<std::size_t>(begin - windowFirst),
                            static_cast<std::size_t>(end - begin));
        }
        out.FlushFull();
    }
    out.Text += kLineEnd;
}

void StreamModelText(const TModel& model, std::string_view stlFileName, char decimalSeparator,
                     const base::TStreamWrite& write, const base::TStreamReadBack& readBack) {
    const model::TSurFaceData& surface = model.SurfaceData;
    const std::size_t segments = WrittenCount(model.SegmentCount, model.CutEdge.size());
    const std::size_t selected = model.SelectCutEdge.size();
    const std::size_t all = WrittenCount(surface.PolygonCount, surface.Polygons.size());
    const std::size_t front = WrittenCount(surface.FrontCount, surface.FrontPolygons.size());
    const std::size_t back = WrittenCount(surface.BackCount, surface.BackPolygons.size());
    const std::size_t other = surface.OtherPolygons.size();

    TChunkedText out(write, readBack);
    const auto flushFull = [&] { out.FlushFull(); };
    AppendLine(out.Text, kProjectHeader);
    AppendLine(out.Text, "");
    AppendLine(out.Text, "-----Model-----");
    AppendLine(out.Text, "");
    AppendSegments(out.Text, "Number of segments:", model.CutEdge, segments, decimalSeparator,
                   flushFull);
    out.Text += kLineEnd;
    AppendPolygonHeader(out.Text, "Number of all polygons:", all);
    const std::uint64_t allFirst = out.Offset();
    std::vector<std::uint64_t> ends;
    if (all >= kParallelPolygonLines) {
        ends.resize(all);
    }
    StreamPolygonLines(out, surface.Polygons, all, decimalSeparator,
                       ends.empty() ? nullptr : ends.data());
    out.Text += kLineEnd;
    StreamSortedSection(out, "Number of front polygons:", surface.FrontPolygons, front,
                        surface.Polygons, allFirst, ends, decimalSeparator);
    StreamSortedSection(out, "Number of back polygons:", surface.BackPolygons, back,
                        surface.Polygons, allFirst, ends, decimalSeparator);
    StreamSortedSection(out, "Number of other polygons:", surface.OtherPolygons, other,
                        surface.Polygons, allFirst, ends, decimalSeparator);
    AppendModelTail(out.Text, model, selected, decimalSeparator, flushFull);
    AppendNameAndExtensions(out.Text, model, stlFileName, decimalSeparator);
    out.Flush();
}

}  // namespace

void AppendModelLines(const TModel& model, char decimalSeparator, std::string& out) {
    const model::TSurFaceData& surface = model.SurfaceData;
    const std::size_t segments = WrittenCount(model.SegmentCount, model.CutEdge.size());
    const std::size_t selected = model.SelectCutEdge.size();
    const std::size_t all = WrittenCount(surface.PolygonCount, surface.Polygons.size());
    const std::size_t front = WrittenCount(surface.FrontCount, surface.FrontPolygons.size());
    const std::size_t back = WrittenCount(surface.BackCount, surface.BackPolygons.size());
    const std::size_t other = surface.OtherPolygons.size();

    // One reservation for the whole text: the polygon lines dominate, and a segment
    // block holds two polygons and some 400 characters more.
    std::size_t averageLine = AveragePolygonLine(surface.Polygons, decimalSeparator);
    if (averageLine == 0) {
        averageLine = AveragePolygonLine(surface.FrontPolygons, decimalSeparator);
    }
    const std::size_t estimate = (all + front + back + other) * averageLine +
                                 (segments + selected) * (2 * averageLine + 600) + 2048;
    out.reserve(out.size() + estimate + estimate / 16);
    AdviseLargeBuffer(out.data() + out.size(), out.capacity() - out.size());

    AppendLine(out, kProjectHeader);
    AppendLine(out, "");
    AppendLine(out, "-----Model-----");
    AppendLine(out, "");
    AppendSegments(out, "Number of segments:", model.CutEdge, segments, decimalSeparator);
    out += kLineEnd;
    AppendPolygonHeader(out, "Number of all polygons:", all);
    TWrittenLines written;
    written.First = out.size();
    if (all >= kParallelPolygonLines) {
        written.Ends.reserve(all);
        AdviseLargeBuffer(written.Ends.data(), all * sizeof(std::size_t));
        written.Ends.resize(all);
    }
    AppendPolygonLines(out, surface.Polygons, all, averageLine, decimalSeparator,
                       written.Ends.empty() ? nullptr : written.Ends.data());
    out += kLineEnd;
    AppendSortedSection(out, "Number of front polygons:", surface.FrontPolygons, front,
                        surface.Polygons, written, averageLine, decimalSeparator);
    AppendSortedSection(out, "Number of back polygons:", surface.BackPolygons, back,
                        surface.Polygons, written, averageLine, decimalSeparator);
    AppendSortedSection(out, "Number of other polygons:", surface.OtherPolygons, other,
                        surface.Polygons, written, averageLine, decimalSeparator);
    AppendModelTail(out, model, selected, decimalSeparator);
}

std::string ProjectText(const TModel& model, std::string_view stlFileName, char decimalSeparator) {
    std::string out;
    AppendModelLines(model, decimalSeparator, out);
    out.reserve(out.size() + stlFileName.size() + 2 * kLineEnd.size());
    AppendNameAndExtensions(out, model, stlFileName, decimalSeparator);
    return out;
}

model::TResult SaveProject(TModel& model, const std::string& path, std::string_view stlFileName,
                           char decimalSeparator, model::TProgress& progress) {
    model.SurfaceData.Modified = true;
    model::TProgressScope scope(progress, "Сохранение файла >>", 3);
    // The text goes to the file in chunks as it is formatted, so a big model's file is
    // never held in memory whole.
    bool outOfMemory = false;
    model::TResult written = base::WriteFileAtomicallyStreamed(
        path, [&](const base::TStreamWrite& write, const base::TStreamReadBack& readBack) {
            try {
                StreamModelText(model, stlFileName, decimalSeparator, write, readBack);
            } catch (const std::bad_alloc&) {
                outOfMemory = true;  // the write fails and takes its temporary away
                throw;
            }
        });
    if (outOfMemory) {
        return model::TResult::Failure(base::Say("cannot write %1: not enough memory",
                                                 "Не удаётся записать %1: недостаточно памяти",
                                                 path));
    }
    if (!written) {
        return written;
    }
    progress.Step();
    progress.Step();
    progress.Step();
    return model::TResult::Success();
}

}  // namespace tessarin::project
