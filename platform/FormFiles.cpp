#include <zanbarcode/platform/FormFiles.h>
#include <zanbarcode/platform/Types.h>

#include <algorithm>
#include <any>
#include <array>
#include <cstdint>
#include <exception>
#include <fstream>
#include <span>
#include <variant>
#include <vector>

#include <zanbarcode/platform/FileReplacement.h>
#include <zanbarcode/platform/Forms.h>
#include <zanbarcode/platform/Menus.h>

namespace zan::platform {

namespace {

// How messages name a component: by its name, or by its class when it has none.
std::string Label(const TComponent& component) {
    return component.GetName().empty() ? component.ClassName() : component.GetName();
}

// The registered classes, in registration order; the platform's own from the start.
std::vector<TComponentClass>& Classes() {
    static std::vector<TComponentClass> classes = {ComponentClass<TComponent>(), ComponentClass<TForm>(),
                                                   ComponentClass<TPopupMenu>()};
    return classes;
}

std::vector<std::string>& PersistentClasses() {
    static std::vector<std::string> names;
    return names;
}

}  // namespace

void RegisterClass(TComponentClass componentClass) {
    if (componentClass == nullptr) return;
    const TComponentClass existing = GetClass(componentClass->ClassName());
    if (existing == componentClass) return;
    if (existing != nullptr) throw EFilerError("A class named %s already exists", {componentClass->ClassName()});
    Classes().push_back(componentClass);
}

TComponentClass GetClass(const std::string& name) {
    for (TComponentClass c : Classes())
        if (SameText(c->ClassName(), name)) return c;
    return nullptr;
}

TComponentClass FindClass(const std::string& name) {
    if (TComponentClass c = GetClass(name)) return c;
    throw EClassNotFound("Class %s not found", {name});
}

void RegisterPersistentClass(const std::string& className) {
    const auto same = [&className](const std::string& name) { return SameText(name, className); };
    if (std::ranges::none_of(PersistentClasses(), same)) PersistentClasses().push_back(className);
}

const std::vector<std::string>& RegisteredPersistentClasses() { return PersistentClasses(); }

// ---------------------------------------------------------------------------------------
// Writing

namespace {

bool IsPrintableAscii(unsigned char byte) { return byte >= 0x20 && byte <= 0x7E; }

// 'text' with quotes doubled; every byte outside printable ASCII as #nnn between the
// quoted runs, so that any byte survives editors and line-end conversions.
std::string QuotedString(const std::string& text) {
    std::string out;
    bool quoting = false;
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (IsPrintableAscii(byte)) {
            if (!quoting) out += '\'';
            quoting = true;
            out += c;
            if (c == '\'') out += '\'';
        } else {
            if (quoting) out += '\'';
            quoting = false;
            out += '#';
            out += std::to_string(byte);
        }
    }
    if (quoting) out += '\'';
    return out.empty() ? "''" : out;
}

class TFormWriter {
public:
    explicit TFormWriter(TComponent& root) : FRoot(root) {}

    std::string Write() {
        WriteObject(FRoot, 0);
        return FOut;
    }

private:
    void WriteObject(TComponent& component, int depth) {
        const std::string indent(static_cast<std::size_t>(2 * depth), ' ');
        FOut += indent + "object ";
        if (!component.GetName().empty()) FOut += component.GetName() + ": ";
        FOut += component.ClassName() + "\n";
        WriteProperties(component, component, "", indent + "  ");
        component.GetChildren([&](TComponent* child) { WriteObject(*child, depth + 1); }, &FRoot);
        FOut += indent + "end\n";
    }

