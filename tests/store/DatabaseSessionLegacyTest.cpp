// A database written before the program used code page 852 and before the added columns:
// opening converts its text, appends the columns and builds the tags, once.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "store/Catalogue.h"
#include "store/DatabaseSession.h"
#include "store/codepage.h"
#include "support/Command.h"
#include "support/DbfBytes.h"
#include "support/FakeDialogs.h"
#include "support/FakeMessages.h"
#include "support/FakeSessionServices.h"
#include "support/Files.h"
#include "support/TestDir.h"

namespace lorvika {
namespace {

namespace fs = std::filesystem;
using test::readFile;
using test::writeFile;

// The command's output, or a text no expectation matches when it cannot be started.
std::string commandOutput(const std::string& command) {
    const test::CommandRun r = test::runCommand(command);
    return r.started ? r.output : "popen failed";
}

const std::string kUpper = "ÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ";
const std::string kLower = "áčďéěíňóřšťúůýž";

using Field = test::DbfField;

// A dBase III table as old programs wrote it: the given language byte, Windows-1250 text.
void writeTable(const fs::path& path, std::uint8_t languageByte, const std::vector<Field>& fields,
                const std::vector<std::vector<std::string>>& rows) {
    std::vector<test::DbfRecord> records;
    for (const auto& row : rows) {
        test::DbfRecord& r = records.emplace_back();
        for (std::size_t i = 0; i < fields.size(); ++i) {
            const Field& f = fields[i];
            std::string v = i < row.size() ? row[i] : "";
            if (f.type == 'C') {
                v = cp::utf8ToCp1250(v);
                v.resize(f.width, ' ');
            } else {
                v = v.size() < static_cast<std::size_t>(f.width)
                        ? std::string(f.width - v.size(), ' ') + v
                        : v.substr(0, f.width);
            }
            r.values.push_back(v);
        }
    }
    writeFile(path, test::dbfBytes(fields, records, languageByte, 99));
}

// The 23 columns databases were first created with, and the 5 of the tracks.
std::vector<Field> oldAlbumFields() {
    return {
        {"CISLO", 'F', 20, 4}, {"ALBUM", 'C', 50},     {"ARTIST", 'C', 50},   {"ROK", 'F', 20, 4},
        {"DELKA", 'F', 20, 4}, {"VYD_F", 'C', 30},     {"VYD_P", 'C', 30},    {"PSTOP", 'F', 20, 4},
        {"ZEME", 'C', 25},     {"ZANR", 'C', 25},      {"ZPEV", 'C', 50},     {"KYTAR", 'C', 50},
        {"BASA", 'C', 50},     {"BICI", 'C', 50},      {"KLAV", 'C', 50},     {"HOST", 'C', 50},
        {"PUJ_DOKDY", 'D', 8}, {"PUJ_KOLIK", 'N', 10}, {"PUJ_ANONE", 'C', 1}, {"PUJ_KOMU", 'C', 30},
        {"ZMENA", 'D', 8},     {"SN", 'C', 30},        {"TYP", 'C', 25}};
}
std::vector<Field> oldTrackFields() {
    return {{"CD", 'N', 10},
            {"CISLO", 'N', 10},
            {"NAME", 'C', 50},
            {"ARTIST", 'C', 50},
            {"DELKA", 'N', 10}};
}

// What an independent reader sees: column names, then ALBUM, ARTIST, ZANR of the first album and
// NAME of every track, one per line, reading the tables as code page 852.
std::string readWithDbfread(const std::string& dir) {
    const std::string script =
        "import sys, dbfread\n"
        "d = sys.argv[1]\n"
        "a = dbfread.DBF(d + '/cddata.DBF', encoding='cp852', char_decode_errors='strict')\n"
        "t = dbfread.DBF(d + '/cdskladby.DBF', encoding='cp852', char_decode_errors='strict')\n"
        "print(','.join(a.field_names)); print(','.join(t.field_names))\n"
        "r = list(a)[0]; print(r['ALBUM']); print(r['ARTIST']); print(r['ZANR'])\n"
        "for s in t: print(s['NAME'])\n";
    fs::path py = fs::path(dir).parent_path() / "read.py";
    std::ofstream(py) << script;
    return commandOutput("/usr/bin/python3 '" + py.string() + "' '" + dir + "' 2>&1");
}

std::string join(const std::vector<SloupecKatalogu>& cols) {
    std::string s;
    for (const SloupecKatalogu& c : cols) s += (s.empty() ? "" : ",") + c.pole.name;
    return s;
}

using Rows = std::vector<std::vector<std::string>>;

const Rows& albumRows() {
    static const Rows rows = {{"1", "Album " + kUpper, "Interpret " + kLower, "1999", "2400",
                               "Supraphon", "", "2", "Česko", "Rock ěščřžýáíé"},
                              {"2", "Druhé", "Žluťoučký kůň", "0", "100", "", "", "1"}};
    return rows;
}
const Rows& trackRows() {
    static const Rows rows = {{"1", "1", kUpper, "", "1200"},
                              {"1", "2", kLower, "", "1200"},
                              {"2", "1", "Úpěl ďábelské ódy", "", "100"}};
    return rows;
}

std::string pyText(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'' || c == '\\') out += '\\';
        out += c;
    }
    return out + "'";
}

