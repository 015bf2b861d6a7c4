// A small C program whose linker leaves the symbol files (.noi, .map) the
// debugger's tests read: a function, a variable in RAM, and main.
unsigned char score;
void tick(void) { score++; }
int main(void) { for (;;) tick(); }
