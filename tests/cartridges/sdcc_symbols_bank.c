// A routine in a banked area (bank 2 of the linker's view), for the banked
// addresses of the sdcc symbol files.
unsigned char bonus(unsigned char x) { return x + 1; }
