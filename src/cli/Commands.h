#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The catalogue commands of lorvika-db, callable from tests without a process. Exit codes: 0 ok,
// 1 a problem was found, 2 bad usage. args are the arguments after the command name.
namespace lorvika::cli {

using Args = std::vector<std::string>;

inline constexpr int kOk = 0;
inline constexpr int kProblem = 1;
inline constexpr int kUsage = 2;

int runCreate(const Args& args, std::ostream& out, std::ostream& err);
int runInfo(const Args& args, std::ostream& out, std::ostream& err);
int runCheck(const Args& args, std::ostream& out, std::ostream& err);
int runDump(const Args& args, std::ostream& out, std::ostream& err);
int runLent(const Args& args, std::ostream& out, std::ostream& err);
int runSearch(const Args& args, std::ostream& out, std::ostream& err);
// Built with Qt Network only (exit 3: the service could not be asked).
int runLookup(const Args& args, std::ostream& out, std::ostream& err);
inline constexpr std::string_view kSearchUsage =
    "search ADRESÁŘ [--alespon-jedne] [--tag JMÉNO] PODMÍNKA ...";

// Shared by the commands.
int usageError(std::ostream& err, std::string_view usage);
// One CSV field: quoted (with doubled quotes) only when it holds a comma, quote or line end.
void writeCsvField(std::ostream& out, std::string_view value);
// Refuses (message, false) a directory that does not hold a catalogue.
bool requireDatabase(const std::string& directory, std::ostream& err);
// For commands that only look: a change log waiting in directory (or kept there) is told on to,
// since what they show is the tables without it.
void reportChangeLog(const std::string& directory, std::ostream& to);
// What a kill left (a restore cut short, temporary files) is dealt with before a command writes;
// false after the message.
bool finishInterrupted(const std::string& directory, std::ostream& out, std::ostream& err);

}  // namespace lorvika::cli
