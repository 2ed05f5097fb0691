// Program entry of veldax-gen.
#pragma once

namespace veldax {

// Runs the stages in their fixed order; returns the exit status.
int veldax_main(int argc, char** argv);

}  // namespace veldax
