// The documents of a run, in the order they are read and reported: operands
// as given, and below each folder operand its .xps and .oxps files in byte
// order of their paths.  Something that cannot be a document (an unreadable
// folder, a folder without documents, a device) stays in the list as a failed
// item, so that it is reported in its place.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <istream>
#include <string>
#include <unordered_set>
#include <vector>

namespace xpstext {

struct InputItem {
    std::string path;      // as given, or the folder operand joined with the path below it
    std::string relative;  // the name an output file is derived from
    uint32_t problem = 0;  // a CommandStatus when the item is not a document
    std::string message;   // what the problem is
    std::string output;    // the file -o writes for it; empty without -o
    std::string source;    // where it is read from when that is not path: standard input's copy
    bool standardInput = false;   // the operand "-"
    bool upToDate = false;        // under --resume: its output is newer than it
};

struct FileIdentity {
    dev_t device;
    ino_t inode;
    bool operator==(const FileIdentity &other) const { return device == other.device && inode == other.inode; }
};

struct FileIdentityHash {
    size_t operator()(const FileIdentity &id) const {
        return std::hash<uint64_t>()(static_cast<uint64_t>(id.inode) * 0x9E3779B97F4A7C15ull ^ id.device);
    }
};

class InputList {
public:
    // A file (taken whatever its name) or a folder (searched).  A path that
    // does not exist is kept as a document: reading it reports why.  "-" is
    // standard input, named "stdin" below -o; "./-" is a file of that name.
    void addOperand(const std::string &path);
    // Every name in a NUL-separated list, each as an operand.  An empty name
    // is a failed item that says where in the list it was.
    void addNulSeparated(std::istream &in, const std::string &listName);

    std::vector<InputItem> &items() { return items_; }
    const std::vector<InputItem> &items() const { return items_; }
    // True when an operand was a folder.
    bool sawFolder() const { return sawFolder_; }
    // True when the file is one of the inputs.
    bool isInputFile(FileIdentity id) const { return identities_.count(id) != 0; }

private:
    void addPath(const std::string &path);
    void addFolder(const std::string &folder);

    std::vector<InputItem> items_;
    std::unordered_set<FileIdentity, FileIdentityHash> identities_;
    bool sawFolder_ = false;
};

// True for names ending in .xps or .oxps, in any letter case.
bool hasDocumentExtension(const std::string &name);

} // namespace xpstext
