#include "tests/support/stl_text.h"

#include <charconv>

namespace tessarin::test {

namespace {

void Append(std::string& out, std::string_view keyword, const model::TVector3& v) {
    out += keyword;
    for (const double c : {v.x, v.y, v.z}) {
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, c).ptr;
        out += ' ';
        out.append(buffer, end);
    }
    out += '\n';
}

}  // namespace

std::string ExactAsciiStl(const model::TSurface& polygons, std::string_view name) {
    std::string text = "solid " + std::string(name) + "\n";
    for (const model::TPolygon& p : polygons) {
        Append(text, "  facet normal", p.Normal);
        text += "    outer loop\n";
        Append(text, "      vertex", p.Vert1);
        Append(text, "      vertex", p.Vert2);
        Append(text, "      vertex", p.Vert3);
        text += "    endloop\n  endfacet\n";
    }
    return text + "endsolid " + std::string(name) + "\n";
}

}  // namespace tessarin::test