    void WriteProperties(const TComponent& owner, TPersistent& object, const std::string& prefix,
                         const std::string& indent) {
        for (const TPropInfo& p : object.PublishedProperties()) {
            if (!p.ShouldStore(object)) continue;
            const std::string path = prefix + p.Name;
            if (p.Kind == TTypeKind::tkClass && !p.IsReference()) {
                if (TPersistent* nested = p.GetObject(object)) WriteProperties(owner, *nested, path + ".", indent);
                continue;
            }
            std::string value = p.GetValue(object);
            if (p.Kind == TTypeKind::tkString) value = QuotedString(value);
            if (p.IsReference() && value.empty())
                throw EFilerError("%s.%s refers to a component without a name", {Label(owner), path});
            FOut += indent + path + " = " + value + "\n";
        }
    }

    TComponent& FRoot;
    std::string FOut;
};

}  // namespace

std::string SaveComponentToText(TComponent& root) { return TFormWriter(root).Write(); }

// ---------------------------------------------------------------------------------------
// Reading: tokens and the syntax tree

namespace {

[[noreturn]] void Fail(int line, const std::string& message) {
    throw EReadError("Line %d: %s", {std::int64_t{line}, message});
}

enum class TTokenKind { End, Identifier, Number, String, Symbol };

struct TToken {
    TTokenKind Kind = TTokenKind::End;
    std::string Text{};  // a string token holds its decoded bytes
    int Line = 1;
};

bool IsIdentifierStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f'); }
int HexValue(char c) { return IsDigit(c) ? c - '0' : (c | 0x20) - 'a' + 10; }

// A byte as a message shows it: printable ASCII as itself, anything else as #nnn.
std::string ShowByte(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsPrintableAscii(byte)) return std::string(1, c);
    std::string shown = "#";
    shown += std::to_string(byte);
    return shown;
}

class TLexer {
public:
    explicit TLexer(const std::string& text) : FText(text) {}

    TToken Next() {
        SkipSpace();
        TToken token{.Line = FLine};
        if (FPos == FText.size()) return token;
        const char c = FText[FPos];
        if (IsIdentifierStart(c)) {
            token.Kind = TTokenKind::Identifier;
            token.Text = ReadIdentifier();
        } else if (IsDigit(c) || c == '$' || ((c == '-' || c == '+') && IsDigit(Peek(1)))) {
            token.Kind = TTokenKind::Number;
            token.Text = ReadNumber();
        } else if (c == '\'' || c == '#') {
            token.Kind = TTokenKind::String;
            token.Text = ReadString();
        } else if (c == '=' || c == ':' || c == '[' || c == ']' || c == ',' || c == '+') {
            token.Kind = TTokenKind::Symbol;
            token.Text = std::string(1, c);
            ++FPos;
        } else {
            Fail(FLine, "unexpected character " + ShowByte(c));
        }
        return token;
    }

private:
    char Peek(std::size_t ahead = 0) const { return FPos + ahead < FText.size() ? FText[FPos + ahead] : '\0'; }

    void SkipSpace() {
        while (FPos < FText.size()) {
            const char c = FText[FPos];
            if (c == '\n')
                ++FLine;
            else if (c != ' ' && c != '\t' && c != '\r')
                return;
            ++FPos;
        }
    }

    // Dotted names (Margins.Left) are one identifier.
    std::string ReadIdentifier() {
        const std::size_t start = FPos;
        for (;;) {
            while (IsIdentifierStart(Peek()) || IsDigit(Peek())) ++FPos;
            if (Peek() != '.' || !IsIdentifierStart(Peek(1))) break;
            ++FPos;
        }
        return FText.substr(start, FPos - start);
    }