// The same tables written by python3-dbf, as another tool of the time would have left them
// (numbers as N columns, language byte 0xC8). Returns the script's output; empty when it worked.
std::string writeWithPythonDbf(const fs::path& path, const std::vector<Field>& fields,
                               const Rows& rows) {
    std::string spec, data;
    for (const Field& f : fields) {
        if (!spec.empty()) spec += "; ";
        spec += f.name + " ";
        if (f.type == 'C') {
            spec += "C(" + std::to_string(f.width) + ")";
        } else if (f.type == 'D') {
            spec += "D";
        } else {
            spec += "N(" + std::to_string(std::min(f.width, 19)) + "," +
                    std::to_string(f.decimals) + ")";
        }
    }
    for (const auto& row : rows) {
        data += "t.append((";
        for (std::size_t i = 0; i < fields.size(); ++i) {
            std::string v = i < row.size() ? row[i] : "";
            if (fields[i].type == 'C') {
                data += pyText(v);
            } else if (fields[i].type == 'D' || v.empty()) {
                data += "None";
            } else {
                data += v;
            }
            data += ",";
        }
        data += "))\n";
    }
    fs::path py = path.parent_path().parent_path() / (path.stem().string() + "-write.py");
    std::ofstream(py) << "import dbf\n"
                      << "t = dbf.Table(" << pyText(path.string()) << ", " << pyText(spec)
                      << ", codepage='cp1250', dbf_type='db3')\n"
                      << "t.open(dbf.READ_WRITE)\n"
                      << data << "t.close()\n";
    return commandOutput("/usr/bin/python3 '" + py.string() + "' 2>&1");
}

enum class Writer { OwnBytes, PythonDbf };

class LegacyDatabaseTest : public ::testing::TestWithParam<Writer> {};

