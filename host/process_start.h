// What the process sets up before anything else, so that the platform it was started on
// cannot turn into lost or corrupted output.
#pragma once

namespace ollendor {

// Makes sure descriptors 0, 1 and 2 are open, opening /dev/null on any that is closed.
// Started with standard error closed (2>&-), the first file the program opened would
// otherwise get descriptor 2 and every later message would be written into it. Call first
// thing in main, before anything opens a file.
void openStandardDescriptors();

// Whether descriptor 0, 1 or 2 was closed when the program started (and so now writes to
// /dev/null): output asked for there (--help) cannot be given.
bool standardDescriptorWasClosed(int descriptor);

// SIGPIPE is ignored: a message written to a pipe whose reader has gone (| head -1) is a
// failed write, not the end of the run with its output files unfinished.
void ignoreBrokenPipes();

} // namespace ollendor
