#pragma once

namespace pellamar::bench {

// The private argument that turns this executable into the program being started.
inline constexpr const char* kStartupChildArgument = "--startup-child";

// What the program's main() does up to its first shown window, leaving on the first pass of
// the event loop after the window is exposed.
int runStartupChild(int argc, char* argv[]);

// The offscreen platform with a screen of the measured size, for this process and its children.
void useOffscreenScreen();

} // namespace pellamar::bench
