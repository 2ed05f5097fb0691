// Checks sim.dat against golden.dat word by word with veldax_words.vh, as a
// bench checks a DUT's output.
module check;
`include "params.v"
`include "veldax_words.vh"
    integer sim_fd, golden_fd;
    reg [15:0] w;
    reg ok;
    initial begin
        sim_fd = $fopen("sim.dat", "rb");
        golden_fd = $fopen("golden.dat", "rb");
        veldax_read_word(sim_fd, w, ok);
        while (ok) begin
            veldax_check_next(golden_fd, w);
            veldax_read_word(sim_fd, w, ok);
        end
        veldax_report(veldax_total_words(0));
        $finish;
    end
endmodule
