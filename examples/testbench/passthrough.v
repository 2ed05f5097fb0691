// A pass-through "core": every input word comes out one clock later.  Built
// with FAULT_WORD >= 0 it flips bit FAULT_BIT of that word (counted from 0),
// a planted fault that the bench must find.
module veldax_passthrough #(parameter integer FAULT_WORD = -1, parameter integer FAULT_BIT = 0) (
    input clk,
    input [15:0] din,
    input vin,
    output reg [15:0] dout,
    output reg vout
);
    integer count = 0;
    initial begin
        dout = 16'd0;
        vout = 1'b0;
    end
    always @(posedge clk) begin
        vout <= vin;
        if (vin) begin
            dout <= (count == FAULT_WORD) ? din ^ (16'd1 << FAULT_BIT) : din;
            count <= count + 1;
        end
    end
endmodule
