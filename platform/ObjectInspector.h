// The property inspector of a form designer, without a window: the rows that a person
// sees and the edits that a person makes there.
#pragma once

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <zanbarcode/platform/DesignIntf.h>

namespace zan::platform {

// One line of the inspector. Sub-rows of an expanded property follow it, one level
// deeper; their Path is the parent's path, a dot and their name ("Margins.Left").
struct TInspectorRow {
    std::string Name;
    std::string Path;
    std::string Value;
    TPropertyAttributes Attributes = 0;
    int Level = 0;
    bool Expanded = false;
};

// Shows the properties (not the events) of the designer's selection. The rows are
// rebuilt whenever the selection changes, keeping expanded the properties that were.
class TObjectInspector {
public:
    explicit TObjectInspector(std::shared_ptr<TFormDesigner> designer);
    ~TObjectInspector();
    TObjectInspector(const TObjectInspector&) = delete;
    TObjectInspector& operator=(const TObjectInspector&) = delete;

    std::vector<TInspectorRow> GetRows() const;
    // The row of that path; raises EListError when there is none.
    TInspectorRow GetRow(const std::string& path) const;
    // The values that the row's editor offers, sorted when it asks for that.
    std::vector<std::string> GetValueList(const std::string& path) const;
    // Edits the row's value as typed in or picked from the list. A read-only row raises
    // EConvertError; an editor's error reaches the caller with the rows showing the
    // values that stand.
    void SetValue(const std::string& path, const std::string& value);
    // Opens the row's sub-rows; raises EConvertError for a row without sub-properties.
    void Expand(const std::string& path);
    void Collapse(const std::string& path);

private:
    struct TRow {
        std::unique_ptr<TPropertyEditor> Editor;
        std::string Path;
        int Level = 0;
        bool Expanded = false;
    };

    // Something that hands out property editors, such as a selection or an expanded row.
    using TPropertySource = std::function<void(const TGetPropEditProc& proc)>;

    static TInspectorRow RowOf(const TRow& row);
    void Rebuild();
    void AddRows(std::size_t position, const TPropertySource& source, const std::string& parentPath, int level);
    std::size_t IndexOf(const std::string& path) const;
    void ExpandAt(std::size_t index);
    void CollapseAt(std::size_t index);

    std::shared_ptr<TFormDesigner> FDesigner;
    std::vector<TRow> FRows;
    std::set<std::string> FExpandedPaths;
    bool FEditing = false;
    bool FSelectionChanged = false;
};

}  // namespace zan::platform
