// veldax_words.vh: reading and checking the data files of veldax-gen in a
// test bench.  Include it inside the bench module, after the parameters:
//
//     `include "params.v"
//     `include "veldax_words.vh"
//
// stimulus.dat and golden.dat hold 16-bit words, low byte first ($fread into
// a 16-bit reg would swap the bytes, so the words are read with $fgetc).
// Frames, planes, rows and columns count from 0; a 4:2:2 chroma word k of a
// row is column 2k.  Mismatches are printed in the same form as
// "veldax-inspect compare", with the simulation time of the word to find it
// in the waves (in the bench's $timeformat, by default its time precision):
//     frame F (field N, size index S) plane P row R col C: expected 0x.. got 0x.. (time T)
//
// Golden frame sizes follow params.v: FRMWIDTH_k/FRMHEIGHT_k for frame index
// k (indexes from 2 on take entry 2), bounded by MAXFWIDTH/MAXFHEIGHT.  A
// "-d"/"-g" run takes the frame index of its field (with FCONVERT the first
// field gives three golden frames, every later one two).  Define
// VELDAX_FIXED_SIZE for "-y", "-l" and "-b" runs, whose frames all take the
// sizes of frame index 0.  VELDAX_MAX_REPORT (default 10) bounds the
// mismatch lines.
//
// Note: TOTAL_OUTPUT in params.v counts samples, not words: with PARALLEL
// "TRUE" it counts luma only.  veldax_total_words() gives the words of
// golden.dat.
//
// The include is clean under "verilator --lint-only -Wall".
`ifndef VELDAX_MAX_REPORT
`define VELDAX_MAX_REPORT 10
`endif

localparam [0:0] VELDAX_422 = (YCBCR422 == "TRUE");
localparam integer VELDAX_PLANES = VELDAX_422 ? (NUM_PLANE < 3 ? NUM_PLANE : 3) : NUM_PLANE;
localparam integer VELDAX_MAX_FRAME_WORDS = MAXFWIDTH * MAXFHEIGHT * (VELDAX_422 ? 2 : NUM_PLANE);

// One word from fd: ok is 0 when the file ended before both bytes.
// (Verilator does not count a $fgetc argument as a use.)
/* verilator lint_off UNUSEDSIGNAL */
task automatic veldax_read_word(input integer fd, output [15:0] word, output ok);
    integer lo, hi;
    begin
        lo = $fgetc(fd);
        hi = (lo == -1) ? -1 : $fgetc(fd);
        ok = (hi != -1);
        word = {hi[7:0], lo[7:0]};
    end
endtask
/* verilator lint_on UNUSEDSIGNAL */

// Input field a golden frame was built from.
function integer veldax_field_of(input integer frame);
    begin
`ifdef VELDAX_FIXED_SIZE
        veldax_field_of = (FCONVERT == "TRUE") ? frame / 2 : frame;
`else
        veldax_field_of = (FCONVERT != "TRUE") ? frame : (frame < 3 ? 0 : (frame - 1) / 2);
`endif
    end
endfunction

// Frame index whose sizes a golden frame takes.
function integer veldax_size_index(input integer frame);
    begin
`ifdef VELDAX_FIXED_SIZE
        veldax_size_index = 0;
`else
        veldax_size_index = veldax_field_of(frame);