    // Decimal integers and floats as they stand, $hex integers turned into decimal.
    std::string ReadNumber() {
        const std::size_t start = FPos;
        std::string text;
        if (Peek() == '$') {
            ++FPos;
            std::uint64_t value = 0;
            if (!IsHexDigit(Peek())) Fail(FLine, "hexadecimal digits expected after '$'");
            while (IsHexDigit(Peek())) {
                if (value > (UINT64_MAX >> 4))
                    Fail(FLine, "the number " + FText.substr(start, FPos - start + 1) + "... is too large");
                value = (value << 4) | static_cast<std::uint64_t>(HexValue(FText[FPos++]));
            }
            text = std::to_string(value);
        } else {
            if (Peek() == '-' || Peek() == '+') ++FPos;
            while (IsDigit(Peek())) ++FPos;
            if (Peek() == '.' && IsDigit(Peek(1))) {
                ++FPos;
                while (IsDigit(Peek())) ++FPos;
            }
            if ((Peek() == 'e' || Peek() == 'E') &&
                (IsDigit(Peek(1)) || ((Peek(1) == '-' || Peek(1) == '+') && IsDigit(Peek(2))))) {
                FPos += 2;
                while (IsDigit(Peek())) ++FPos;
            }
            text = FText.substr(start, FPos - start);
        }
        if (IsIdentifierStart(Peek()) || IsDigit(Peek()) || Peek() == '.')
            Fail(FLine, "bad number " + FText.substr(start, FPos - start + 1));
        return text;
    }

    // Quoted runs and #nnn character codes written next to each other make one string.
    std::string ReadString() {
        std::string bytes;
        for (;;) {
            if (Peek() == '\'') {
                ++FPos;
                for (;;) {
                    if (FPos == FText.size() || Peek() == '\n' || Peek() == '\r') Fail(FLine, "unterminated string");
                    const char c = FText[FPos++];
                    if (c != '\'') {
                        bytes += c;
                    } else if (Peek() == '\'') {
                        bytes += '\'';
                        ++FPos;
                    } else {
                        break;
                    }
                }
            } else if (Peek() == '#') {
                ++FPos;
                const bool hex = Peek() == '$';
                if (hex) ++FPos;
                const std::size_t start = FPos;
                int code = 0;
                while (hex ? IsHexDigit(Peek()) : IsDigit(Peek())) {
                    code = code * (hex ? 16 : 10) + (hex ? HexValue(Peek()) : Peek() - '0');
                    ++FPos;
                    if (code > 255)
                        Fail(FLine, "character code #" + FText.substr(start, FPos - start) + " is not a byte");
                }
                if (FPos == start) Fail(FLine, "a character code is expected after '#'");
                bytes += static_cast<char>(code);
            } else {
                return bytes;
            }
        }
    }

    const std::string& FText;
    std::size_t FPos = 0;
    int FLine = 1;
};

struct TFormValue {
    enum class TKind { Identifier, Number, String, Set };
    TKind Kind = TKind::Identifier;
    std::string Text;  // a set as "[a, b]"
};

struct TFormProperty {
    std::string Path{};
    TFormValue Value{};
    int Line = 0;
};

struct TFormObject {
    std::string Name{};
    std::string ClassName{};
    int Line = 0;
    std::vector<TFormProperty> Properties{};
    std::vector<TFormObject> Children{};
};

// Reads the whole text into a tree first, so that a syntax error touches nothing.
class TParser {
public:
    explicit TParser(const std::string& text) : FLexer(text) { Advance(); }

    TFormObject ParseFile() {
        TFormObject root = ParseObject();
        if (FToken.Kind != TTokenKind::End) Fail(FToken.Line, "text after the final 'end': " + Describe(FToken));
        return root;
    }

private:
    void Advance() { FToken = FLexer.Next(); }

    bool IsWord(const char* word) const { return FToken.Kind == TTokenKind::Identifier && SameText(FToken.Text, word); }
    bool IsSymbol(char symbol) const {
        return FToken.Kind == TTokenKind::Symbol && FToken.Text == std::string(1, symbol);
    }

    static std::string Describe(const TToken& token) {
        switch (token.Kind) {
            case TTokenKind::End: return "the end of the file";
            case TTokenKind::String: return "a string";
            default: return "'" + token.Text + "'";
        }
    }

    std::string ExpectIdentifier(const std::string& what) {
        if (FToken.Kind != TTokenKind::Identifier) Fail(FToken.Line, what + " expected, found " + Describe(FToken));
        std::string text = FToken.Text;
        Advance();
        return text;
    }

