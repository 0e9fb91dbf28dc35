// How the sample site treats its connections: whether an answer ends the
// connection it came on, and the delays that stand for a distant link.
#pragma once

namespace sample_site {

struct connection_options {
    enum class after_answer {
        close,              // every answer says "Connection: close" and ends its connection
        keep,               // an ordinary answer leaves the connection open for the next request
                            // (unless the request asked for a close); fault answers still end it
        close_unannounced,  // answers look like kept ones, yet the connection ends after each
    };
    after_answer end = after_answer::close;
    // A new connection's first answer waits this long: its set-up on a real link.
    int new_connection_delay_ms = 0;
    // Every answer waits this long: the link's round trip.
    int answer_delay_ms = 0;
};

}  // namespace sample_site
