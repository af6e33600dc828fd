#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "store/DatabaseSession.h"

// The database session of lorvika-db: the program's own opening, backup, restore and compaction
// without a window. Messages go to the error stream and every question is answered No, so no
// command ever replaces or overwrites anything it was not asked to.
namespace lorvika::cli {

using Args = std::vector<std::string>;

int runOpen(const Args& args, std::ostream& out, std::ostream& err);
int runBackup(const Args& args, std::ostream& out, std::ostream& err);
int runRestore(const Args& args, std::ostream& out, std::ostream& err);
int runPack(const Args& args, std::ostream& out, std::ostream& err);

class StreamMessages : public Messages {
  public:
    explicit StreamMessages(std::ostream& err) : err_(err) {}
    MsgButton show(const std::string& text, MsgKind kind, const MsgButtons& buttons, Sound sound,
                   int helpContext) override;
    int count() const { return count_; }

  private:
    std::ostream& err_;
    int count_ = 0;
};

class NoDialogs : public Dialogs {
  public:
    std::optional<std::string> chooseDirectory(const std::string&, bool) override {
        return std::nullopt;
    }
};

class StreamStatus : public StatusLine {
  public:
    explicit StreamStatus(std::ostream& out) : out_(out) {}
    void stavovyText(const std::string& text) override;
    void pocetCD(int, std::size_t) override {}
    void ukazatel(const std::string& text, int percent) override;
    void ukazatelKonec() override;

  private:
    std::ostream& out_;
    std::string gauge_;
};

// Reopens the session's tables after a backup or restore; a table that cannot be opened stays
// closed, and the command reports it.
void reopenQuietly(DatabaseSession& session);

// The program's files: the program directory as the program finds it, with the engine
// configuration made when it is missing.
SessionPaths programPaths();

}  // namespace lorvika::cli
