#include "config/model.h"

int main(int argc, char** argv) { return veldax_main(argc, argv); }