    TFormObject ParseObject() {
        TFormObject object{.Line = FToken.Line};
        if (!IsWord("object")) Fail(FToken.Line, "'object' expected, found " + Describe(FToken));
        Advance();
        const std::string first = ExpectIdentifier("a class name");
        if (IsSymbol(':')) {
            Advance();
            object.Name = first;
            object.ClassName = ExpectIdentifier("a class name");
        } else {
            object.ClassName = first;
        }
        while (FToken.Kind == TTokenKind::Identifier && !IsWord("object") && !IsWord("end")) {
            TFormProperty property{.Path = FToken.Text, .Line = FToken.Line};
            Advance();
            if (!IsSymbol('='))
                Fail(FToken.Line, "'=' expected after " + property.Path + ", found " + Describe(FToken));
            Advance();
            property.Value = ParseValue();
            object.Properties.push_back(std::move(property));
        }
        while (IsWord("object")) object.Children.push_back(ParseObject());
        if (!IsWord("end")) {
            const std::string name = object.Name.empty() ? object.ClassName : object.Name;
            if (FToken.Kind == TTokenKind::End)
                Fail(FToken.Line, Format("'end' expected: the object %s of line %d is not closed",
                                         {name, std::int64_t{object.Line}}));
            Fail(FToken.Line, "'end' of the object " + name + " expected, found " + Describe(FToken) +
                                  " (properties come before nested objects)");
        }
        Advance();
        return object;
    }

    TFormValue ParseValue() {
        using TKind = TFormValue::TKind;
        TFormValue value;
        switch (FToken.Kind) {
            case TTokenKind::Identifier: value = {TKind::Identifier, FToken.Text}; break;
            case TTokenKind::Number: value = {TKind::Number, FToken.Text}; break;
            case TTokenKind::String:
                value = {TKind::String, FToken.Text};
                // Long strings continue on the next line after a '+'.
                while (Advance(), IsSymbol('+')) {
                    Advance();
                    if (FToken.Kind != TTokenKind::String)
                        Fail(FToken.Line, "a string expected after '+', found " + Describe(FToken));
                    value.Text += FToken.Text;
                }
                return value;
            case TTokenKind::Symbol:
                if (IsSymbol('[')) return ParseSet();
                [[fallthrough]];
            default: Fail(FToken.Line, "a value expected, found " + Describe(FToken));
        }
        Advance();
        return value;
    }

    TFormValue ParseSet() {
        TFormValue value{TFormValue::TKind::Set, "["};
        Advance();
        if (IsSymbol(']')) {
            Advance();
            return {TFormValue::TKind::Set, "[]"};
        }
        for (;;) {
            value.Text += ExpectIdentifier("a set element");
            if (IsSymbol(']')) break;
            if (!IsSymbol(',')) Fail(FToken.Line, "',' or ']' expected, found " + Describe(FToken));
            value.Text += ", ";
            Advance();
        }
        Advance();
        value.Text += "]";
        return value;
    }

    TLexer FLexer;
    TToken FToken;
};

// The object that holds the last part of Path, and that part's property.
struct TTarget {
    TPersistent* Object = nullptr;
    const TPropInfo* Property = nullptr;
};

// Raises Exception when Path names no property.
TTarget ResolvePath(TPersistent& start, const std::string& path) {
    TPersistent* object = &start;
    std::size_t begin = 0;
    for (;;) {
        const std::size_t dot = path.find('.', begin);
        const std::string part = path.substr(begin, dot == std::string::npos ? std::string::npos : dot - begin);
        const TPropInfo* property = object->FindProperty(part);
        if (property == nullptr) throw Exception("no such property");
        if (dot == std::string::npos) return {object, property};
        if (property->Kind != TTypeKind::tkClass || property->IsReference())
            throw Exception("%s has no properties of its own", {part});
        object = property->GetObject(*object);
        if (object == nullptr) throw Exception("%s is not set", {part});
        begin = dot + 1;
    }
}

