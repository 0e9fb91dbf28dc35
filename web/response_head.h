// The header block of the final response, gathered from the header lines
// the HTTP engine passes on one at a time for every response it reads
// (interim 1xx answers and followed redirections included).
#pragma once

#include <string>
#include <string_view>

namespace web {

class response_head {
public:
    // One line as received, its line end included. A status line starts a
    // new block; lines after a block's empty line (trailers) are not kept.
    void add_line(std::string_view line);

    bool received() const { return !block_.empty(); }
    // The block's empty line has come.
    bool complete() const { return complete_; }

    // The status line and header lines, each ended by CR LF, then the empty
    // line; a block cut short is ended as if it had been complete.
    std::string text() const;

private:
    std::string block_;
    bool complete_ = false;
};

}  // namespace web
