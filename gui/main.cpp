// The entry of velorin, the graphical program; its arguments arrive as UTF-8 bytes.
#include "Program.h"

int main(int argc, char** argv) { return velorin::velorinMain(argc, argv); }
