#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/Commands.h"

// The commands of lorvika-db. Each one lives in its own file as
//   int lorvika::cli::runX(const std::vector<std::string>& args, std::ostream& out,
//                          std::ostream& err)
// with args after the command name. A new command is one line here (keep the trailing
// backslash) plus its file: name, function, usage.
#ifdef LORVIKA_CLI_PRINT
// Commands that need Qt Gui, present when Qt is built.
#define LORVIKA_QT_COMMANDS(X)                                                               \
    X("print", runPrint,                                                                     \
      "print ADRESÁŘ --typ 1|2|3 --pdf SOUBOR [--tag JMÉNO] [--velka] [--alespon-jedne] " \
      "[PODMÍNKA ...]")
#else
#define LORVIKA_QT_COMMANDS(X)
#endif
#ifdef LORVIKA_CLI_ONLINE
#define LORVIKA_ONLINE_COMMANDS(X) X("lookup", runLookup, "lookup ZDROJ [--mb URL] [--gnudb URL]")
#else
#define LORVIKA_ONLINE_COMMANDS(X)
#endif
#define LORVIKA_COMMANDS(X)                                           \
    X("create", runCreate, "create ADRESÁŘ")                          \
    X("info", runInfo, "info ADRESÁŘ")                                \
    X("check", runCheck, "check ADRESÁŘ [--repair]")                  \
    X("dump", runDump, "dump ADRESÁŘ cddata|cdskladby [--tag JMÉNO]") \
    X("open", runOpen, "open ADRESÁŘ")                                \
    X("backup", runBackup, "backup ADRESÁŘ")                          \
    X("restore", runRestore, "restore ADRESÁŘ")                       \
    X("pack", runPack, "pack ADRESÁŘ")                                \
    X("disc-id", runDiscId, "disc-id ZDROJ")                          \
    LORVIKA_ONLINE_COMMANDS(X)                                        \
    X("lent", runLent, "lent DIR [--po-terminu] [--dnes D.M.YYYY]")   \
    X("search", runSearch, kSearchUsage)                              \
    LORVIKA_QT_COMMANDS(X)                                            \
    /* end of the command list */

namespace lorvika::cli {

using Args = std::vector<std::string>;
#define LORVIKA_DECLARE_COMMAND(name, function, usage) \
    int function(const Args&, std::ostream&, std::ostream&);
LORVIKA_COMMANDS(LORVIKA_DECLARE_COMMAND)

namespace {

struct Command {
    std::string_view name;
    int (*run)(const Args&, std::ostream&, std::ostream&);
    std::string_view usage;
};

#define LORVIKA_COMMAND_ROW(name, function, usage) Command{name, &function, usage},
constexpr Command kCommands[] = {LORVIKA_COMMANDS(LORVIKA_COMMAND_ROW)};

void printUsage(std::ostream& to) {
    to << "Použití: lorvika-db PŘÍKAZ ...\n";
    for (const auto& c : kCommands) to << "  lorvika-db " << c.usage << '\n';
}

}  // namespace
}  // namespace lorvika::cli

int main(int argc, char** argv) {
    using namespace lorvika::cli;
    const Args all(argv + 1, argv + argc);
    if (all.empty()) {
        printUsage(std::cerr);
        return 2;
    }
    if (all[0] == "--help" || all[0] == "-h" || all[0] == "help") {
        printUsage(std::cout);
        return 0;
    }
    for (const auto& c : kCommands) {
        if (c.name == all[0]) {
            try {
                return c.run(Args(all.begin() + 1, all.end()), std::cout, std::cerr);
            } catch (const std::exception& e) {
                std::cerr << e.what() << '\n';
                return 1;
            }
        }
    }
    std::cerr << "Neznámý příkaz: " << all[0] << '\n';
    printUsage(std::cerr);
    return 2;
}
