// Version and build of the program, as the log header and the web commands
// report them.
#pragma once

#define QLC_VERSION_STRING "0.9.8"
#define QLC_BUILD_STRING "20090817"
