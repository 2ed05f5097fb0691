// Device families of the core: the part code or family name given after
// "Family=" in a parameter file selects the family code written to the
// build files.
#pragma once

#include <cstdint>
#include <string_view>

namespace veldax {

struct FamilyRow {
    const char* part_code;
    const char* family_name;
    const char* code;
};

// The rows in test order: a longer code or name comes before every shorter
// one it contains, so each row is reachable by its own code and name.
extern const FamilyRow kFamilyRows[];

// Code used when no row matches (and when the file has no "Family=" line).
inline constexpr const char* kFallbackFamily = "KAP2";

// Code of the first row whose part code or family name occurs anywhere in
// text (case-sensitive); the fallback when none does.
const char* family_code_for(std::string_view text);

}  // namespace veldax
