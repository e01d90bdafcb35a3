// Welding of the polygon arrays: vertices that repeat bit for bit (same position and
// same normal, as the corners shared by the triangles of one flat face) are kept once and
// drawn through indices, so OpenGL transforms and lights each of them once.
#pragma once

#include <cstddef>
#include <cstdint>

namespace tessarin::view {

// `vertices` holds `count` vertices of `floatsPerVertex` floats each. Moves the first
// occurrence of every distinct vertex, in the order of first occurrence, to the front of
// `vertices`, writes for every input vertex the index of its kept copy into
// `indices[0 .. count)`, and returns how many vertices are kept. Vertices are compared
// bit for bit, so NaN coordinates weld with identical NaNs and 0 and -0 stay apart; the
// indexed picture is therefore exactly the unindexed one. `count` must be below 2^32.
std::size_t WeldVertices(float* vertices, std::size_t count, std::size_t floatsPerVertex,
                         std::uint32_t* indices);

}  // namespace tessarin::view
