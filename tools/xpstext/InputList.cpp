#include "InputList.h"

#include "CommandStatus.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iterator>

namespace fs = std::filesystem;

namespace xpstext {

namespace {

bool endsWithIgnoringCase(const std::string &name, const char *suffix) {
    size_t length = std::strlen(suffix);
    if (name.size() < length)
        return false;
    for (size_t i = 0; i < length; ++i) {
        char c = name[name.size() - length + i];
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
        if (c != suffix[i])
            return false;
    }
    return true;
}

std::string joinPath(const std::string &folder, const std::string &below) {
    if (!folder.empty() && folder.back() == '/')
        return folder + below;
    return folder + "/" + below;
}

// What a folder walk found, named by the path below the folder operand.
struct Found {
    std::string relative;
    uint32_t problem;
    std::string message;
};

// Collects the documents below `folder`; symbolic links to folders are not
// followed, so a link cycle cannot make the walk endless.
void walk(const fs::path &folder, const std::string &relative, std::vector<Found> &found) {
    std::error_code error;
    fs::directory_iterator entries(folder, error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        const fs::directory_entry &entry = *entries;
        std::string name = entry.path().filename().string();
        std::string below = relative.empty() ? name : relative + "/" + name;
        std::error_code statError;
        fs::file_status own = entry.symlink_status(statError);
        if (fs::is_directory(own)) {
            walk(entry.path(), below, found);
            continue;
        }
        if (!hasDocumentExtension(name))
            continue;
        fs::file_status target = fs::is_symlink(own) ? entry.status(statError) : own;
        if (fs::is_directory(target))
            continue;
        if (fs::exists(target) && !fs::is_regular_file(target))
            found.push_back({below, kNotAFile, "not a regular file or folder"});
        else
            found.push_back({below, 0, ""});   // a dangling link fails when read, naming the cause
    }
    if (error)
        found.push_back({relative, kFolderUnreadable, "cannot read the folder: " + error.message()});
}

InputItem document(const std::string &path) {
    InputItem item;
    item.path = path;
    item.relative = path;
    return item;
}

InputItem failed(std::string path, uint32_t problem, std::string message) {
    InputItem item;
    item.path = std::move(path);
    item.problem = problem;
    item.message = std::move(message);
    return item;
}

} // namespace

bool hasDocumentExtension(const std::string &name) {
    return endsWithIgnoringCase(name, ".xps") || endsWithIgnoringCase(name, ".oxps");
}

void InputList::addOperand(const std::string &path) {
    if (path == "-") {
        InputItem item = document(path);
        item.relative = "stdin";
        item.standardInput = true;
        items_.push_back(std::move(item));
        return;
    }
    addPath(path);
}

void InputList::addPath(const std::string &path) {
    struct stat info;
    if (::stat(path.c_str(), &info) != 0) {
        items_.push_back(document(path));
        return;
    }
    if (S_ISDIR(info.st_mode)) {
        sawFolder_ = true;
        addFolder(path);
    } else if (S_ISREG(info.st_mode)) {
        identities_.insert({info.st_dev, info.st_ino});
        items_.push_back(document(path));
    } else {
        items_.push_back(failed(path, kNotAFile, "not a regular file or folder"));
    }
}

void InputList::addFolder(const std::string &folder) {
    std::vector<Found> found;
    walk(fs::path(folder), "", found);
    std::sort(found.begin(), found.end(), [](const Found &a, const Found &b) { return a.relative < b.relative; });
    if (found.empty()) {
        items_.push_back(failed(folder, kNoDocuments, "no .xps or .oxps files in this folder"));
        return;
    }
    for (Found &each : found) {
        std::string path = each.relative.empty() ? folder : joinPath(folder, each.relative);
        if (each.problem == 0) {
            struct stat info;
            if (::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode))
                identities_.insert({info.st_dev, info.st_ino});
        }
        InputItem item = failed(std::move(path), each.problem, std::move(each.message));
        item.relative = std::move(each.relative);
        items_.push_back(std::move(item));
    }
}

void InputList::addNulSeparated(std::istream &in, const std::string &listName) {
    std::string name;
    size_t entry = 0;
    while (std::getline(in, name, '\0')) {
        ++entry;
        if (name.empty())
            items_.push_back(failed("--files0-from=" + listName, kNotAFile,
                                  "entry " + std::to_string(entry) + " is an empty file name"));
        else
            addPath(name);   // a list names files: "-" in it is one of that name
    }
}

} // namespace xpstext
