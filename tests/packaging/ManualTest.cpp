// The manual page and the bash completion of lorvika-db against the program's own usage text,
// so that a new command or option cannot be left out of either.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <regex>
#include <set>
#include <sstream>

#include "search/Hledani.h"
#include "store/Catalogue.h"

namespace lorvika {
namespace {

std::string read(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    EXPECT_TRUE(in) << path;
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) out.push_back(l);
    return out;
}

// The usage lines of lorvika-db --help without the program name: "create ADRESÁŘ", ...
std::vector<std::string> usage() {
    const std::unique_ptr<FILE, int (*)(FILE*)> p(popen(LORVIKA_DB_PROGRAM " --help", "r"), pclose);
    std::string text;
    std::array<char, 4096> buf;
    for (std::size_t n; p && (n = std::fread(buf.data(), 1, buf.size(), p.get())) > 0;)
        text.append(buf.data(), n);
    std::vector<std::string> out;
    for (const std::string& l : lines(text))
        if (l.starts_with("  lorvika-db ")) out.push_back(l.substr(13));
    return out;
}

// Roff without font changes and with plain hyphens, as man shows it.
std::string plain(std::string s) {
    s = std::regex_replace(s, std::regex(R"(\\f[BIRP])"), "");
    return std::regex_replace(s, std::regex(R"(\\-)"), "-");
}

std::string commandOf(const std::string& usageLine) {
    return usageLine.substr(0, usageLine.find(' '));
}

std::set<std::string> optionsOf(const std::string& usageLine) {
    std::set<std::string> out;
    static const std::regex option("--[a-z-]+");
    for (std::sregex_iterator i(usageLine.begin(), usageLine.end(), option), e; i != e; ++i)
        out.insert(i->str());
    return out;
}

struct Page {
    std::vector<std::string> synopsis;               // without "lorvika-db "
    std::map<std::string, std::string> subsections;  // command -> its text
    std::string conditions;                          // the section on search conditions
};

Page parse(const std::string& roff) {
    Page page;
    std::string section, subsection;
    bool fill = true;
    for (const std::string& raw : lines(roff)) {
        const std::string l = plain(raw);
        if (l.starts_with(".SH ")) {
            section = l.substr(4);
            subsection.clear();
        } else if (l.starts_with(".SS ")) {
            subsection = l.substr(4);
            page.subsections[subsection];
        } else if (l == ".nf" || l == ".fi") {
            fill = l == ".fi";
        } else if (section == "POUŽITÍ" && !fill) {
            EXPECT_TRUE(l.starts_with("lorvika-db ")) << l;
            page.synopsis.push_back(l.substr(std::min<std::size_t>(l.size(), 11)));
        } else if (!subsection.empty()) {
            page.subsections[subsection] += l + '\n';
        } else if (section == "PODMÍNKY") {
            page.conditions += l + '\n';
        }
    }
    return page;
}

TEST(Manual, SynopsisIsTheUsageTextAndEveryCommandAndOptionIsDescribed) {
    const std::vector<std::string> u = usage();
    ASSERT_GE(u.size(), 10u) << "lorvika-db --help";
    const Page page = parse(read(LORVIKA_SOURCE_DIR "/packaging/man/lorvika-db.1"));
    EXPECT_EQ(page.synopsis, u) << "packaging/man/lorvika-db.1, POUŽITÍ";
    std::set<std::string> commands;
    for (const std::string& line : u) {
        const std::string c = commandOf(line);
        commands.insert(c);
        const auto s = page.subsections.find(c);
        ASSERT_NE(s, page.subsections.end()) << "no .SS " << c;
        for (const std::string& o : optionsOf(line))
            EXPECT_NE(s->second.find(o), std::string::npos) << c << ' ' << o;
    }
    for (const auto& [name, text] : page.subsections)
        EXPECT_TRUE(commands.count(name)) << ".SS " << name << " is no command";
    for (const PopisRadku& r : RadkyDotazu())
        EXPECT_NE(page.conditions.find(std::string(r.jmeno)), std::string::npos) << r.jmeno;
}

// The words of the completion's variable NAME="..." (over several lines).
std::set<std::string> words(const std::string& script, const std::string& name) {
    const std::size_t start = script.find(name + "=\"");
    EXPECT_NE(start, std::string::npos) << name;
    if (start == std::string::npos) return {};
    const std::size_t from = start + name.size() + 2;
    std::istringstream in(script.substr(from, script.find('"', from) - from));
    std::set<std::string> out;
    for (std::string w; in >> w;) out.insert(w);
    return out;
}

TEST(Manual, CompletionKnowsEveryCommandOptionConditionAndTag) {
    const std::string script = read(LORVIKA_SOURCE_DIR "/packaging/completion/lorvika-db");
    std::set<std::string> commands;
    for (const std::string& line : usage()) {
        const std::string c = commandOf(line);
        commands.insert(c);
        const std::set<std::string> options = optionsOf(line);
        if (options.empty()) continue;
        // The command's line in the case statement: "        dump) options="--tag" ;;"
        const std::regex row("\\n\\s*" + c + "\\) options=\"([^\"]*)\"");
        std::smatch m;
        ASSERT_TRUE(std::regex_search(script, m, row)) << c;
        for (const std::string& o : options)
            EXPECT_NE(m[1].str().find(o), std::string::npos) << c << ' ' << o;
    }
    EXPECT_EQ(words(script, "local commands"), commands);

    std::set<std::string> conditions;
    for (const PopisRadku& r : RadkyDotazu()) conditions.insert(std::string(r.jmeno) + "=");
    EXPECT_EQ(words(script, "local conditions"), conditions);
    for (const auto& [variable, tags] : {std::pair{"local album_tags", &TagyAlb()},
                                         std::pair{"local track_tags", &TagySkladeb()}}) {
        std::set<std::string> names;
        for (const auto& t : *tags) names.insert(t.name);
        EXPECT_EQ(words(script, variable), names) << variable;
    }
}

}  // namespace
}  // namespace lorvika
