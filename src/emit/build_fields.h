// The configuration as the build files report it: one table of the fields
// that "params.v" and "veldax_head" print, in file order, with the value of
// each taken from the record.  Both writers walk it; a field that appears in
// both files is one row.
#pragma once

#include <cstdint>

namespace veldax {

struct DeinterlacerModel;

enum class BuildFile {
    both,        // "params.v" and "veldax_head"
    params,      // "params.v" only
    header,      // "veldax_head" only
    simulation,  // "params.v", after its "only for simulation" line
};

// A number, or a word written in double quotes.
struct BuildValue {
    int64_t number = 0;
    const char* word = nullptr;
};

struct BuildField {
    const char* name;  // "NUM_PLANE": "parameter NUM_PLANE" and "VELDAX_NUM_PLANE"
    BuildFile file;
    BuildValue (*value)(const DeinterlacerModel& m);
};

extern const BuildField kBuildFields[];
extern const int32_t kBuildFieldCount;

// Whether a row belongs in each file.
constexpr bool in_params(BuildFile f) { return f != BuildFile::header; }
constexpr bool in_header(BuildFile f) { return f == BuildFile::both || f == BuildFile::header; }

// The words the files use for flags and memory kinds.
inline const char* flag_word(int32_t flag) { return flag != 0 ? "TRUE" : "FALSE"; }

}  // namespace veldax
