// A model built by hand with the defaults and family KAP2, and a guard that
// makes a scratch folder the current directory for the writers.
#pragma once

#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "config/model.h"
#include "support/test_support.h"

namespace emit_test {

class InFolder {
public:
    explicit InFolder(const std::string& path) {
        char buf[4096];
        if (getcwd(buf, sizeof buf)) previous_ = buf;
        EXPECT_EQ(chdir(path.c_str()), 0);
    }
    ~InFolder() {
        if (!previous_.empty() && chdir(previous_.c_str()) != 0) ADD_FAILURE() << "chdir back";
    }
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

private:
    std::string previous_;
};

inline void defaults(DeinterlacerModel& m) {
    m.init_defaults();
    m.family = "KAP2";
}

// The lines of a text, each without its newline; a text that does not end
// in a newline gives a last line marked with "<no newline>".
inline std::vector<std::string> lines_of(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            lines.push_back(text.substr(start) + "<no newline>");
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

}  // namespace emit_test
