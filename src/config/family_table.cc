#include "config/family_table.h"

namespace veldax {

const FamilyRow kFamilyRows[] = {
    {"tk7a00s", "quorvixkap2s", "KAP2"},
    {"tk7m00s", "quorvixkap2ms", "KAP2M"},
    {"tk7m00", "quorvixkap2m", "KAP2M"},
    {"tk7a00", "quorvixkap2", "KAP2"},
    {"tk7c00", "quorvixkap3", "KAP3"},
    {"tk7d00", "quorvixkap4", "KAP4"},
    {"tk7g00p", "quorvixkap", "KAP"},
    {"tk7g00", "quorvixka", "KA"},
    {"wn7rum00", "quorvixrum", "RUM"},
    {"wn7r00", "quorvixru", "RU"},
    {"hv7a00", "quorvixzo2", "ZO2"},
    {"hv7g00", "quorvixzo", "ZO"},
};


const char* family_code_for(std::string_view text) {
    for (const FamilyRow& row : kFamilyRows) {
        if (text.find(row.part_code) != std::string_view::npos ||
            text.find(row.family_name) != std::string_view::npos)
            return row.code;
    }
    return kFallbackFamily;
}

}  // namespace veldax
