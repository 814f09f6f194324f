// pagewell: the desktop program.
#include "uAppStart.h"

int main(int argc, char** argv) { return RunPagewell(argc, argv); }
