#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// New files that replace files of one directory all together. They are written and made durable
// in a folder of their own; a completion mark in that folder then commits the set, and only after
// it the files are moved over their targets. The next opening finishes a committed set or drops
// an uncommitted one, so the directory holds either all old files or all new ones.
namespace lorvika::dbf {

// The folder of a restore from the backup archive.
inline constexpr std::string_view kRestoreFolder = "zaloha.obnova";

class StagedFiles {
  public:
    // Makes directory/folder afresh and durable: while it exists the replacement has not taken
    // place. A committed set still there must be finished first (std::system_error otherwise).
    StagedFiles(std::string directory, std::string_view folder);
    // Without a commit the staged files go; the empty folder stays as the sign of a replacement
    // that did not happen.
    ~StagedFiles();
    StagedFiles(const StagedFiles&) = delete;
    StagedFiles& operator=(const StagedFiles&) = delete;

    // Where to write the new content of target (a path; a symbolic link stays one, the file it
    // names is replaced). The caller writes and closes the file.
    std::string add(const std::string& target);
    // A file that belonged to the old files and goes together with them.
    void removeWith(const std::string& path);
    // Makes the staged files durable, writes the completion mark, moves the files over their
    // targets, removes the listed files and the folder. A failure before the mark leaves every
    // target as it was; after it the rest is finishStaged's. Failures are std::system_error
    // naming the file.
    void commit();
    bool committed() const { return committed_; }

  private:
    std::string directory_;
    std::string folder_;
    std::vector<std::pair<std::string, std::string>> moves_;  // staged name, target
    std::vector<std::string> removals_;
    bool committed_ = false;
};

enum class StagedState { None, Finished, NotDone };

// The opening's first step: a committed set is completed and its folder removed (Finished); an
// uncommitted one loses its staged files and the empty folder stays (NotDone). std::system_error
// when a step fails.
StagedState finishStaged(const std::string& directory, std::string_view folder);
// Whether the sign of a replacement that did not happen is there.
bool stagedNotDone(const std::string& directory, std::string_view folder);
// Removes that sign (the files as they are were backed up anew, or replaced after all).
void clearStaged(const std::string& directory, std::string_view folder);

}  // namespace lorvika::dbf
