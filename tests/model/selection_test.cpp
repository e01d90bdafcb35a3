#include "model/selection.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "model/model.h"

namespace tessarin::model {
namespace {

// --- Range texts ---------------------------------------------------------------------

struct TRangeCase {
    const char* Name;
    // Written with "," for the decimal separator in use and "#" for the other one.
    const char* Text;
    bool Ok;
    std::vector<TAnRange> Expected;
};

using TRangeParam = std::tuple<TRangeCase, char>;

std::string WithSeparator(std::string text, char separator) {
    const char other = separator == ',' ? '.' : ',';
    for (char& c : text) {
        if (c == ',') {
            c = separator;
        } else if (c == '#') {
            c = other;
        }
    }
    return text;
}

class ParseRangesTest : public testing::TestWithParam<TRangeParam> {};

TEST_P(ParseRangesTest, AcceptsRangeListsAndRefusesEverythingElse) {
    const auto& [c, separator] = GetParam();
    const std::string text = WithSeparator(c.Text, separator);
    TAnRanges ranges;
    ASSERT_EQ(ParseRanges(text, separator, ranges), c.Ok) << '"' << text << '"';
    if (!c.Ok) {
        return;
    }
    ASSERT_EQ(ranges.size(), c.Expected.size()) << text;
    for (std::size_t i = 0; i < ranges.size(); ++i) {
        EXPECT_EQ(ranges[i].Lo, c.Expected[i].Lo) << text << " #" << i;
        EXPECT_EQ(ranges[i].Hi, c.Expected[i].Hi) << text << " #" << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseRangesTest,
    testing::Combine(
        testing::Values(TRangeCase{"OneRangeTrailingBlank", "-3,4..9,067 ", true, {{-3.4, 9.067}}},
                        TRangeCase{"ThreeRangesBoundsAsTyped",
                                   "0..-5,8; -7..-9,6; 3,2..10",
                                   true,
                                   {{0, -5.8}, {-7, -9.6}, {3.2, 10}}},
                        TRangeCase{"BlanksAroundBounds", " 1 .. 2 ", true, {{1, 2}}},
                        TRangeCase{"SignsAndExponents", "+1e2..-2,5E-1", true, {{100, -0.25}}},
                        TRangeCase{"SingleValue", "5..5", true, {{5, 5}}},
                        TRangeCase{"NoDots", "5", false, {}},
                        TRangeCase{"NoUpperBound", "1..", false, {}},
                        TRangeCase{"NoLowerBound", "..2", false, {}},
                        TRangeCase{"TrailingSemicolon", "1..2;", false, {}},
                        TRangeCase{"EmptyPiece", "1..2;;3..4", false, {}},
                        TRangeCase{"BlanksOnlyPiece", "1..2;  ;3..4", false, {}},
                        TRangeCase{"EmptyText", "", false, {}},
                        TRangeCase{"UpperBoundWithMoreDots", "1..2..3", false, {}},
                        TRangeCase{"OtherSeparator", "1#5..2", false, {}},
                        TRangeCase{"SingleDot", "1#2", false, {}},
                        TRangeCase{"Letters", "a..b", false, {}},
                        TRangeCase{"TextAfterNumber", "1..2 x", false, {}},
                        TRangeCase{"TabIsNoBlank", "\t1..2", false, {}},
                        TRangeCase{"NotANumber", "NAN..1", false, {}},
                        TRangeCase{"Infinity", "1..INF", false, {}},
                        TRangeCase{"ThousandsSeparator", "1 000..2", false, {}}),
        testing::Values(',', '.')),
    [](const testing::TestParamInfo<TRangeParam>& info) {
        return std::string(std::get<0>(info.param).Name) +
               (std::get<1>(info.param) == ',' ? "Comma" : "Point");
    });

TEST(ParseRangesTest, WithPointSeparatorTheFirstTwoDotsSplitTheRange) {
    // "1...2": the first ".." ends the lower bound, ".2" is the upper one.
    TAnRange range;
    ASSERT_TRUE(ParseRange("1...2", '.', range));
    EXPECT_EQ(range.Lo, 1.0);
    EXPECT_EQ(range.Hi, 0.2);
    ASSERT_TRUE(ParseRange("1.5..2.25", '.', range));
    EXPECT_EQ(range.Lo, 1.5);
    EXPECT_EQ(range.Hi, 2.25);
    // With "," the same text has a lower bound "1," without fraction digits.
    ASSERT_TRUE(ParseRange("1,..2", ',', range));
    EXPECT_EQ(range.Lo, 1.0);
    EXPECT_EQ(range.Hi, 2.0);
}

TEST(ParseRangesTest, AppendsAndAddsNothingForAFailingPiece) {
    TAnRanges ranges{{-1, 1}};
    EXPECT_FALSE(ParseRanges("1..2; x..3; 4..5", ',', ranges));
    ASSERT_EQ(ranges.size(), 2u);
    EXPECT_EQ(ranges[1].Lo, 1.0);
    EXPECT_EQ(ranges[1].Hi, 2.0);

    TAnRange range{7, 8};
    EXPECT_FALSE(ParseRange("1..x", ',', range));
    EXPECT_EQ(range.Lo, 7.0);
    EXPECT_EQ(range.Hi, 8.0);
}

// --- Query columns -------------------------------------------------------------------

struct TColumnBinding {
    TAnRanges& (*Ranges)(TInquiryRanges&);
    double& (*Angle)(TSegment&);
};

// The 15 query columns as the dialog shows them: G, A, L of each system.
const TColumnBinding kColumns[kQueryColumnCount] = {
    {[](TInquiryRanges& r) -> TAnRanges& { return r.ISK.G; },
     [](TSegment& s) -> double& { return s.ISK.G; }},
    {[](TInquiryRanges& r) -> TAnRanges& { return r.ISK.A; },
     [](TSegment& s) -> double& { return s.ISK.A; }},
    {[](TInquiryRanges& r) -> TAnRanges& { return r.ISK.L; },
     [](TSegment& s) -> double& { return s.ISK.L; }},
    {[](TInquiryRanges& r) -> TAnRanges& { return r.SSK.G; },
     [](TSegment& s) -> double& { return s.SSK.G; }},
    {[](TInquiryRanges& r) -> TAnRanges& { return r.SSK.A; },
     [](TSegment& s) -> double& { return s.SSK.A; }},
    {[](TInquiryRanges& r) -> TAnRanges& { return r.SSK.L; },
     [](TSegment& s) -> double& { return s.SSK.L; }},
    {[](TInquiryRanges& r) -> TAnRanges& { return r.SSK.F; },
     [](TSegment& s) -> double& { return s.SSK.F; }},
    {[](TInquiryRanges& r) -> TAnRanges& { return r.KSK.G; },
     [](TSegment& s) -> double& { return s.KSK.G; }},
    {[](TInquiryRanges& r) -> TAnRanges& { return r.KSK.A; },
     [](TSegment& s) -> double& { return s.KSK.A; }},
    {[](TInquiryRanges& r) -> TAnRanges& { return r.KSK.L; },
     [](TSegment& s) -> double& { return s.KSK.L; }},
    {[](TInquiryRanges& r) -> TAnRanges& { return r.KSK.F; },
     [](TSegment& s) -> double& { return s.KSK.F; }},
    {[](TInquiryRanges& r) -> TAnRanges& { return r.DSK.G; },
     [](TSegment& s) -> double& { return s.DSK.G; }},
    {[](TInquiryRanges& r) -> TAnRanges& { return r.DSK.A; },
     [](TSegment& s) -> double& { return s.DSK.A; }},
    {[](TInquiryRanges& r) -> TAnRanges& { return r.DSK.L; },
     [](TSegment& s) -> double& { return s.DSK.L; }},
    {[](TInquiryRanges& r) -> TAnRanges& { return r.DSK.F; },
     [](TSegment& s) -> double& { return s.DSK.F; }},
};

TModel ModelWithSegments(int count) {
    TModel model(',');
    for (int i = 0; i < count; ++i) {
        TSegment segment;
        segment.Number = i + 1;
        segment.Polar = 10.0 * i;
        model.CutEdge.push_back(segment);
    }
    model.SegmentCount = count;
    model.CutEdgeExist = true;
    return model;
}

std::vector<std::int32_t> Numbers(const TCutEdgeData& segments) {
    std::vector<std::int32_t> numbers;
    for (const TSegment& s : segments) {
        numbers.push_back(s.Number);
    }
    return numbers;
}

TEST(QueryColumnTest, EachColumnTestsItsOwnAngle) {
    for (int column = 0; column < kQueryColumnCount; ++column) {
        TInquiryRanges ranges;
        EXPECT_EQ(&QueryColumn(ranges, column), &kColumns[column].Ranges(ranges)) << column;
        const TInquiryRanges& constant = ranges;
        EXPECT_EQ(&QueryColumn(constant, column), &kColumns[column].Ranges(ranges)) << column;

        // Segment 2 has the value 1 in this column's angle only, all others 0.
        TModel model = ModelWithSegments(3);
        kColumns[column].Angle(model.CutEdge[1]) = 1.0;
        TSelectDlgInqury query;
        query.Use[static_cast<std::size_t>(column)] = true;
        kColumns[column].Ranges(query.Ranges) = {{0.5, 1.5}};
        ASSERT_TRUE(model.MakeSelection(query)) << column;
        EXPECT_EQ(Numbers(model.SelectCutEdge), (std::vector<std::int32_t>{2})) << column;
    }
}

// --- MakeSelection ------------------------------------------------------------------

// Segments 1..5 with ISK G = 0, 10, 10.0000001, NaN, -3 and ISK A = 5, 50, 50, 5, 50.
TModel SampleModel() {
    TModel model = ModelWithSegments(5);
    const double g[] = {0, 10, 10.0000001, std::numeric_limits<double>::quiet_NaN(), -3};
    const double a[] = {5, 50, 50, 5, 50};
    for (std::size_t i = 0; i < 5; ++i) {
        model.CutEdge[i].ISK.G = g[i];
        model.CutEdge[i].ISK.A = a[i];
    }
    return model;
}

struct TSearchCase {
    const char* Name;
    bool AndLogic;
    bool UseG;
    bool UseA;
    std::vector<std::int32_t> Expected;
};

class MakeSelectionLogicTest : public testing::TestWithParam<TSearchCase> {};

TEST_P(MakeSelectionLogicTest, SelectsTheSegmentsThatPassTheUsedColumns) {
    const TSearchCase& c = GetParam();
    TModel model = SampleModel();
    TSelectDlgInqury query;
    query.AndLogic = c.AndLogic;
    query.Use[0] = c.UseG;
    query.Use[1] = c.UseA;
    query.Ranges.ISK.G = {{0, 10}};
    query.Ranges.ISK.A = {{-100, -90}, {40, 60}};
    EXPECT_EQ(model.MakeSelection(query), !c.Expected.empty());
    EXPECT_EQ(Numbers(model.SelectCutEdge), c.Expected);
    EXPECT_EQ(model.SelectCutEdgeExist, !c.Expected.empty());
    EXPECT_TRUE(model.SurfaceData.Modified);
}

INSTANTIATE_TEST_SUITE_P(
    Logic, MakeSelectionLogicTest,
    testing::Values(
        // Both bounds inclusive: 0 and 10 are in, 10.0000001 and NaN are not.
        TSearchCase{"InclusiveBounds", true, true, false, {1, 2}},
        TSearchCase{"SecondRangeOfAColumn", true, false, true, {2, 3, 5}},
        TSearchCase{"AndNeedsBoth", true, true, true, {2}},
        TSearchCase{"OrNeedsEither", false, true, true, {1, 2, 3, 5}},
        TSearchCase{"NoColumnWithAndIsEverySegment", true, false, false, {1, 2, 3, 4, 5}},
        TSearchCase{"NoColumnWithOrIsNone", false, false, false, {}}),
    [](const testing::TestParamInfo<TSearchCase>& info) { return std::string(info.param.Name); });

TEST(MakeSelectionTest, ARangeWithLowAboveHighContainsNothing) {
    TModel model = SampleModel();
    TSelectDlgInqury query;
    query.Use[0] = true;
    query.Ranges.ISK.G = {{10, 0}};
    EXPECT_FALSE(model.MakeSelection(query));
    EXPECT_TRUE(model.SelectCutEdge.empty());
    EXPECT_FALSE(model.SelectCutEdgeExist);
}

TEST(MakeSelectionTest, NothingFoundKeepsThePreviousSelectionAndSaysSo) {
    TModel model = SampleModel();
    TSelectDlgInqury first;
    first.Use[1] = true;
    first.Ranges.ISK.A = {{40, 60}};
    ASSERT_TRUE(model.MakeSelection(first));
    const TCutEdgeData before = model.SelectCutEdge;

    for (const bool wholeEdge : {true, false}) {
        TSelectDlgInqury none;
        none.AndLogic = false;
        none.WholeEdge = wholeEdge;
        none.Use[0] = true;
        none.Ranges.ISK.G = {{1000, 2000}};
        model.SurfaceData.Modified = false;
        EXPECT_FALSE(model.MakeSelection(none)) << wholeEdge;
        EXPECT_EQ(model.SelectCutEdge, before) << wholeEdge;
        EXPECT_TRUE(model.SelectCutEdgeExist) << wholeEdge;
        EXPECT_TRUE(model.SurfaceData.Modified) << wholeEdge;
    }
}

TEST(MakeSelectionTest, WithinTheSelectionLooksAtItsSegmentsOnly) {
    TModel model = ModelWithSegments(40);
    for (TSegment& s : model.CutEdge) {
        s.ISK.L = 1;
    }
    model.CutEdge[4].ISK.L = -1;
    // A selection of 3 segments, one of them with a stale copy of its angle.
    model.SelectCutEdge = {model.CutEdge[4], model.CutEdge[9], model.CutEdge[30]};
    model.SelectCutEdge[1].ISK.L = -1;
    model.SelectCutEdgeExist = true;

    TSelectDlgInqury query;
    query.WholeEdge = false;
    query.Use[2] = true;
    query.Ranges.ISK.L = {{0, 5}};
    class TCounting final : public TProgress {
    public:
        void Start(std::string_view text, int maximum) override {
            Text = std::string(text);
            Maximum = maximum;
        }
        void Step(int count) override { Stepped += count; }
        void Finish() override { Finished = true; }
        std::string Text;
        int Maximum = -1;
        int Stepped = 0;
        bool Finished = false;
    } progress;
    ASSERT_TRUE(model.MakeSelection(query, progress));
    // The segments are tested with their angles as the cutting edge has them now: segment
    // 10 passes although its copy was stale, segment 5 fails.
    EXPECT_EQ(Numbers(model.SelectCutEdge), (std::vector<std::int32_t>{10, 31}));
    EXPECT_EQ(progress.Text, "Формирование выборки >>");
    EXPECT_EQ(progress.Maximum, 3);
    EXPECT_EQ(progress.Stepped, 3);
    EXPECT_TRUE(progress.Finished);
}

TEST(MakeSelectionTest, ResultIsSortedByNumberAndEqualNumbersKeepTheirOrder) {
    TModel model = ModelWithSegments(10);
    TCutEdgeData selection;
    for (const int number : {9, 2, 5, 2, 1}) {
        selection.push_back(model.CutEdge[static_cast<std::size_t>(number - 1)]);
    }
    // The two copies of segment 2 told apart by their polar angle.
    selection[1].Polar = -1;
    selection[3].Polar = -2;
    model.SelectCutEdge = selection;
    model.SelectCutEdgeExist = true;

    TSelectDlgInqury everything;
    everything.WholeEdge = false;
    ASSERT_TRUE(model.MakeSelection(everything));
    EXPECT_EQ(Numbers(model.SelectCutEdge), (std::vector<std::int32_t>{1, 2, 2, 5, 9}));
    EXPECT_EQ(model.SelectCutEdge[1].Polar, -1.0);
    EXPECT_EQ(model.SelectCutEdge[2].Polar, -2.0);
}

TEST(MakeSelectionTest, SegmentsNumberedBeyondTheCuttingEdgeAreNotSelectedAgain) {
    // A selection made before segments were discarded: numbers 2, 7 and 9 of what is
    // now a cutting edge of 5 segments.
    TModel model = ModelWithSegments(9);
    model.SelectCutEdge = {model.CutEdge[1], model.CutEdge[6], model.CutEdge[8]};
    model.SelectCutEdgeExist = true;
    model.CutEdge.resize(5);
    model.SegmentCount = 5;

    TSelectDlgInqury everything;
    everything.WholeEdge = false;
    ASSERT_TRUE(model.MakeSelection(everything));
    EXPECT_EQ(Numbers(model.SelectCutEdge), (std::vector<std::int32_t>{2}));
}

}  // namespace
}  // namespace tessarin::model
