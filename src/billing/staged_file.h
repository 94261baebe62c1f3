#pragma once
// A file written beside its final name and moved there only when the caller says so, so that a
// command writing several files can make them all appear together, or none of them.

#include "result.h"

#include <string>
#include <string_view>

namespace qm {

class StagedFile {
  public:
    // Writes bytes to a new temporary file in finalPath's folder and syncs it. finalPath itself
    // is not touched.
    static Result<StagedFile> write(const std::string& finalPath, std::string_view bytes);

    StagedFile(StagedFile&& other) noexcept;
    StagedFile& operator=(StagedFile&& other) noexcept;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;
    // Removes the temporary file unless it was committed.
    ~StagedFile();

    const std::string& temporaryPath() const { return temporary_; }
    const std::string& finalPath() const { return final_; }
    bool committed() const { return committed_; }

    // Renames the temporary file to the final name, replacing a file of that name, and syncs
    // the folder.
    Status commit();
    // The same, but a file of the final name that exists by now stays and the commit fails.
    Status commitWithoutReplacing();
    // Removes the temporary file now.
    void discard();

  private:
    StagedFile(std::string temporary, std::string finalPath)
        : temporary_(std::move(temporary)), final_(std::move(finalPath)) {}
    std::string temporary_;
    std::string final_;
    bool committed_ = false;
};

} // namespace qm
