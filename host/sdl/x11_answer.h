// Whether an X display answers at all, asked before SDL's video starts. A server that
// accepts a connection and never answers it (a stopped X server, a hung compositor) would
// otherwise hold the program inside Xlib for ever, with no window and no word.
#pragma once

#include <chrono>

namespace ollendor {

enum class DisplayAnswer {
    answered, // the server took the connection: SDL may go on
    refused,  // no server there, or it dropped the connection: SDL's start says so
    silent,   // no answer within the limit
};

// Opens and closes a connection to the X display `name` on a thread of its own, waiting
// `limit` for it. When silent, the thread is left waiting; it touches nothing else.
DisplayAnswer askX11Display(const char* name, std::chrono::milliseconds limit);

} // namespace ollendor
