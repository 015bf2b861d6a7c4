#pragma once

#include <cstddef>

// The built-in demo cartridge, assembled from demo/*.asm at build time:
// a 32 KB Master System image, header included.
const unsigned char* DemoCartridgeData();
std::size_t DemoCartridgeSize();
// Its symbol table as pasmo writes it (name EQU value lines).
const char* DemoSymbols();
