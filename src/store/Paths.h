#pragma once

#include <string>

// Where the program keeps its settings, work tables and the engine configuration.
namespace lorvika {

// LORVIKA_HOME when set; else the executable's directory when it is writable and the program
// is not installed; else $XDG_DATA_HOME/lorvika (~/.local/share/lorvika). Created when missing.
// No trailing separator.
std::string programDirectory();
// Whether the running program is an installed one: its desktop entry lies in share/applications
// beside the bin folder that holds it. A copy run from its own folder is not.
bool isInstalledProgram();
// programDirectory() + "/lorvika.ini"
std::string programIniPath();
// programDirectory() + "/lorvika-engine.ini": the engine defaults (language driver, level).
std::string engineConfigPath();

// The choice programDirectory() makes, from what it found; nothing is created.
struct DirectoryFacts {
    std::string lorvikaHome;    // LORVIKA_HOME
    std::string executableDir;  // empty when unknown
    bool executableDirWritable = false;
    // An installed program never writes beside itself, even when it could (as root).
    bool installed = false;
    std::string xdgDataHome;
    std::string home;
};
std::string chooseProgramDirectory(const DirectoryFacts& facts);

}  // namespace lorvika