void CheckValueKind(TTypeKind property, TFormValue::TKind value) {
    using TKind = TFormValue::TKind;
    switch (property) {
        case TTypeKind::tkString:
            if (value != TKind::String) throw Exception("a string is expected");
            break;
        case TTypeKind::tkInteger:
            // Named values such as clWindow or crHandPoint are identifiers.
            if (value != TKind::Number && value != TKind::Identifier) throw Exception("an integer is expected");
            break;
        case TTypeKind::tkFloat:
            if (value != TKind::Number) throw Exception("a number is expected");
            break;
        case TTypeKind::tkBoolean:
        case TTypeKind::tkEnumeration:
            if (value != TKind::Identifier) throw Exception("an identifier is expected");
            break;
        case TTypeKind::tkSet:
            if (value != TKind::Set) throw Exception("a set is expected");
            break;
        default: break;
    }
}

// ---------------------------------------------------------------------------------------
// Reading: applying the tree

// Applies a parsed form to its root.
class TFormReader {
public:
    explicit TFormReader(TComponent& root) : FRoot(root) {}

    // Reads Tree into the root; on failure the components made are destroyed, the
    // root's properties are put back and it leaves the loading state, and the error
    // passes on.
    void Load(const TFormObject& tree) {
        Save(FRoot, "");
        const std::string name = FRoot.GetName();
        const bool wasLoading = FRoot.IsLoading();
        std::vector<TComponent*> before;
        for (int i = 0; i < FRoot.GetComponentCount(); ++i) before.push_back(FRoot.GetComponent(i));
        try {
            Read(tree);
            FinishLoading();
        } catch (...) {
            DestroyAddedComponents(before);
            Restore(name);
            if (!wasLoading) EndLoadingAfterFailure();
            throw;
        }
    }

    // Reads Tree into a root made for it, which its caller destroys on failure.
    void LoadNew(const TFormObject& tree) {
        Read(tree);
        FinishLoading();
    }

private:
    struct TReference {
        TComponent* Component;
        std::string Path;
        std::string Name;
        int Line;
    };

    using TSavedValue = std::variant<std::string, std::any, TPersistent*>;
    struct TSaved {
        std::string Path;
        TSavedValue Value;
    };

    void Read(const TFormObject& tree) {
        FRootLine = tree.Line;
        FRoot.Loading();
        try {
            if (!tree.Name.empty()) FRoot.SetName(tree.Name);
        } catch (const Exception& e) {
            Fail(tree.Line, e.Message());
        }
        ReadProperties(FRoot, tree);
        for (const TFormObject& child : tree.Children) ReadChild(FRoot, child);
        ResolveReferences();
    }

    void ReadChild(TComponent& parent, const TFormObject& object) {
        const TComponentClass componentClass = GetClass(object.ClassName);
        if (componentClass == nullptr) Fail(object.Line, Format("class %s is not registered", {object.ClassName}));
        TComponent* component = nullptr;
        try {
            component = componentClass->Create(&FRoot);
            FCreated.push_back({component, object.Line});
            component->Loading();
            component->SetName(object.Name);
            component->SetParentComponent(&parent);
            // The writer nests an object only in its parent: one that the object it
            // stands in cannot take would be written elsewhere and read back otherwise.
            if (&parent != &FRoot && component->GetParentComponent() != &parent)
                throw Exception("%s, a %s, cannot be placed inside %s, a %s",
                                {Label(*component), component->ClassName(), Label(parent), parent.ClassName()});
        } catch (const Exception& e) {
            Fail(object.Line, e.Message());
        }
        ReadProperties(*component, object);
        for (const TFormObject& child : object.Children) ReadChild(*component, child);
    }

