// What every program of the project does first, before it opens anything.
#pragma once

namespace fwut::program {

// On POSIX systems: fills a closed standard descriptor (0, 1 or 2) with
// /dev/null, so that no file or serial port opened later can take its
// number and receive what is meant for the console (a service manager or a
// script may start a program with standard output closed); ignores SIGPIPE
// and SIGXFSZ, so that a reader that goes away or a file size limit fails
// the writes instead of ending the program; and unblocks the stop requests a parent may have blocked. A stop
// request that the program was started with ignored (nohup) stays ignored.
// Without /dev/null the program ends at once with exit code 1. On Windows a
// missing standard handle is never reused, and nothing is needed.
void Start();

}  // namespace fwut::program
