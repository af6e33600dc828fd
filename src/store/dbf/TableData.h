#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "FileSystem.h"
#include "OrderedIndex.h"
#include "Types.h"

namespace lorvika::dbf {

inline constexpr std::uint8_t kLanguageCp852 = 0x1F;
inline constexpr std::uint8_t kLanguageCp1250 = 0xC8;
inline constexpr std::uint8_t kLanguageCp852Other = 0x64;

// One tag: its definition, how its key is taken from a record, and its ordered entries.
struct Tag {
    enum class Kind { Text, Number, Date };
    TagDef def;
    Kind kind = Kind::Text;
    std::vector<int> columns;  // one column, or the parts of an expression
    OrderedIndex index;
    bool alive = true;  // false once deleted or replaced; cursors then look the name up again
};

// What a header says, checked against the file's size.
struct Layout {
    std::uint8_t version = 0x03;
    std::uint8_t language = kLanguageCp852;
    std::uint32_t count = 0;
    std::uint16_t headerLength = 0;
    std::uint16_t recordLength = 0;
    std::uint8_t date[3] = {0, 0, 0};
    std::vector<FieldDef> fields;
    std::vector<std::uint32_t> offsets;  // of each field within a record
};

// Parses a .DBF header; throws EngineError naming fileName on anything it cannot trust.
Layout parseHeader(File& file, const std::string& fileName);
std::vector<char> buildHeader(const Layout& layout);
void validateFields(const std::vector<FieldDef>& fields, const std::string& fileName);

// The shared in-process state of one table file: header, every record in memory, the tags.
// Cursors hold it through shared_ptr; the engine holds it until releaseUnused.
class TableData {
  public:
    // Write: read-write, or read-only when the file cannot be written. Look: the table and its
    // index file are never written, a stale index is rebuilt in memory only.
    enum class Access { Write, Look };
    // Opens and locks directory/name (name already resolved). Loads the index file when it is
    // current, otherwise rebuilds the tags it names.
    static std::shared_ptr<TableData> openFile(std::shared_ptr<FileSystem> fs,
                                               std::string directory, std::string name,
                                               Access access = Access::Write);
    static std::shared_ptr<TableData> createMemory(const std::vector<FieldDef>& fields,
                                                   std::uint8_t language);
    ~TableData();
    TableData(const TableData&) = delete;
    TableData& operator=(const TableData&) = delete;

    const std::string& fileName() const { return name_; }
    const std::string& directory() const { return directory_; }
    std::string path() const { return directory_ + "/" + name_; }
    std::string indexPath() const;
    bool inMemory() const { return !file_; }
    bool writable() const { return writable_; }

    const std::vector<FieldDef>& fields() const { return layout_.fields; }
    int fieldIndex(std::string_view name) const;
    int requireField(std::string_view name) const;  // EngineError when absent
    std::uint32_t fieldOffset(int field) const { return layout_.offsets[field]; }
    std::uint16_t recordLength() const { return layout_.recordLength; }
    std::uint16_t headerLength() const { return layout_.headerLength; }
    std::uint8_t language() const { return layout_.language; }
    // Other programs mark code page 852 with 0x64; such a table is read and written in it too.
    // So is a table whose ".cpg" file names code page 852 (GDAL writes one and leaves the byte 0).
    bool cp852() const {
        return layout_.language == kLanguageCp852 || layout_.language == kLanguageCp852Other ||
               cpg852_;
    }

    std::uint32_t count() const { return layout_.count; }
    std::uint32_t liveCount() const { return live_; }
    const char* record(std::uint32_t rec) const {
        if (rec <= mappedCount_)
            return mapped_ + layout_.headerLength + std::size_t(rec - 1) * layout_.recordLength;
        const std::uint32_t i = rec - 1 - mappedCount_;
        return chunks_[i / kChunkRecords].get() +
               std::size_t(i % kChunkRecords) * layout_.recordLength;
    }
    // Only a blank flag marks a live record: "*" is a deleted one, and anything else (the zeros a
    // crash can leave at the end of a file) is no record at all.
    static bool liveFlag(char flag) { return flag == ' '; }
    bool deleted(std::uint32_t rec) const { return !liveFlag(*record(rec)); }
    bool exists(std::uint32_t rec) const { return rec >= 1 && rec <= count() && !deleted(rec); }

    // Field values of a record image. Text is UTF-8 without trailing blanks.
    std::string text(const char* rec, int field) const;
    void appendText(const char* rec, int field, std::string& out) const;
    double number(const char* rec, int field) const;
    // The number rounded to the nearest whole number (halves away from zero); 0 when empty.
    std::int64_t integer(const char* rec, int field) const;
    Date date(const char* rec, int field) const;
    bool blank(const char* rec, int field) const;
    void setText(char* rec, int field, std::string_view utf8) const;
    void setNumber(char* rec, int field, double value) const;
    void setInteger(char* rec, int field, std::int64_t value) const;
    void setDate(char* rec, int field, Date value) const;
    void clear(char* rec, int field) const;
    std::vector<char> blankRecord() const;