    void ReadProperties(TComponent& component, const TFormObject& object) {
        for (const TFormProperty& property : object.Properties) {
            try {
                ReadProperty(component, property);
            } catch (const EReadError&) {
                throw;
            } catch (const Exception& e) {
                Fail(property.Line, Label(component) + "." + property.Path + ": " + e.Message());
            }
        }
    }

    void ReadProperty(TComponent& component, const TFormProperty& property) {
        const TTarget target = ResolvePath(component, property.Path);
        const TPropInfo& p = *target.Property;
        const TFormValue& value = property.Value;
        if (p.Kind == TTypeKind::tkClass) {
            if (!p.IsReference())
                throw Exception("an object: give its properties, as in %s.<property> = <value>", {property.Path});
            if (value.Kind != TFormValue::TKind::Identifier) throw Exception("a component name is expected");
            // Resolved once every component of the file exists.
            FReferences.push_back({&component, property.Path, value.Text, property.Line});
            return;
        }
        if (p.Kind == TTypeKind::tkMethod) {
            if (value.Kind != TFormValue::TKind::Identifier) throw Exception("a handler name is expected");
            const TMethodInfo* method = FRoot.FindMethod(value.Text);
            if (method == nullptr) throw Exception("%s has no handler %s", {Label(FRoot), value.Text});
            if (!p.SetHandler) throw Exception("the event cannot be set");
            p.SetHandler(*target.Object, method->Bind(FRoot));
            return;
        }
        if (p.IsReadOnly()) throw Exception("the property is read-only");
        CheckValueKind(p.Kind, value.Kind);
        p.SetValue(*target.Object, value.Text);
    }

    void ResolveReferences() {
        for (const TReference& reference : FReferences) {
            try {
                TComponent* referenced =
                    SameText(reference.Name, FRoot.GetName()) ? &FRoot : FRoot.FindComponent(reference.Name);
                if (referenced == nullptr) throw Exception("no component is named %s", {reference.Name});
                const TTarget target = ResolvePath(*reference.Component, reference.Path);
                target.Property->SetObject(*target.Object, referenced);
            } catch (const Exception& e) {
                Fail(reference.Line, Label(*reference.Component) + "." + reference.Path + ": " + e.Message());
            }
        }
    }

    // Every component read hears Loaded, the root first; one that fails does not keep
    // the others in the loading state.
    // Every component read leaves the loading state, also after one of them failed; the
    // first failure is reported at the line of the object that raised it.
    void FinishLoading() {
        std::exception_ptr failure;
        std::vector<TCreated> loaded{{&FRoot, FRootLine}};
        loaded.insert(loaded.end(), FCreated.begin(), FCreated.end());
        for (const TCreated& created : loaded) {
            try {
                created.Component->Loaded();
            } catch (const Exception& e) {
                if (!failure)
                    failure =
                        std::make_exception_ptr(EReadError("Line %d: %s", {std::int64_t{created.Line}, e.Message()}));
            } catch (...) {
                if (!failure) failure = std::current_exception();
            }
        }
        if (failure) std::rethrow_exception(failure);
    }

    // The root has its old properties back, a complete set to act on as after any read;
    // the read's own error is the one the caller hears of.
    void EndLoadingAfterFailure() {
        try {
            FRoot.Loaded();
        } catch (...) {
        }
    }

    // The root's values that a read could change: every stored property, every event and
    // every reference, nested objects by their dotted paths.
    void Save(TPersistent& object, const std::string& prefix) {
        for (const TPropInfo& p : object.PublishedProperties()) {
            const std::string path = prefix + p.Name;
            if (p.Kind == TTypeKind::tkMethod) {
                if (p.GetHandler && p.SetHandler) FSaved.push_back({path, p.GetHandler(object)});
            } else if (p.IsReference()) {
                FSaved.push_back({path, p.GetObject(object)});
            } else if (p.IsStored && !p.IsStored(object)) {
                // A view of another property (Name, Font.Size), or one that follows the parent.
            } else if (p.Kind == TTypeKind::tkClass) {
                if (TPersistent* nested = p.GetObject(object)) Save(*nested, path + ".");
            } else if (p.SetText) {
                FSaved.push_back({path, p.GetText(object)});
            }
        }
    }

