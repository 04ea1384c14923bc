#include "host/sdl/x11_errors.h"

#include <cstdio>

#include <X11/Xlib.h>

#include "host/run_end.h"

namespace ollendor {

namespace {

int onIoError(Display*)
{
    abandonRun("the connection to the X display was lost");
}

int onProtocolError(Display* display, XErrorEvent* event)
{
    char name[160] = "";
    XGetErrorText(display, event->error_code, name, sizeof name);
    char message[320];
    std::snprintf(message, sizeof message,
                  "the X display refused a request (%s, request %d.%d); a window was probably "
                  "closed from outside",
                  name, int(event->request_code), int(event->minor_code));
    abandonRun(message);
}

} // namespace

void installX11ErrorHandlers()
{
    XSetIOErrorHandler(onIoError);
    XSetErrorHandler(onProtocolError);
}

} // namespace ollendor
