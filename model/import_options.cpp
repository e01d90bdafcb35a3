#include "model/import_options.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "base/language.h"
#include "base/number_format.h"

namespace tessarin::model {

namespace {

bool IsFinite(const TVector3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Divides by the largest component first, so that neither tiny nor huge axes over- or
// underflow when squared.
std::optional<TVector3> UnitAxis(const TVector3& axis) {
    if (!IsFinite(axis)) {
        return std::nullopt;
    }
    const double largest = std::max({std::abs(axis.x), std::abs(axis.y), std::abs(axis.z)});
    if (largest == 0.0) {
        return std::nullopt;
    }
    const TVector3 scaled{axis.x / largest, axis.y / largest, axis.z / largest};
    const double length =
        std::sqrt(scaled.x * scaled.x + scaled.y * scaled.y + scaled.z * scaled.z);
    return TVector3{scaled.x / length, scaled.y / length, scaled.z / length};
}

// The middle of low..high. A span wider than the range of a double would make it infinite
// and every shifted vertex with it, so such a span is halved before it is added.
double Middle(double low, double high) {
    const double span = high - low;
    return std::isfinite(span) ? low + span / 2.0 : low / 2.0 + high / 2.0;
}

}  // namespace

double MillimetresPer(TLengthUnit unit) {
    switch (unit) {
        case TLengthUnit::Millimetre:
            return 1.0;
        case TLengthUnit::Inch:
            return 25.4;
        case TLengthUnit::Metre:
            return 1000.0;
        case TLengthUnit::Micrometre:
            return 0.001;
    }
    return 1.0;
}

std::string_view LengthUnitKey(TLengthUnit unit) {
    switch (unit) {
        case TLengthUnit::Millimetre:
            return "mm";
        case TLengthUnit::Inch:
            return "inch";
        case TLengthUnit::Metre:
            return "m";
        case TLengthUnit::Micrometre:
            return "um";
    }
    return "mm";
}

std::optional<TLengthUnit> LengthUnitOfKey(std::string_view key) {
    for (const TLengthUnit unit : {TLengthUnit::Millimetre, TLengthUnit::Inch, TLengthUnit::Metre,
                                   TLengthUnit::Micrometre}) {
        if (key == LengthUnitKey(unit)) {
            return unit;
        }
    }
    return std::nullopt;
}

std::string_view LengthUnitName(TLengthUnit unit) {
    switch (unit) {
        case TLengthUnit::Millimetre:
            return "мм";
        case TLengthUnit::Inch:
            return "дюймы";
        case TLengthUnit::Metre:
            return "м";
        case TLengthUnit::Micrometre:
            return "мкм";
    }
    return "мм";
}

TVector3 TAxisTurn::Apply(const TVector3& v) const {
    return {M[0][0] * v.x + M[0][1] * v.y + M[0][2] * v.z,
            M[1][0] * v.x + M[1][1] * v.y + M[1][2] * v.z,
            M[2][0] * v.x + M[2][1] * v.y + M[2][2] * v.z};
}

TVector3 TAxisTurn::ApplyInverse(const TVector3& v) const {
    return {M[0][0] * v.x + M[1][0] * v.y + M[2][0] * v.z,
            M[0][1] * v.x + M[1][1] * v.y + M[2][1] * v.z,
            M[0][2] * v.x + M[1][2] * v.y + M[2][2] * v.z};
}

std::optional<TAxisTurn> AxisTurn(const TVector3& axis) {
    const std::optional<TVector3> unit = UnitAxis(axis);
    if (!unit) {
        return std::nullopt;
    }
    const double ax = unit->x;
    const double ay = unit->y;
    const double c = unit->z;
    const double across = ax * ax + ay * ay;
    TAxisTurn turn;
    if (across == 0.0) {
        if (c > 0.0) {
            return turn;
        }
        turn.M[1][1] = -1.0;
        turn.M[2][2] = -1.0;
        turn.Identity = false;
        return turn;
    }
    // Rodrigues' formula with v = a x Z: M = I + [v]x + [v]x^2 / (1 + c). Near -Z, 1 + c
    // loses every digit, so its reciprocal is taken as (1 - c) / |v|^2, which is the same
    // number and keeps them.
    const double k = c >= 0.0 ? 1.0 / (1.0 + c) : (1.0 - c) / across;
    turn.M[0][0] = 1.0 - k * ax * ax;
    turn.M[0][1] = -k * ax * ay;
    turn.M[0][2] = -ax;
    turn.M[1][0] = -k * ax * ay;
    turn.M[1][1] = 1.0 - k * ay * ay;
    turn.M[1][2] = -ay;
    turn.M[2][0] = ax;
    turn.M[2][1] = ay;
    turn.M[2][2] = c;
    turn.Identity = false;
    return turn;
}

bool KeepsFrame(const TImportOptions& options) {
    const std::optional<TAxisTurn> turn = AxisTurn(options.Axis);
    return options.Unit == TLengthUnit::Millimetre && options.Origin == TOriginChoice::Keep &&
           turn && turn->Identity;
}

TResult CheckImportOptions(const TImportOptions& options) {
    if (!AxisTurn(options.Axis)) {
        return TResult::Failure(base::Say(
            "tool axis (%1, %2, %3): not a direction (zero or not finite)",
            "ось инструмента (%1, %2, %3) не задаёт направления (нулевая или не конечная)",
            base::FloatToStr(options.Axis.x, '.'), base::FloatToStr(options.Axis.y, '.'),
            base::FloatToStr(options.Axis.z, '.')));
    }
    if (options.Origin == TOriginChoice::Point && !IsFinite(options.OriginPoint)) {
        return TResult::Failure(
            base::Say("origin point: a coordinate is not finite",
                      "начало координат: координата не является конечным числом"));
    }
    return TResult::Success();
}

TResult BringIntoToolFrame(TSurface& polygons, const TImportOptions& options) {
    const std::optional<TAxisTurn> found = AxisTurn(options.Axis);
    if (!found) {
        return CheckImportOptions(options);
    }
    const TAxisTurn& turn = *found;
    const double scale = MillimetresPer(options.Unit);
    const TVector3 shift =
        options.Origin == TOriginChoice::Point
            ? TVector3{options.OriginPoint.x * scale, options.OriginPoint.y * scale,
                       options.OriginPoint.z * scale}
            : TVector3{};
    auto place = [&](const TVector3& v) {
        const TVector3 moved{v.x * scale - shift.x, v.y * scale - shift.y, v.z * scale - shift.z};
        return turn.Identity ? moved : turn.Apply(moved);
    };

    double low[2] = {HUGE_VAL, HUGE_VAL};
    double high[2] = {-HUGE_VAL, -HUGE_VAL};
    auto extend = [&](const TVector3& v) {
        low[0] = std::min(low[0], v.x);
        high[0] = std::max(high[0], v.x);
        low[1] = std::min(low[1], v.y);
        high[1] = std::max(high[1], v.y);
    };
    for (std::size_t i = 0; i < polygons.size(); ++i) {
        TPolygon& p = polygons[i];
        p.Vert1 = place(p.Vert1);
        p.Vert2 = place(p.Vert2);
        p.Vert3 = place(p.Vert3);
        if (!IsFinite(p.Vert1) || !IsFinite(p.Vert2) || !IsFinite(p.Vert3)) {
            return TResult::Failure(base::Say(
                "facet %1: a coordinate in %2 is beyond the range of a double in millimetres",
                "грань %1: координата в единицах «%3», пересчитанная в миллиметры, выходит за "
                "диапазон чисел двойной точности",
                base::IntToStr(static_cast<std::int64_t>(i) + 1), LengthUnitKey(options.Unit),
                LengthUnitName(options.Unit)));
        }
        if (!turn.Identity) {
            p.Normal = turn.Apply(p.Normal);
        }
        extend(p.Vert1);
        extend(p.Vert2);
        extend(p.Vert3);
    }
    if (options.Origin == TOriginChoice::Center && !polygons.empty()) {
        // A shift across the axis commutes with the turn, so taking the centre in the
        // tool's frame is the same as taking it before the turn, only measured where the
        // axis is Z.
        const double cx = Middle(low[0], high[0]);
        const double cy = Middle(low[1], high[1]);
        for (TPolygon& p : polygons) {
            for (TVector3* v : {&p.Vert1, &p.Vert2, &p.Vert3}) {
                v->x -= cx;
                v->y -= cy;
            }
        }
    }
    return TResult::Success();
}

}  // namespace tessarin::model
