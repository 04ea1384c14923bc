// What happens when the X display goes away under the program.
//
// Xlib reports a lost connection (the X server ended, ssh forwarding dropped, the window
// manager killed our client with `xdotool windowkill`) to its I/O error handler and ends
// the process once the handler returns; a request on a window destroyed from outside
// (`xdotool windowclose`) gives a protocol error whose default handler exits too. Either
// way the process would end inside Xlib, with the sound thread running and the output
// files unfinished. These handlers end the run instead through abandonRun: the sound
// stops, the output files are finished, the reason is printed and the exit code is 1.
// Nothing here touches the display again.
#pragma once

namespace ollendor {

// Installs both handlers. Call before SDL's video starts: SDL then keeps ours as the one
// its own handler passes errors on to.
void installX11ErrorHandlers();

} // namespace ollendor