TEST_P(LegacyDatabaseTest, OpeningConvertsAppendsColumnsAndBuildsTagsOnce) {
    test::TestDir tmp;
    const std::string prog = tmp.sub("prog").string();
    const std::string db = tmp.sub("stara").string();
    if (GetParam() == Writer::OwnBytes) {
        writeTable(fs::path(db) / "cddata.DBF", 0x00, oldAlbumFields(), albumRows());
        writeTable(fs::path(db) / "cdskladby.DBF", 0xC8, oldTrackFields(), trackRows());
    } else {
        ASSERT_EQ("",
                  writeWithPythonDbf(fs::path(db) / "cddata.DBF", oldAlbumFields(), albumRows()));
        ASSERT_EQ(
            "", writeWithPythonDbf(fs::path(db) / "cdskladby.DBF", oldTrackFields(), trackRows()));
    }
    std::vector<std::string> originals;
    for (const char* table : {"cddata.DBF", "cdskladby.DBF"}) {
        originals.push_back(readFile(fs::path(db) / table));
        ASSERT_NE(0x1F, static_cast<unsigned char>(originals.back().at(29)));
    }

    test::FakeMessages msgs;
    test::FakeDialogs dialogs;
    test::FakeStatusLine status;
    test::FakeArchive archive(tmp.path() / "archive");
    SessionPaths paths = SessionPaths::inDirectory(prog);
    {
        DatabaseSession session(paths, msgs, dialogs, status, &archive);
        archive.attach(&session);
        ASSERT_TRUE(session.NactiDB(db, false, false));
        EXPECT_TRUE(msgs.shown().empty());
        ASSERT_TRUE(session.jeOtevrena());
        dbf::Cursor& data = *session.TData();
        ASSERT_EQ(32u, data.fields().size());
        ASSERT_EQ(6u, session.TSkladby()->fields().size());
        for (const dbf::TagDef& t : TagyAlb()) EXPECT_TRUE(data.hasTag(t.name)) << t.name;
        EXPECT_TRUE(session.TSkladby()->hasTag("CD"));
        data.setTag("cislo");
        ASSERT_TRUE(data.findKey(1));
        EXPECT_EQ("Album " + kUpper, data.text("ALBUM"));
        EXPECT_EQ("Interpret " + kLower, data.text("ARTIST"));
        EXPECT_EQ(2400, data.integer("DELKA"));
        EXPECT_EQ(2u, session.pocetCD());
        EXPECT_EQ(3u, session.TSkladby()->recordCount());
    }

    for (const char* table : {"cddata.DBF", "cdskladby.DBF"}) {
        EXPECT_EQ(0x1F, static_cast<unsigned char>(readFile(fs::path(db) / table).at(29))) << table;
    }
    // the originals were kept before anything was converted
    EXPECT_EQ(archive.kept, std::vector<std::string>{"pred-prevodem.zip"});
    EXPECT_EQ(originals[0], readFile(tmp.path() / "archive" / "pred-prevodem.zip" / "cddata.DBF"));
    EXPECT_EQ(originals[1],
              readFile(tmp.path() / "archive" / "pred-prevodem.zip" / "cdskladby.DBF"));
    const std::string expected = join(SloupceAlb()) + "\n" + join(SloupceSkladeb()) + "\n" +
                                 "Album " + kUpper + "\nInterpret " + kLower +
                                 "\nRock ěščřžýáíé\n" + kUpper + "\n" + kLower +
                                 "\nÚpěl ďábelské ódy\n";
    EXPECT_EQ(expected, readWithDbfread(db));

    // a second opening finds nothing to do
    const std::string albums = readFile(fs::path(db) / "cddata.DBF");
    const std::string tracks = readFile(fs::path(db) / "cdskladby.DBF");
    {
        DatabaseSession session(paths, msgs, dialogs, status, &archive);
        archive.attach(&session);
        msgs.expect("Opravdu otevřít databázi v adresáři: " + db + " ?", MsgButton::Yes);
        ASSERT_TRUE(session.NactiDB(db, true, true));
        EXPECT_EQ(32u, session.TData()->fields().size());
        EXPECT_EQ(TagyAlb().size(), session.TData()->tags().size());
    }
    EXPECT_EQ(albums, readFile(fs::path(db) / "cddata.DBF"));
    EXPECT_EQ(tracks, readFile(fs::path(db) / "cdskladby.DBF"));
    EXPECT_EQ(archive.kept.size(), 1u);  // nothing to convert, nothing kept
}

// Without a copy of the originals nothing is converted.
TEST(LegacyDatabase, NoConversionWhenTheOriginalsCannotBeKept) {
    test::TestDir tmp;
    const std::string db = tmp.sub("stara").string();
    writeTable(fs::path(db) / "cddata.DBF", 0x00, oldAlbumFields(), albumRows());
    writeTable(fs::path(db) / "cdskladby.DBF", 0x00, oldTrackFields(), trackRows());
    const std::string albums = readFile(fs::path(db) / "cddata.DBF");
    const std::string tracks = readFile(fs::path(db) / "cdskladby.DBF");

    test::FakeMessages msgs;
    test::FakeDialogs dialogs;
    test::FakeStatusLine status;
    test::FakeArchive archive(tmp.path() / "archive");
    archive.failKeeping = true;
    DatabaseSession session(SessionPaths::inDirectory(tmp.sub("prog").string()), msgs, dialogs,
                            status, &archive);
    archive.attach(&session);
    EXPECT_THROW(session.NactiDB(db, false, false), std::runtime_error);
    EXPECT_FALSE(session.jeOtevrena());
    EXPECT_EQ(albums, readFile(fs::path(db) / "cddata.DBF"));
    EXPECT_EQ(tracks, readFile(fs::path(db) / "cdskladby.DBF"));
    EXPECT_TRUE(archive.backups.empty());
}

INSTANTIATE_TEST_SUITE_P(Writers, LegacyDatabaseTest,
                         ::testing::Values(Writer::OwnBytes, Writer::PythonDbf),
                         [](const auto& info) {
                             return info.param == Writer::OwnBytes ? "OwnBytes" : "PythonDbf";
                         });

}  // namespace
}  // namespace lorvika
