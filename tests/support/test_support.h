// Helpers shared by the tests: a scratch folder, whole-file reading and
// writing, and running the built program in a folder.
#pragma once

// VELDAX_TEST_ASAN: built under AddressSanitizer (gcc names it, clang 14
// only answers __has_feature), where runs under an address-space limit
// cannot start.
#if defined(__SANITIZE_ADDRESS__)
#define VELDAX_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VELDAX_TEST_ASAN 1
#endif
#endif

#include <string>
#include <vector>

namespace veldax_test {

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void write_file(const std::string& path, const std::string& bytes);
std::string read_file(const std::string& path);  // empty when missing
bool file_exists(const std::string& path);
// Names of the entries of a folder, sorted.
std::vector<std::string> list_dir(const std::string& path);

struct RunResult {
    int status = -1;     // exit status; -1 when the program did not exit normally
    std::string output;  // standard output and standard error together
};

// Runs the built veldax-gen with args inside dir.
RunResult run_veldax(const std::string& dir, const std::vector<std::string>& args);

struct ShellRun {
    int status = -1;  // exit status; -1 when the program did not exit normally
    std::string out, err;
};

// Runs `prefix veldax-gen args... >out 2>err suffix` in a shell inside dir,
// standard input /dev/null unless prefix pipes into the program; suffix may
// redirect the output again (then out or err stays empty).
ShellRun run_veldax_shell(const std::string& dir, const std::vector<std::string>& args,
                          const std::string& prefix = "", const std::string& suffix = "");

// Names of the row kernel variants this processor runs, the plain one first.
std::vector<std::string> usable_kernel_variants();

// run_veldax_shell through veldax-gen-variant: the same run with the row
// kernels of `variant` forced.
ShellRun run_variant_shell(const std::string& variant, const std::string& dir,
                           const std::vector<std::string>& args);

// Path of a file in the source tree (for examples/).
std::string source_path(const std::string& relative);

}  // namespace veldax_test