`endif
    end
endfunction

function integer veldax_width(input integer size_index);
    integer v;
    begin
        v = (size_index == 0 ? FRMWIDTH_0 : size_index == 1 ? FRMWIDTH_1 : FRMWIDTH_2) + 1;
        veldax_width = v > MAXFWIDTH ? MAXFWIDTH : (v < 0 ? 0 : v);
    end
endfunction

function integer veldax_height(input integer size_index);
    integer v;
    begin
        v = (size_index == 0 ? FRMHEIGHT_0 : size_index == 1 ? FRMHEIGHT_1 : FRMHEIGHT_2) + 1;
        veldax_height = v > MAXFHEIGHT ? MAXFHEIGHT : (v < 0 ? 0 : v);
    end
endfunction

// Words of one plane of a frame: 4:2:2 chroma planes pack two columns a word.
function integer veldax_plane_words(input integer size_index, input integer plane);
    integer area;
    begin
        area = veldax_width(size_index) * veldax_height(size_index);
        veldax_plane_words = (VELDAX_422 && plane > 0) ? area / 2 : area;
    end
endfunction

function integer veldax_frame_words(input integer size_index);
    integer p, n;
    begin
        n = 0;
        for (p = 0; p < VELDAX_PLANES; p = p + 1) n = n + veldax_plane_words(size_index, p);
        veldax_frame_words = n;
    end
endfunction

// Words of the whole golden.dat: OUTPUT_FRAMES frames.
function integer veldax_total_words(input integer unused);
    integer f, n;
    begin
        n = 0;
        for (f = 0; f < OUTPUT_FRAMES; f = f + 1) n = n + veldax_frame_words(veldax_size_index(f));
        veldax_total_words = n + unused * 0;
    end
endfunction

// Plane, row and column of word `word` of a frame of the given size index.
task automatic veldax_position(input integer size_index, input integer word,
                               output integer plane, output integer row, output integer col);
    integer w, h, n, r;
    begin
        w = veldax_width(size_index);
        h = veldax_height(size_index);
        plane = 0;
        r = word;
        n = veldax_plane_words(size_index, 0);
        while (plane < VELDAX_PLANES - 1 && r >= n) begin
            r = r - n;
            plane = plane + 1;
            n = veldax_plane_words(size_index, plane);
        end
        if (VELDAX_422 && plane > 0) begin
            // Chroma row j starts at word w*j/2.
            row = (2 * r + 1) / w;
            if (row > h - 1) row = h - 1;
            col = 2 * (r - w * row / 2);
        end else begin
            row = r / w;
            col = r % w;
        end
        if (col > w - 1) col = w - 1;
    end
endtask

// One golden frame, read whole into veldax_frame_buf; ok is 0 when the file
// ends inside it.  The buffer and the checker's state below belong to the
// bench and are updated in order by the process that calls the checker
// (often a clocked one): blocking assignments are meant.
/* verilator lint_off BLKSEQ */
reg [15:0] veldax_frame_buf [0:VELDAX_MAX_FRAME_WORDS - 1];

task automatic veldax_read_frame(input integer fd, input integer frame, output ok);
    integer i, n;
    reg [15:0] w;
    reg read_ok;
    begin
        n = veldax_frame_words(veldax_size_index(frame));
        ok = 1;
        for (i = 0; i < n; i = i + 1) begin
            veldax_read_word(fd, w, read_ok);
            if (!read_ok) ok = 0;
            veldax_frame_buf[i] = read_ok ? w : 16'hxxxx;
        end
    end
endtask

// The checker: compares each word the DUT gives, in order, with golden.dat.
integer veldax_frame = 0;     // golden frame of the next word
integer veldax_word = 0;      // word within that frame
integer veldax_checked = 0;   // words compared
integer veldax_errors = 0;    // mismatching words
reg veldax_golden_short = 1'b0;

task automatic veldax_check_next(input integer golden_fd, input [15:0] dut_word);
    integer s, plane, row, col;
    reg ok;
    begin
        s = veldax_size_index(veldax_frame);
        if (veldax_word == 0) begin
            veldax_read_frame(golden_fd, veldax_frame, ok);
            if (!ok && !veldax_golden_short) begin
                $display("golden data ends inside frame %0d", veldax_frame);
                veldax_golden_short = 1'b1;
            end
        end
        if (dut_word !== veldax_frame_buf[veldax_word]) begin
            veldax_errors = veldax_errors + 1;
            if (veldax_errors <= `VELDAX_MAX_REPORT) begin
                veldax_position(s, veldax_word, plane, row, col);
                $display("frame %0d (field %0d, size index %0d) plane %0d row %0d col %0d: expected 0x%h got 0x%h (time %0t)",
                         veldax_frame, veldax_field_of(veldax_frame), s, plane, row, col,
                         veldax_frame_buf[veldax_word], dut_word, $time);
            end
        end
        veldax_checked = veldax_checked + 1;
        veldax_word = veldax_word + 1;
        if (veldax_word >= veldax_frame_words(s)) begin
            veldax_word = 0;
            veldax_frame = veldax_frame + 1;
        end
    end
endtask
/* verilator lint_on BLKSEQ */

// PASS when every golden word was compared and matched, FAIL otherwise.
task automatic veldax_report(input integer expected_words);
    begin
        if (veldax_errors == 0 && veldax_checked == expected_words)
            $display("PASS: %0d words in %0d frames", veldax_checked, veldax_frame);
        else
            $display("FAIL: %0d mismatching words, %0d of %0d words compared",
                     veldax_errors, veldax_checked, expected_words);
    end
endtask
