#include <cstdio>
#include <cstring>
#include <new>

#include "app/input_guards.h"
#include "config/model.h"

namespace {

const char kUsage[] =
    "usage: veldax-gen FILE.kvf [-g [FIELDS] | -d [FIELDS] | -l TEXT | -b PICTURE.bmp |\n"
    "                            -y SEQUENCE.yuv [MAX_FIELDS]]\n"
    "\n"
    "Reads the deinterlacer configuration in FILE.kvf and, with a switch, writes\n"
    "stimulus.dat, golden.dat, params.v and veldax_head into the current folder.\n"
    "  (none)     check the configuration only; nothing is written\n"
    "  -g [N]     N random fields (default 3)\n"
    "  -d [N]     N fields of a deterministic ramp (default 3)\n"
    "  -l FILE    one picture from a text file of sample values\n"
    "  -b FILE    one BMP picture; also writes golden.bmp\n"
    "  -y FILE [MAX]  a planar YUV sequence, at most MAX fields; also writes golden.yuv\n"
    "Exit status: 0 success, 1 command line or parameter file, 2 and 3 memory,\n"
    "5 stimulus or golden data, 8 params.v, 9 veldax_head.\n";

// The stages in their fixed order; returns the exit status.
int run_stages(DeinterlacerModel& model, int argc, char** argv) {
    const int32_t parsed = model.parse_command_line(argc, argv);
    if (parsed != 0) return 1;  // 1 and -9: the message is already printed
    check_command_line(argc, argv);

    if (model.read_parameter_file() == 1) {
        std::printf("Failed to parse kvf file\n");
        return 1;
    }

    switch (model.allocate_buffers()) {
    case 0:
        break;
    case 2:
        std::printf("Stimulus memory allocate error\n");
        return 2;
    default:
        std::printf("Golden memory allocate error\n");
        return 3;
    }

    if (model.generate_outputs) {
        if (model.run_generation() != 0) {
            std::printf("Failed to generate stimulus data\n");
            return 5;
        }
        if (model.write_params_file() != 0) {
            std::printf("Failed to generate params file \n");
            return 8;
        }
        if (model.write_define_header() != 0) {
            std::printf("Failed to generate veldax head file \n");
            return 9;
        }
    }

    return 0;
}

}  // namespace

int veldax_main(int argc, char** argv) {
    ignore_broken_pipe();
    if (argc == 2) {
        if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return standard_output_status();
        }
        if (std::strcmp(argv[1], "--version") == 0) {
            std::printf("veldax-gen %s\n", VELDAX_VERSION);
            return standard_output_status();
        }
    }

    DeinterlacerModel* model = new (std::nothrow) DeinterlacerModel;
    if (!model) {
        std::printf("Model memory allocate error\n");
        return 2;
    }
    model->init_defaults();

    const int status = run_stages(*model, argc, argv);
    // Buffers are released on every path, so a failed run leaves no leak
    // behind for the memory checkers.
    model->release_buffers();
    delete model;
    return status;
}
