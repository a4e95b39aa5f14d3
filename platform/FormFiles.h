// Form files: the text form of a component tree, written and read through the
// published-property metadata, and the class registry from which reading creates
// components by class name.
//
//   object Form1: TForm
//     Caption = 'Labels'#13#10'and codes'
//     object ZanBarcode1: TZanBarcode
//       Margins.Left = 5
//       OnVisualChange = Barcode1VisualChange
//     end
//   end
//
// Properties come in published order, those equal to their stored default left out;
// nested objects are written as dotted names; strings are quoted with quotes doubled
// and every byte outside printable ASCII written as #nnn; events name a handler that
// the root publishes; component references name a component of the root.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <zanbarcode/platform/Components.h>
#include <zanbarcode/platform/Exception.h>

namespace zan::platform {

// A class registry or form file problem.
class EFilerError : public Exception {
public:
    using Exception::Exception;
};

// "Class <name> not found".
class EClassNotFound : public EFilerError {
public:
    using EFilerError::EFilerError;
};

// A form file that cannot be read: "Line <n>: " and what is wrong there.
class EReadError : public EFilerError {
public:
    using EFilerError::EFilerError;
};

// A class reference: the name of a component class without an instance, and a factory.
struct TComponentClassInfo {
    std::string (*ClassName)();
    TComponent* (*Create)(TComponent* owner);
};
using TComponentClass = const TComponentClassInfo*;

// The descriptor of component class T, which supplies `static std::string StaticClassName()`.
template <class T>
TComponentClass ComponentClass() {
    static const TComponentClassInfo info{&T::StaticClassName,
                                          [](TComponent* owner) -> TComponent* { return new T(owner); }};
    return &info;
}

// Makes a class known to form file reading. Registering a class again changes nothing;
// another class of a registered name raises EFilerError. TComponent, TForm and
// TPopupMenu are registered from the start.
void RegisterClass(TComponentClass componentClass);
// The registered class of that name, letter case ignored; null when there is none.
TComponentClass GetClass(const std::string& name);
// Like GetClass, but raises EClassNotFound when there is none.
TComponentClass FindClass(const std::string& name);

// Classes of published objects that are not components, such as a control's
// sub-objects, are known by class name alone: a form file never creates one, since their
// owner does. Registering a name again changes nothing.
void RegisterPersistentClass(const std::string& className);
// The registered persistent class names, in registration order.
const std::vector<std::string>& RegisteredPersistentClasses();

// Root and the components it streams (GetChildren, recursively) as form file text.
// Raises EFilerError for a reference to a component without a name.
std::string SaveComponentToText(TComponent& root);
// Reads form file text into an existing root of the file's root class: sets its
// properties and creates its components (a name that one of the root's components
// already bears is an error). Every component read is in the loading state
// until all are read, references are resolved and each has had Loaded. Bad text raises
// EReadError naming the line and the fault; the components made so far are destroyed
// and the root is left with the properties it had.
void LoadComponentFromText(TComponent& root, const std::string& text);
// Creates the root from the registered class that the text names and reads the text
// into it; bad text raises EReadError and leaves nothing behind.
std::unique_ptr<TComponent> CreateComponentFromText(const std::string& text);

// The same for files. Saving replaces the file in one step (ReplaceFile), so a failure
// never leaves a half-written form and touches no other file; failures raise EInOutError.
void SaveComponentToFile(TComponent& root, const std::string& fileName);
void LoadComponentFromFile(TComponent& root, const std::string& fileName);

}  // namespace zan::platform
