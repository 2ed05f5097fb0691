#include "app/driver.h"

int main(int argc, char** argv) { return veldax::veldax_main(argc, argv); }
