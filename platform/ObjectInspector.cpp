#include <zanbarcode/platform/ObjectInspector.h>

#include <algorithm>

#include <zanbarcode/platform/Exception.h>

namespace zan::platform {

TObjectInspector::TObjectInspector(std::shared_ptr<TFormDesigner> designer) : FDesigner(std::move(designer)) {
    FDesigner->SetOnSelectionChanged([this] {
        // An editor may change the selection while it works (to have the rows rebuilt);
        // its own row must outlive that call, so the rebuild waits for the edit to end.
        if (FEditing)
            FSelectionChanged = true;
        else
            Rebuild();
    });
    Rebuild();
}

TObjectInspector::~TObjectInspector() { FDesigner->SetOnSelectionChanged(nullptr); }

TInspectorRow TObjectInspector::RowOf(const TRow& row) {
    return {.Name = row.Editor->GetName(),
            .Path = row.Path,
            .Value = row.Editor->GetValue(),
            .Attributes = row.Editor->GetAttributes(),
            .Level = row.Level,
            .Expanded = row.Expanded};
}

std::vector<TInspectorRow> TObjectInspector::GetRows() const {
    std::vector<TInspectorRow> rows;
    for (const TRow& row : FRows) rows.push_back(RowOf(row));
    return rows;
}

TInspectorRow TObjectInspector::GetRow(const std::string& path) const { return RowOf(FRows[IndexOf(path)]); }

std::vector<std::string> TObjectInspector::GetValueList(const std::string& path) const {
    TPropertyEditor& editor = *FRows[IndexOf(path)].Editor;
    std::vector<std::string> values;
    if ((editor.GetAttributes() & paValueList) == 0) return values;
    editor.GetValues([&values](const std::string& value) { values.push_back(value); });
    if ((editor.GetAttributes() & paSortList) != 0) std::ranges::sort(values);
    return values;
}

void TObjectInspector::SetValue(const std::string& path, const std::string& value) {
    TPropertyEditor& editor = *FRows[IndexOf(path)].Editor;
    if ((editor.GetAttributes() & paReadOnly) != 0 && (editor.GetAttributes() & paValueList) == 0)
        throw EConvertError("Property %s is read only", {path});
    FEditing = true;
    FSelectionChanged = false;
    const auto finish = [this] {
        FEditing = false;
        if (FSelectionChanged) Rebuild();
    };
    try {
        editor.SetValue(value);
    } catch (...) {
        finish();
        throw;
    }
    finish();
}

void TObjectInspector::Expand(const std::string& path) { ExpandAt(IndexOf(path)); }

void TObjectInspector::Collapse(const std::string& path) { CollapseAt(IndexOf(path)); }

void TObjectInspector::Rebuild() {
    FRows.clear();
    const TDesignerSelectionList& selection = FDesigner->GetSelection();
    AddRows(
        0,
        [this, &selection](const TGetPropEditProc& proc) {
            GetComponentProperties(selection, tkProperties, FDesigner, proc);
        },
        "", 0);
}

void TObjectInspector::AddRows(std::size_t position, const TPropertySource& source, const std::string& parentPath,
                               int level) {
    std::vector<TRow> rows;
    source([&](std::unique_ptr<TPropertyEditor> editor) {
        std::string path = parentPath.empty() ? editor->GetName() : parentPath + "." + editor->GetName();
        rows.push_back({.Editor = std::move(editor), .Path = std::move(path), .Level = level});
    });
    const std::size_t count = rows.size();
    FRows.insert(FRows.begin() + static_cast<std::ptrdiff_t>(position), std::make_move_iterator(rows.begin()),
                 std::make_move_iterator(rows.end()));
    // Rows that were open before the rows were rebuilt open again. Going backwards keeps
    // the positions of the rows still to be looked at.
    for (std::size_t i = position + count; i-- > position;)
        if (FExpandedPaths.contains(FRows[i].Path) && (FRows[i].Editor->GetAttributes() & paSubProperties) != 0)
            ExpandAt(i);
}

std::size_t TObjectInspector::IndexOf(const std::string& path) const {
    const auto row = std::ranges::find(FRows, path, &TRow::Path);
    if (row == FRows.end()) throw EListError("No property %s", {path});
    return static_cast<std::size_t>(row - FRows.begin());
}

void TObjectInspector::ExpandAt(std::size_t index) {
    TRow& row = FRows[index];
    if ((row.Editor->GetAttributes() & paSubProperties) == 0)
        throw EConvertError("Property %s has no sub-properties", {row.Path});
    if (row.Expanded) return;
    row.Expanded = true;
    FExpandedPaths.insert(row.Path);
    TPropertyEditor* editor = row.Editor.get();
    const std::string path = row.Path;
    const int level = row.Level + 1;
    AddRows(
        index + 1, [editor](const TGetPropEditProc& proc) { editor->GetProperties(proc); }, path, level);
}

void TObjectInspector::CollapseAt(std::size_t index) {
    TRow& row = FRows[index];
    if (!row.Expanded) return;
    row.Expanded = false;
    FExpandedPaths.erase(row.Path);
    auto end = FRows.begin() + static_cast<std::ptrdiff_t>(index) + 1;
    while (end != FRows.end() && end->Level > row.Level) ++end;
    FRows.erase(FRows.begin() + static_cast<std::ptrdiff_t>(index) + 1, end);
}

}  // namespace zan::platform
