// Where -o puts each document's text.  The name comes from the input's path
// below the folder operand that held it, or from the path of a file operand
// as written; a leading "/" and any "." and ".." are dropped, as tar does, so
// no output lands outside the folder.  Two inputs never share an output: the
// later one fails.
#pragma once

#include "InputList.h"

#include <string>
#include <vector>

namespace xpstext {

// "a/./b/../c.xps" -> "a/b/c.xps"; "/data/x.xps" -> "data/x.xps".
std::string cleanRelativePath(const std::string &path);

// Fills InputItem::output below `folder` for every document: the relative
// path with `extension` appended (a.xps -> a.xps.txt, so a.xps and a.oxps in
// one folder do not meet).  An input whose output another input already took
// becomes a failed item.
void assignOutputs(std::vector<InputItem> &items, const std::string &folder, const std::string &extension);

// Under --resume: marks each item whose output exists and was last changed
// after the item's own file.  Standard input is never up to date.
void markUpToDate(std::vector<InputItem> &items);

} // namespace xpstext
