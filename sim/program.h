// What `rigosim run` checks before it starts a program: that it exists, and that the
// dynamic loader will put the preload library into it.
#pragma once

#include <string>

// The file execvp would run for a name: one with a slash as it is, any other looked up
// along PATH. Empty when there is none.
std::string FindProgram(const std::string& name);

// Why the preload library would not be loaded into the program at path, so that its device
// accesses would reach the machine's own devices (statically linked, set-user-ID or
// set-group-ID, file capabilities; for a script, the same of its interpreter). Empty
// when the library would be loaded.
std::string WhyNotIntercepted(const std::string& path);
