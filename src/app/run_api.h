/* The generator in process: a run opened from a parameter file, a switch and
 * its inputs, stepped one input field at a time.  Each step gives the field's
 * stimulus and its golden frames in memory, word for word what veldax-gen
 * writes into "stimulus.dat" and "golden.dat", with where every plane lies.
 * Nothing is written to any file.
 *
 * Plain C at this edge (an opaque handle, pointers, sizes and status codes)
 * so that C programs, a DPI-C scoreboard of a SystemVerilog bench and other
 * languages can wrap it.  One run at a time per process: the generator's
 * reporting and kernel selection are process-wide. */
#ifndef VELDAX_RUN_API_H
#define VELDAX_RUN_API_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct veldax_run veldax_run;

/* Status codes of veldax_run_next_field. */
#define VELDAX_RUN_FIELD 0  /* a field was generated */
#define VELDAX_RUN_END 1    /* the run has no field left */
#define VELDAX_RUN_ERROR -1 /* the run failed; the reason is in the error text */

#define VELDAX_RUN_MAX_PLANES 3
#define VELDAX_RUN_MAX_FRAMES 3 /* golden frames one input field can give */

/* One plane of a frame or field record: its stored area, and where its words
 * start within the record.  A packed plane (4:2:2 chroma) holds the even
 * columns, word floor(width*row/2) + floor(col/2). */
typedef struct veldax_plane {
    int32_t width;
    int32_t height;
    int32_t packed;
    int64_t word_offset;
    int64_t words;
} veldax_plane;

/* One golden frame: its number in "golden.dat", the input field it comes
 * from, the index of its size, the parity asked for and the parity of the
 * rows kept unchanged, its words (host order) and planes. */
typedef struct veldax_frame {
    int64_t index;
    int32_t field;
    int32_t model_frame; /* frame number the interpolation was given */
    int32_t size_index;
    int32_t parity;
    int32_t kept_parity;
    int64_t byte_offset; /* where it starts in "golden.dat" */
    const uint16_t* words;
    size_t word_count;
    int32_t plane_count;
    veldax_plane planes[VELDAX_RUN_MAX_PLANES];
} veldax_frame;

/* One input field: its stimulus record (as "stimulus.dat" holds it: the file
 * bytes, and the values as words; a text run stores lines of hexadecimal
 * digits) and the golden frames it gives. */
typedef struct veldax_field {
    int32_t field;
    const uint8_t* stimulus_bytes;
    size_t stimulus_byte_count;
    const uint16_t* stimulus_words;
    size_t stimulus_word_count;
    int32_t frame_count;
    veldax_frame frames[VELDAX_RUN_MAX_FRAMES];
} veldax_field;

/* Opens a run as "veldax-gen KVF WORDS..." would generate it: reads the
 * parameter file, checks the inputs and allocates the model.  Returns null
 * and writes one line into error (when given) on failure. */
veldax_run* veldax_run_open(const char* kvf, int argc, const char* const* switch_words,
                            char* error, size_t error_size);

/* Input fields and golden frames the whole run gives; golden words in all. */
int32_t veldax_run_fields(const veldax_run* run);
int64_t veldax_run_frames(const veldax_run* run);
int64_t veldax_run_golden_words(const veldax_run* run);

/* Whether the steps hand out the stimulus (the default).  After
 * veldax_run_hand_out_stimulus(run, 0), before the first step, each field
 * gives its golden frames only (stimulus pointers null, counts 0), and the
 * run holds no copy of a stimulus record.  Returns 0 once a step was taken. */
int veldax_run_hand_out_stimulus(veldax_run* run, int hand_out);

/* Generates the next input field.  *out stays valid until the next call or
 * veldax_run_close. */
int veldax_run_next_field(veldax_run* run, const veldax_field** out, char* error,
                          size_t error_size);

void veldax_run_close(veldax_run* run);

#ifdef __cplusplus
}
#endif

#endif
