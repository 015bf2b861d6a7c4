/* A C program for the debugger's tests, built with sdcc at build time: it
   prints through the homebrew debug console, loops a hundred times through a
   small function, then ends the headless run with status 5. */

__sfr __at 0xFC sdscControl;
__sfr __at 0xFD sdscData;

volatile unsigned int counter;
unsigned char flag = 3;

static void print(const char *text) {
  while (*text) sdscData = *text++;
}

static int add(int a, int b) {
  int sum = a + b; /* first line of add */
  return sum;
}

void main(void) {
  int x = 5;
  counter = 0; /* the start-up code leaves RAM as it is */
  print("hello from C\n");
  while (counter < 100) {
    x = add(x, 1); /* the loop's first line */
    counter++;     /* the loop's second line */
  }
  print("done\n");
  sdscControl = 0x40; /* the next byte is the run's exit status */
  sdscData = 5;
  for (;;) {
  }
}
