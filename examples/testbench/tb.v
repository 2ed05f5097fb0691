// Example bench: stimulus.dat through the DUT, its output checked word by
// word against golden.dat.  Prints PASS, or each wrong word's frame, plane,
// row and column.  The DUT's output is also written to dut_out.hex (one hex
// word a line) for "veldax-inspect compare --sim dut_out.hex".
//
// Plant a fault with -DVELDAX_FAULT_WORD=N (and -DVELDAX_FAULT_BIT=B).
`timescale 1ns / 1ps
`ifndef VELDAX_FAULT_WORD
`define VELDAX_FAULT_WORD -1
`endif
`ifndef VELDAX_FAULT_BIT
`define VELDAX_FAULT_BIT 0
`endif

module veldax_tb;
`include "params.v"
`include "veldax_words.vh"

    reg clk = 1'b0;
    always #5 clk = ~clk;

    reg [15:0] din = 16'd0;
    reg vin = 1'b0;
    wire [15:0] dout;
    wire vout;

    veldax_passthrough #(.FAULT_WORD(`VELDAX_FAULT_WORD), .FAULT_BIT(`VELDAX_FAULT_BIT)) dut (
        .clk(clk), .din(din), .vin(vin), .dout(dout), .vout(vout));

    integer stimulus_fd, golden_fd, dump_fd, total;
    reg [15:0] word;
    reg ok;

    // Output side: every valid DUT word goes to the dump and the checker.
    always @(posedge clk) begin
        if (vout) begin
            $fdisplay(dump_fd, "%h", dout);
            veldax_check_next(golden_fd, dout);
        end
    end

    initial begin
        $timeformat(-9, 0, " ns", 0);  // mismatch times in ns, as the waves show them
        stimulus_fd = $fopen("stimulus.dat", "rb");
        golden_fd = $fopen("golden.dat", "rb");
        dump_fd = $fopen("dut_out.hex", "w");
        if (stimulus_fd == 0 || golden_fd == 0 || dump_fd == 0) begin
            $display("FAIL: cannot open stimulus.dat, golden.dat or dut_out.hex");
            $finish;
        end
        total = veldax_total_words(0);
        // Input side: one stimulus word a clock.  With weave and no field
        // conversion the golden words are the stimulus words.
        veldax_read_word(stimulus_fd, word, ok);
        while (ok) begin
            @(negedge clk);
            din = word;
            vin = 1'b1;
            veldax_read_word(stimulus_fd, word, ok);
        end
        @(negedge clk);
        vin = 1'b0;
        repeat (3) @(posedge clk);
        veldax_report(total);
        $fclose(dump_fd);
        $finish;
    end
endmodule
