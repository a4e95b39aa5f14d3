// Small published classes for the designer service tests: a gadget with one property of
// every kind, a frame object of its own, and a descendant class.
#pragma once

#include <string>

#include <zanbarcode/platform/Components.h>
#include <zanbarcode/platform/Persistent.h>

namespace zantest {

class TFrame : public zan::platform::TPersistent {
public:
    std::string ClassName() const override { return "TFrame"; }
    const zan::platform::TPropList& PublishedProperties() const override {
        using F = TFrame;
        static const zan::platform::TPropList list = {
            zan::platform::IntegerProperty<F>(
                "Width", [](const F& f) { return f.Width; },
                [](F& f, std::int64_t v) { f.Width = static_cast<int>(v); }),
            zan::platform::EnumerationProperty<F>(
                "Style", {"fsSolid", "fsDashed"}, [](const F& f) { return f.Style; }, [](F& f, int v) { f.Style = v; }),
        };
        return list;
    }
    int Width = 1;
    int Style = 0;
};

class TGadget : public zan::platform::TComponent {
public:
    explicit TGadget(zan::platform::TComponent* owner) : TComponent(owner) {}
    static std::string StaticClassName() { return "TGadget"; }
    std::string ClassName() const override { return StaticClassName(); }
    const zan::platform::TPropList& PublishedProperties() const override {
        using G = TGadget;
        namespace p = zan::platform;
        static const p::TPropList list = [this] {
            p::TPropList own = TComponent::PublishedProperties();  // Name and Tag first
            own.insert(
                own.end(),
                {
                    p::StringProperty<G>(
                        "Label", [](const G& g) { return g.Label; }, [](G& g, const std::string& v) { g.Label = v; }),
                    p::IntegerProperty<G>(
                        "Count", [](const G& g) { return g.Count; },
                        [](G& g, std::int64_t v) {
                            if (v < 0) throw p::EConvertError("Count cannot be negative");
                            g.Count = static_cast<int>(v);
                        }),
                    p::EnumerationProperty<G>(
                        "Shape", {"gsSquare", "gsCircle", "gsArrow"}, [](const G& g) { return g.Shape; },
                        [](G& g, int v) { g.Shape = v; }),
                    p::BooleanProperty<G>(
                        "Enabled", [](const G& g) { return g.Enabled; }, [](G& g, bool v) { g.Enabled = v; }),
                    p::ObjectProperty<G>("Frame", [](G& g) -> p::TPersistent* { return &g.Frame; }),
                    p::ComponentProperty<G, TGadget>(
                        "Buddy", [](const G& g) { return g.Buddy; }, [](G& g, TGadget* v) { g.Buddy = v; }),
                    // Read-only: shown, never set.
                    p::TPropInfo{.Name = "Serial",
                                 .Kind = p::TTypeKind::tkString,
                                 .GetText = [](const p::TPersistent& o) { return static_cast<const G&>(o).Serial; }},
                    p::EventProperty<G, p::TNotifyEvent>("OnPing", &G::OnPing),
                });
            return own;
        }();
        return list;
    }

    std::string Label;
    int Count = 0;
    int Shape = 0;
    bool Enabled = true;
    TFrame Frame;
    TGadget* Buddy = nullptr;
    std::string Serial = "G-1";
    zan::platform::TNotifyEvent OnPing;
};

class TSpecialGadget : public TGadget {
public:
    explicit TSpecialGadget(zan::platform::TComponent* owner) : TGadget(owner) {}
    std::string ClassName() const override { return "TSpecialGadget"; }
};

}  // namespace zantest
