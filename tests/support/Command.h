#pragma once

#include <array>
#include <cstdio>
#include <string>

namespace lorvika::test {

struct CommandRun {
    bool started = false;  // false: the shell could not be started
    int status = -1;       // as pclose reports it
    std::string output;    // what the command wrote to its standard output
};

// Runs the command through the shell and collects its standard output.
inline CommandRun runCommand(const std::string& command) {
    CommandRun r;
    FILE* pipe = ::popen(command.c_str(), "r");
    if (!pipe) return r;
    r.started = true;
    std::array<char, 4096> buf{};
    std::size_t n = 0;
    while ((n = std::fread(buf.data(), 1, buf.size(), pipe)) > 0) r.output.append(buf.data(), n);
    r.status = ::pclose(pipe);
    return r;
}

}  // namespace lorvika::test