    // Writing. Each goes to the file first; memory and tags change only when the file did.
    std::uint32_t append(const char* image);
    // Appends in one write, then raises the count. Returns the number of the last record.
    std::uint32_t appendAll(const std::vector<const char*>& images);
    void update(std::uint32_t rec, const char* image);
    void markDeleted(std::uint32_t rec);
    // Makes the writes so far durable.
    void sync();
    // The file's identity on its file system: a replaced file has another one.
    std::uint64_t inode();

    // Tags.
    const std::vector<std::shared_ptr<Tag>>& tags() const { return tags_; }
    std::shared_ptr<Tag> findTag(std::string_view name) const;
    void addTag(const TagDef& def);
    void deleteTag(std::string_view name);
    std::string keyOf(const Tag& tag, const char* rec) const;
    std::string keyOf(const Tag& tag, const Key& key) const;
    std::uint64_t tagsVersion() const { return tagsVersion_; }
    // Rebuilds every tag from the records.
    void rebuildTags();
    // Problems of the tags against the records, one line each.
    std::vector<std::string> checkTags() const;
    // Records whose flag is neither blank nor "*", in order.
    std::vector<std::uint32_t> invalidFlags() const;

    // Whole-file changes: a new file beside the old one replaces it atomically.
    void addColumn(const FieldDef& field);
    void pack();
    // Changes whenever record numbers change (pack): cursor positions are void then.
    std::uint64_t generation() const { return generation_; }

    // The index file. save writes temp + rename; it is skipped for tables without tags and
    // without an index file.
    void saveIndex();
    void saveIndexIfDirty();
    bool dirty() const { return dirty_; }
    // Unverified: written for this very content by the look of it (count and size agree), but
    // the file was touched or copied since (times, inode); trusted only after comparing every
    // entry with the records.
    enum class IndexFileState { Current, Missing, Stale, Damaged, Unverified };
    // Whether the tags came from the index file (current, or unverified and found equal).
    bool indexFromFile() const { return indexFromFile_; }
    IndexFileState indexFileState();
    static IndexFileState indexFileStateOf(FileSystem& fs, const std::string& directory,
                                           const std::string& name, std::uint32_t count);
    static std::string indexPathOf(FileSystem& fs, const std::string& directory,
                                   const std::string& name);

    void attach() { ++cursors_; }
    void detach();
    int cursors() const { return cursors_; }
    void beginEdit() { ++editing_; }
    void endEdit() { --editing_; }
    // Stamp of the file after our own last change; another value means someone replaced it.
    bool changedOnDisk();

    [[noreturn]] void fail(const std::string& what) const;

  private:
    TableData() = default;
    static constexpr std::uint32_t kChunkRecords = 4096;

    char* mutableRecord(std::uint32_t rec) {
        return const_cast<char*>(static_cast<const TableData*>(this)->record(rec));
    }
    void loadRecords();
    void readCodePageFile();
    void countLive();
    void pushRecord(const char* image);
    std::shared_ptr<Tag> makeTag(const TagDef& def) const;
    void buildTag(Tag& tag) const;
    bool loadIndexFile();  // false when the entries could not be used (the tags are then defined)
    bool loadEntries(std::string_view entries, std::uint32_t live,
                     const std::vector<std::shared_ptr<Tag>>& tags);
    void writeAt(std::uint64_t offset, const void* data, std::size_t size);
    void writeCount(std::uint32_t count);
    // Before the first change after the index file was written, mark it as not matching the
    // table, so a crash never leaves an index file that looks current but is not.
    void markIndexChanging();
    void refreshStamp();
    void saveIndexAfterReplace();
    void requireWritable() const;
    std::uint64_t dataSize() const;
    void replaceFile(const Layout& layout, const std::vector<std::uint32_t>& keep,
                     const FieldDef* added);

    std::shared_ptr<FileSystem> fs_;
    std::unique_ptr<File> file_;
    std::string directory_;
    std::string name_ = "(dočasná tabulka)";
    bool cpg852_ = false;
    bool writable_ = true;
    bool looking_ = false;  // Access::Look
    bool indexFromFile_ = false;
    Layout layout_;
    // Records present at open are read through a shared mapping of the file when it can be
    // mapped (writes go through the file and show in it); appended records live in chunks.
    const char* mapped_ = nullptr;
    std::uint32_t mappedCount_ = 0;
    std::vector<std::unique_ptr<char[]>> chunks_;
    std::uint32_t live_ = 0;
    std::vector<std::shared_ptr<Tag>> tags_;
    std::uint64_t tagsVersion_ = 1;
    std::uint64_t generation_ = 1;
    bool dirty_ = false;
    bool dateWritten_ = false;
    bool indexClean_ = false;
    int cursors_ = 0;
    int editing_ = 0;
    FileStamp stamp_;
};

}  // namespace lorvika::dbf
