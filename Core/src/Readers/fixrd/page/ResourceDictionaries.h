// The keyed transforms a page's resource dictionaries define, so that a
// RenderTransform="{StaticResource KEY}" acts as the literal matrix would.
// Inline dictionaries belong to the FixedPage or the Canvas whose Resources
// hold them; a dictionary with a Source is read from that part, once per
// document.  Only MatrixTransform resources are kept: nothing else of a
// dictionary plays a part in the text.
#pragma once

#include "page/Geometry.h"

#include <string>
#include <unordered_map>
#include <vector>

struct DocContext;

namespace fixrd {

using TransformResources = std::unordered_map<std::string, Matrix>;

class ResourceDictionaries {
public:
    // A new page: only the page's own dictionary, empty.
    void beginPage();
    // A Canvas opens or closes the scope of its Canvas.Resources.
    void openScope() { scopes_.emplace_back(); }
    void closeScope();

    void enterDictionary() { ++dictionaryDepth_; }
    void leaveDictionary() {
        if (dictionaryDepth_ > 0)
            --dictionaryDepth_;
    }
    bool inDictionary() const { return dictionaryDepth_ > 0; }

    // Defines key in the innermost scope; the first definition stands.
    void define(const std::string &key, const Matrix &matrix);
    // Every definition of the dictionary part `partName`, read on first use.
    void include(DocContext *context, const std::string &partName);
    // The innermost definition of key; null when none is in scope.
    const Matrix *find(const std::string &key) const;

private:
    std::vector<TransformResources> scopes_ = std::vector<TransformResources>(1);
    size_t dictionaryDepth_ = 0;
    std::unordered_map<std::string, TransformResources> remote_;   // per document
};

// The key of a "{StaticResource KEY}" value; false for any other value.
bool staticResourceKey(const char *value, std::string &key);

// A transform attribute's matrix: the literal one, or the resource it names.
// A key found nowhere raises what reading the value as a matrix raises.
Matrix readTransform(const DocContext *context, const char *value);

// Whether an attribute's expanded name is the key of a dictionary entry.
bool isKeyAttribute(const char *name);

} // namespace fixrd
