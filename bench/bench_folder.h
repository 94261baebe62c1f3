#pragma once
// The data folder of a benchmark run: the largest size to generate and where the generated
// folders live. Takes its own options out of argv before the benchmark library sees them:
//   --max_orders=N   sizes above N are skipped
//   --data_dir=DIR   generate into DIR and keep it (an existing size is reused)
//   --keep_data      keep the temporary folder and say where it is

#include "files.h"
#include "generator.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdlib.h>
#include <string>
#include <system_error>

namespace qm::bench {

class BenchFolder {
  public:
    // Empty root() when no temporary folder could be made.
    BenchFolder(int& argc, char** argv, size_t largestSize, const char* name)
        : maxOrders_(largestSize) {
        int kept = 1;
        for (int i = 1; i < argc; ++i) {
            if (std::strncmp(argv[i], "--max_orders=", 13) == 0) {
                maxOrders_ = std::strtoull(argv[i] + 13, nullptr, 10);
            } else if (std::strncmp(argv[i], "--data_dir=", 11) == 0) {
                root_ = argv[i] + 11;
                if (!root_.ends_with('/'))
                    root_ += '/';
                keep_ = true;
            } else if (std::strcmp(argv[i], "--keep_data") == 0) {
                keep_ = true;
            } else {
                argv[kept++] = argv[i];
            }
        }
        argc = kept;
        if (root_.empty()) {
            std::string pattern =
                (std::filesystem::temp_directory_path() / (std::string("qm-") + name + "-XXXXXX"))
                    .string();
            if (::mkdtemp(pattern.data()))
                root_ = pattern + "/";
        }
    }
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;
    ~BenchFolder() {
        if (root_.empty())
            return;
        if (keep_) {
            std::fprintf(stderr, "data kept in %s\n", root_.c_str());
            return;
        }
        std::error_code ignored;
        std::filesystem::remove_all(root_, ignored);
    }

    const std::string& root() const { return root_; }
    bool wanted(size_t orders) const { return orders <= maxOrders_; }

  private:
    size_t maxOrders_;
    std::string root_;
    bool keep_ = false;
};

// Generates `folder` (ending in "/") unless an earlier run with --data_dir completed it: a stamp
// beside the folder says so. False after saying what failed.
inline bool generateOnce(const std::string& folder, const GeneratorOptions& options,
                         const char* program) {
    const std::string stamp = folder.substr(0, folder.size() - 1) + ".ready";
    if (fileExists(stamp))
        return true;
    std::fprintf(stderr, "generating %zu pending, %zu completed, %zu archived orders ...\n",
                 options.pending, options.completed, options.archived);
    if (Status s = generateDataFolder(folder, options); !s) {
        std::fprintf(stderr, "%s: %s\n", program, s.error().describe().c_str());
        return false;
    }
    return static_cast<bool>(writeWholeFile(stamp, ""));
}

} // namespace qm::bench
