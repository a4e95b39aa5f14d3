// Property editors of the barcode control: the drop-down of symbology names and the
// expandable entry of the current symbology's own properties.
#pragma once

#include <string>

#include <zanbarcode/platform/DesignIntf.h>

namespace zan {

// SymbologyName: a sorted list of the registered symbology names. Choosing one replaces
// the control's symbology with a new object of that class, with its defaults.
class TZanSymbologyNameEdit : public platform::TPropertyEditor {
public:
    platform::TPropertyAttributes GetAttributes() override;
    std::string GetValue() override;
    // Every registered name, in registry order; the designer sorts them.
    void GetValues(const platform::TGetStrProc& proc) override;
    // A name that no registered class bears raises ESymbologyError and the symbology
    // stays. Then selects nothing and the control again, so that the designer shows the
    // new symbology's properties under Symbology.
    void SetValue(const std::string& value) override;
};

// Symbology: "(<class name>)", expanded into the symbology object's published properties,
// which are edited on that object. It cannot be typed into.
class TZanSymbologyPropEdit : public platform::TPropertyEditor {
public:
    platform::TPropertyAttributes GetAttributes() override;
    void GetProperties(const platform::TGetPropEditProc& proc) override;
    // "()" for a control without symbology, which only an empty registry leaves it.
    std::string GetValue() override;
    // Nothing: the symbology is chosen through SymbologyName.
    void SetValue(const std::string& value) override;
};

}  // namespace zan
