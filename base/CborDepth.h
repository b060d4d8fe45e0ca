// How deep CBOR bytes nest, found without recursion: the CBOR reader of the
// JSON library recurses once per level, so bytes nesting deep enough would
// run it off the end of the call stack.
#pragma once

#include <cstddef>
#include <string>

namespace tessel::base {

// False when arrays, maps, tags and chunked strings in `bytes` (from `start`)
// nest more than `limit` deep. Malformed or truncated bytes answer true:
// refusing them is the reader's job.
bool CborNestsWithin(const std::string& bytes, size_t start, size_t limit);

}  // namespace tessel::base
