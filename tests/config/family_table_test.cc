#include <gtest/gtest.h>

#include <string>

#include "config/family_table.h"

namespace {

// The matching itself, by hand: each row's code and name, embedded in other
// text, and the names that contain a shorter row's name.
TEST(FamilyTable, CodesNamesAndFallback) {
    const struct {
        const char* text;
        const char* code;
    } cases[] = {
        {"tk7a00s", "KAP2"},      {"quorvixkap2s", "KAP2"},  {"tk7m00s", "KAP2M"},
        {"quorvixkap2ms", "KAP2M"}, {"tk7m00", "KAP2M"},     {"quorvixkap2m", "KAP2M"},
        {"tk7a00", "KAP2"},       {"quorvixkap2", "KAP2"},   {"tk7c00", "KAP3"},
        {"quorvixkap3", "KAP3"},  {"tk7d00", "KAP4"},        {"quorvixkap4", "KAP4"},
        {"tk7g00p", "KAP"},       {"quorvixkap", "KAP"},     {"tk7g00", "KA"},
        {"quorvixka", "KA"},      {"wn7rum00", "RUM"},       {"quorvixrum", "RUM"},
        {"wn7r00", "RU"},         {"quorvixru", "RU"},       {"hv7a00", "ZO2"},
        {"quorvixzo2", "ZO2"},    {"hv7g00", "ZO"},          {"quorvixzo", "ZO"},
        {"LFX quorvixzo board\n", "ZO"}, {"", "KAP2"},       {"quorvix", "KAP2"},
        {"TK7D00", "KAP2"},
    };
    for (const auto& c : cases) EXPECT_STREQ(family_code_for(c.text), c.code) << c.text;
    EXPECT_EQ(kFamilyRowCount, 12);
}

}  // namespace
