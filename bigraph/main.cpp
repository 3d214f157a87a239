// Entry point of `bigraph`.
#include "Commands.h"

int main(int argc, char** argv) { return bigraph::runBigraph(argc, argv); }
