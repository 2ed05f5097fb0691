#include "support/test_support.h"

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "model/kernel_table.h"

namespace veldax_test {

namespace fs = std::filesystem;

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "veldax-test-XXXXXX").string();
    if (!mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::remove_all(path_, ec);
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path);
}

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return {};
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool file_exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::symlink_status(path, ec));
}

std::vector<std::string> list_dir(const std::string& path) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

namespace {

std::string quote(const std::string& s) {
    std::string q = "'";
    for (char c : s) {
        if (c == '\'')
            q += "'\\''";
        else
            q += c;
    }
    return q + "'";
}

}  // namespace

RunResult run_veldax(const std::string& dir, const std::vector<std::string>& args) {
    // The output goes to a file outside dir so that dir holds only what the
    // program wrote.
    TempDir capture;
    const std::string out_path = capture.file("output");
    std::string cmd = "cd " + quote(dir) + " && " + quote(VELDAX_BINARY);
    for (const auto& a : args) {
        cmd.push_back(' ');
        cmd.append(quote(a));
    }
    cmd.append(" >");
    cmd.append(quote(out_path));
    cmd.append(" 2>&1 </dev/null");
    const int raw = std::system(cmd.c_str());
    RunResult result;
    if (raw != -1 && WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
    result.output = read_file(out_path);
    return result;
}

namespace {

// `program` is already quoted.
ShellRun run_in_shell(const std::string& program, const std::string& dir,
                      const std::vector<std::string>& args, const std::string& prefix,
                      const std::string& suffix) {
    TempDir capture;
    std::string cmd = "cd " + quote(dir) + " && exec </dev/null; " + prefix + program;
    for (const auto& a : args) {
        cmd.push_back(' ');
        cmd.append(quote(a));
    }
    cmd += " >" + quote(capture.file("out")) + " 2>" + quote(capture.file("err")) + " " + suffix;
    const int raw = std::system(cmd.c_str());
    ShellRun result;
    if (raw != -1 && WIFEXITED(raw)) result.status = WEXITSTATUS(raw);
    result.out = read_file(capture.file("out"));
    result.err = read_file(capture.file("err"));
    return result;
}

}  // namespace

ShellRun run_veldax_shell(const std::string& dir, const std::vector<std::string>& args,
                          const std::string& prefix, const std::string& suffix) {
    return run_in_shell(quote(VELDAX_BINARY), dir, args, prefix, suffix);
}

std::vector<std::string> usable_kernel_variants() {
    int32_t count = 0;
    const veldax::KernelVariant* variants = veldax::kernel_variants(&count);
    std::vector<std::string> names;
    for (int32_t v = 0; v < count; ++v)
        if (variants[v].usable()) names.push_back(variants[v].table->name);
    return names;
}

ShellRun run_variant_shell(const std::string& variant, const std::string& dir,
                           const std::vector<std::string>& args) {
    return run_in_shell(quote(VELDAX_VARIANT_BINARY) + " " + quote(variant), dir, args, "", "");
}

std::string source_path(const std::string& relative) {
    return std::string(VELDAX_SOURCE_DIR) + "/" + relative;
}

}  // namespace veldax_test
