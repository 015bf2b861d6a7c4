#pragma once

#include <cstdint>

// The application's two run flags, one instance each for the process.
// cartridgeLoaded: an image was loaded successfully at least once; the machine
// only maps cartridge pages on reset once it is set.
// running: the idle loop may run the console. Both are set together by a
// successful load and never cleared.
extern std::int32_t cartridgeLoaded;
extern std::int32_t running;
