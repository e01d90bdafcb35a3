// An open-addressing hash set of vertex indices, linear probing, at most half full.
#include "view/vertex_welding.h"

#include <bit>
#include <cstring>
#include <limits>
#include <vector>

namespace tessarin::view {

namespace {

constexpr std::uint32_t kEmpty = std::numeric_limits<std::uint32_t>::max();

std::uint64_t HashVertex(const float* vertex, std::size_t floats) {
    std::uint64_t hash = 0x9E3779B97F4A7C15ull;
    for (std::size_t i = 0; i < floats; ++i) {
        std::uint32_t bits = 0;
        std::memcpy(&bits, vertex + i, sizeof bits);
        hash = (hash ^ bits) * 0xFF51AFD7ED558CCDull;
        hash ^= hash >> 29;
    }
    return hash ^ (hash >> 32);
}

}  // namespace

std::size_t WeldVertices(float* vertices, std::size_t count, std::size_t floatsPerVertex,
                         std::uint32_t* indices) {
    const std::size_t vertexBytes = floatsPerVertex * sizeof(float);
    std::vector<std::uint32_t> table(std::bit_ceil(count * 2 + 1), kEmpty);
    const std::size_t mask = table.size() - 1;
    std::size_t kept = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const float* vertex = vertices + i * floatsPerVertex;
        std::size_t slot = HashVertex(vertex, floatsPerVertex) & mask;
        while (true) {
            const std::uint32_t entry = table[slot];
            if (entry == kEmpty) {
                // Kept copies only ever move towards the front, onto vertices already read.
                float* target = vertices + kept * floatsPerVertex;
                if (target != vertex) {
                    std::memcpy(target, vertex, vertexBytes);
                }
                table[slot] = static_cast<std::uint32_t>(kept);
                indices[i] = static_cast<std::uint32_t>(kept);
                ++kept;
                break;
            }
            if (std::memcmp(vertices + entry * floatsPerVertex, vertex, vertexBytes) == 0) {
                indices[i] = entry;
                break;
            }
            slot = (slot + 1) & mask;
        }
    }
    return kept;
}

}  // namespace tessarin::view