    // Puts the saved values back in published order; a value that its setter now refuses
    // is skipped, as there is nothing better to put in its place.
    void Restore(const std::string& name) {
        try {
            FRoot.SetName(name);
        } catch (const Exception&) {
        }
        for (const TSaved& saved : FSaved) {
            try {
                const TTarget target = ResolvePath(FRoot, saved.Path);
                if (const auto* text = std::get_if<std::string>(&saved.Value))
                    target.Property->SetValue(*target.Object, *text);
                else if (const auto* handler = std::get_if<std::any>(&saved.Value))
                    target.Property->SetHandler(*target.Object, *handler);
                else
                    target.Property->SetObject(*target.Object, std::get<TPersistent*>(saved.Value));
            } catch (const Exception&) {
            }
        }
    }

    // Destroys what the read added to the root, the newest first (a control destroys its
    // children with itself, so each is checked to be still there).
    void DestroyAddedComponents(const std::vector<TComponent*>& before) {
        std::vector<TComponent*> added;
        for (int i = 0; i < FRoot.GetComponentCount(); ++i)
            if (std::find(before.begin(), before.end(), FRoot.GetComponent(i)) == before.end())
                added.push_back(FRoot.GetComponent(i));
        for (auto it = added.rbegin(); it != added.rend(); ++it) {
            bool owned = false;
            for (int i = 0; i < FRoot.GetComponentCount() && !owned; ++i) owned = FRoot.GetComponent(i) == *it;
            if (owned) delete *it;
        }
    }

    TComponent& FRoot;
    struct TCreated {
        TComponent* Component;
        int Line;  // of its object in the file
    };
    std::vector<TCreated> FCreated;
    int FRootLine = 1;
    std::vector<TReference> FReferences;
    std::vector<TSaved> FSaved;
};

}  // namespace

void LoadComponentFromText(TComponent& root, const std::string& text) {
    const TFormObject tree = TParser(text).ParseFile();
    if (!SameText(tree.ClassName, root.ClassName()))
        Fail(tree.Line, Format("the file holds a %s, not a %s", {tree.ClassName, root.ClassName()}));
    TFormReader(root).Load(tree);
}

std::unique_ptr<TComponent> CreateComponentFromText(const std::string& text) {
    const TFormObject tree = TParser(text).ParseFile();
    const TComponentClass rootClass = GetClass(tree.ClassName);
    if (rootClass == nullptr) Fail(tree.Line, Format("class %s is not registered", {tree.ClassName}));
    std::unique_ptr<TComponent> root;
    try {
        root.reset(rootClass->Create(nullptr));
    } catch (const Exception& e) {
        Fail(tree.Line, e.Message());
    }
    TFormReader(*root).LoadNew(tree);
    return root;
}

// ---------------------------------------------------------------------------------------
// Files

void SaveComponentToFile(TComponent& root, const std::string& fileName) {
    const std::string text = SaveComponentToText(root);
    ReplaceFile(fileName, std::as_bytes(std::span(text)), TFileSync::EachFile);
}

void LoadComponentFromFile(TComponent& root, const std::string& fileName) {
    std::ifstream in(CheckFileName(fileName, "read"), std::ios::binary);
    if (!in) throw EInOutError("Cannot open %s", {fileName});
    std::string text;
    std::array<char, 4096> buffer{};
    while (in.read(buffer.data(), buffer.size()) || in.gcount() > 0)
        text.append(buffer.data(), static_cast<std::size_t>(in.gcount()));
    if (in.bad()) throw EInOutError("Cannot read %s", {fileName});
    LoadComponentFromText(root, text);
}

}  // namespace zan::platform
