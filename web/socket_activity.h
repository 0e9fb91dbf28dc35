// Whether bytes keep arriving on a transfer's connection, whatever curl
// makes of them: it hands a header line on only once the whole line is in,
// so a head sent a byte at a time looks idle to its callbacks. Internal to
// web/.
#pragma once

#include <curl/curl.h>

#include <cstddef>
#include <cstdint>

namespace web {

// The bytes received so far (as the system counts them, before curl reads
// them) on the sockets `multi` waits on; 0 where the system cannot tell.
// A change between two calls means bytes came in.
std::uint64_t bytes_received(CURLM* multi);

}  // namespace web
