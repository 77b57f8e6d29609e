// Ironbell's entry point.
#include "host/shell.h"

int main(int argc, char** argv) { return host_main(argc, argv); }
