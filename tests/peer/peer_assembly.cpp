// The peer's view of an assembly: the file is transferred into the peer's document (shapes on labels, an
// assembly being a label whose components refer to other labels through a location), and the label tree is
// walked depth first from each free shape, composing the locations on the way down.
#include "peer_assembly.h"

#include <BRep_Tool.hxx>
#include <IFSelect_ReturnStatus.hxx>
#include <Interface_Static.hxx>
#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_PrinterOStream.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <STEPControl_Controller.hxx>
#include <Standard_Failure.hxx>
#include <TCollection_AsciiString.hxx>
#include <TDF_Label.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDataStd_Name.hxx>
#include <TDocStd_Document.hxx>
#include <TopExp.hxx>
#include <TopLoc_Location.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>
#include <TopoDS_Shape.hxx>
#include <TopoDS_Vertex.hxx>
#include <UnitsMethods_LengthUnit.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_ShapeTool.hxx>
#include <gp_Pnt.hxx>
#include <gp_Trsf.hxx>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <mutex>

namespace peer {
namespace {

// The peer prints its progress and notes on standard output: keep only its failures, on standard error.
void quietPeerMessages() {
    static std::once_flag once;
    std::call_once(once, [] {
        const Handle(Message_Messenger)& messenger = Message::DefaultMessenger();
        messenger->RemovePrinters(STANDARD_TYPE(Message_PrinterOStream));
        messenger->AddPrinter(new Message_PrinterOStream("cerr", Standard_False, Message_Fail));
    });
}

// A document of the peer's application, closed when it goes out of scope.
class PeerDocument {
public:
    PeerDocument() { XCAFApp_Application::GetApplication()->NewDocument("MDTV-XCAF", doc_); }
    ~PeerDocument() {
        if (!doc_.IsNull() && doc_->IsOpened()) XCAFApp_Application::GetApplication()->Close(doc_);
    }
    PeerDocument(const PeerDocument&) = delete;
    PeerDocument& operator=(const PeerDocument&) = delete;
    Handle(TDocStd_Document)& get() { return doc_; }

private:
    Handle(TDocStd_Document) doc_;
};

std::string labelName(const TDF_Label& label) {
    Handle(TDataStd_Name) name;
    if (!label.FindAttribute(TDataStd_Name::GetID(), name)) return "";
    return TCollection_AsciiString(name->Get()).ToCString();
}

int countOf(const TopoDS_Shape& shape, TopAbs_ShapeEnum type) {
    TopTools_IndexedMapOfShape map;
    TopExp::MapShapes(shape, type, map);
    return map.Extent();
}

void measureShape(const TopoDS_Shape& shape, AssemblyNode& node) {
    node.kind = shape.IsNull() ? "NONE" : TopAbs::ShapeTypeToString(shape.ShapeType());
    if (shape.IsNull()) return;
    node.faces = countOf(shape, TopAbs_FACE);
    node.edges = countOf(shape, TopAbs_EDGE);
    TopTools_IndexedMapOfShape vertices;
    TopExp::MapShapes(shape, TopAbs_VERTEX, vertices);
    node.vertices = vertices.Extent();
    for (int i = 1; i <= vertices.Extent(); ++i) {
        const gp_Pnt p = BRep_Tool::Pnt(TopoDS::Vertex(vertices(i)));
        const double xyz[3] = {p.X(), p.Y(), p.Z()};
        for (int k = 0; k < 3; ++k) {
            node.box[k] = node.hasBox ? std::min(node.box[k], xyz[k]) : xyz[k];
            node.box[k + 3] = node.hasBox ? std::max(node.box[k + 3], xyz[k]) : xyz[k];
        }
        node.hasBox = true;
    }
}

std::array<double, 12> placementOf(const TopLoc_Location& location) {
    const gp_Trsf t = location.Transformation();
    std::array<double, 12> out{};
    for (int row = 1; row <= 3; ++row) {
        for (int col = 1; col <= 3; ++col) out[(row - 1) * 3 + col - 1] = t.Value(row, col);
        out[8 + row] = t.Value(row, 4);
    }
    return out;
}

class TreeWalker {
public:
    TreeWalker(const Handle(XCAFDoc_ShapeTool)& shapes, std::vector<AssemblyNode>& out) : shapes_(shapes), out_(out) {}

    // `label` is a free shape (a root) or a component; a component refers to the shape it places.
    void walk(const TDF_Label& label, const TopLoc_Location& placement, int depth, const std::string& parentPath) {
        TDF_Label shape = label;
        AssemblyNode node;
        node.depth = depth;
        if (depth > 0) {
            node.instance = labelName(label);
            shapes_->GetReferredShape(label, shape);
        }
        node.name = labelName(shape);
        const std::string& own = depth > 0 ? node.instance : node.name;
        node.path = parentPath.empty() ? own : parentPath + "/" + own;
        node.placement = placementOf(placement);
        measureShape(XCAFDoc_ShapeTool::GetShape(shape), node);
        node.assembly = XCAFDoc_ShapeTool::IsAssembly(shape);
        const std::string path = node.path;
        out_.push_back(std::move(node));
        if (!out_.back().assembly) return;
        TDF_LabelSequence components;
        XCAFDoc_ShapeTool::GetComponents(shape, components, Standard_False);
        for (int i = 1; i <= components.Length(); ++i)
            walk(components(i), placement * XCAFDoc_ShapeTool::GetLocation(components(i)), depth + 1, path);
    }

private:
    Handle(XCAFDoc_ShapeTool) shapes_;
    std::vector<AssemblyNode>& out_;
};

void readInto(const std::string& path, AssemblyDescription& out) {
    quietPeerMessages();
    STEPControl_Controller::Init();
    // Lengths in millimetres, asked for rather than assumed: the conversion target of the shape transfer, and
    // the document's unit, which the transfer would otherwise take from the file.
    if (!Interface_Static::SetCVal("xstep.cascade.unit", "MM")) {
        out.error = "the peer has no length unit setting (xstep.cascade.unit)";
        return;
    }
    PeerDocument doc;
    XCAFDoc_DocumentTool::SetLengthUnit(doc.get(), 1.0, UnitsMethods_LengthUnit_Millimeter);

    STEPCAFControl_Reader reader;
    reader.SetNameMode(Standard_True);
    if (reader.ReadFile(path.c_str()) != IFSelect_RetDone) {
        out.error = "the peer could not read " + path;
        return;
    }
    reader.ChangeReader().SetSystemLengthUnit(1.0);
    if (!reader.Transfer(doc.get())) {
        out.error = "the peer could not transfer " + path;
        return;
    }
    double metresPerUnit = 0;
    if (!XCAFDoc_DocumentTool::GetLengthUnit(doc.get(), metresPerUnit) || std::fabs(metresPerUnit - 1e-3) > 1e-12) {
        out.error = "the peer's document is not in millimetres after reading " + path;
        return;
    }
    const Handle(XCAFDoc_ShapeTool) shapes = XCAFDoc_DocumentTool::ShapeTool(doc.get()->Main());
    TDF_LabelSequence roots;
    shapes->GetFreeShapes(roots);
    TreeWalker walker(shapes, out.nodes);
    for (int i = 1; i <= roots.Length(); ++i) walker.walk(roots(i), TopLoc_Location(), 0, "");
    out.ok = true;
}

// ---- comparison ----

std::string number(double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.10g", v == 0 ? 0.0 : v);  // no "-0"
    return buf;
}

template <size_t N>
std::string numbers(const std::array<double, N>& values, size_t from, size_t count) {
    std::string out = "(";
    for (size_t i = from; i < from + count; ++i) out += (i > from ? ", " : "") + number(values[i]);
    return out + ")";
}

bool closeRotation(double a, double b, const Tolerance& t) {
    return std::fabs(a - b) <= t.rotation * std::max({1.0, std::fabs(a), std::fabs(b)});
}

bool closeLength(double a, double b, const Tolerance& t) {
    return std::fabs(a - b) <= t.lengthAbsolute + t.lengthRelative * std::max(std::fabs(a), std::fabs(b));
}

class Differences {
public:
    explicit Differences(size_t maxLines) : maxLines_(maxLines) {}
    void add(std::string line) {
        ++count_;
        if (lines_.size() < maxLines_) lines_.push_back(std::move(line));
    }
    std::vector<std::string> take() {
        if (count_ > lines_.size())
            lines_.push_back("... and " + std::to_string(count_ - lines_.size()) + " more differences");
        return std::move(lines_);
    }

private:
    size_t maxLines_;
    size_t count_ = 0;
    std::vector<std::string> lines_;
};

template <typename T>
void compareField(Differences& d, const std::string& where, const char* what, const T& a, const T& b) {
    if (!(a == b)) d.add(where + ": " + what + " " + a + " != " + b);
}

void compareNodes(Differences& d, const AssemblyNode& a, const AssemblyNode& b, const Tolerance& t) {
    const std::string where = "node '" + a.path + "'";
    compareField(d, where, "path", "'" + a.path + "'", "'" + b.path + "'");
    compareField(d, where, "depth", std::to_string(a.depth), std::to_string(b.depth));
    compareField(d, where, "product", "'" + a.name + "'", "'" + b.name + "'");
    compareField(d, where, "shape", a.kind, b.kind);
    compareField(d, where, "assembly", std::string(a.assembly ? "yes" : "no"), std::string(b.assembly ? "yes" : "no"));
    compareField(d, where, "faces", std::to_string(a.faces), std::to_string(b.faces));
    compareField(d, where, "edges", std::to_string(a.edges), std::to_string(b.edges));
    compareField(d, where, "vertices", std::to_string(a.vertices), std::to_string(b.vertices));
    for (size_t i = 0; i < 9; ++i) {
        if (closeRotation(a.placement[i], b.placement[i], t)) continue;
        d.add(where + ": rotation " + numbers(a.placement, 0, 9) + " != " + numbers(b.placement, 0, 9));
        break;
    }
    for (size_t i = 9; i < 12; ++i) {
        if (closeLength(a.placement[i], b.placement[i], t)) continue;
        d.add(where + ": translation (mm) " + numbers(a.placement, 9, 3) + " != " + numbers(b.placement, 9, 3));
        break;
    }
    if (a.hasBox != b.hasBox) {
        d.add(where + ": box " + (a.hasBox ? "present" : "absent") + " != " + (b.hasBox ? "present" : "absent"));
        return;
    }
    for (size_t i = 0; a.hasBox && i < 6; ++i) {
        if (closeLength(a.box[i], b.box[i], t)) continue;
        d.add(where + ": box (mm) " + numbers(a.box, 0, 6) + " != " + numbers(b.box, 0, 6));
        break;
    }
}

}  // namespace

AssemblyDescription describeAssembly(const std::string& path) {
    AssemblyDescription out;
    try {
        readInto(path, out);
    } catch (const Standard_Failure& failure) {
        out.error = std::string("the peer failed on ") + path + ": " + failure.GetMessageString();
    } catch (const std::exception& e) {
        out.error = std::string("the peer failed on ") + path + ": " + e.what();
    }
    if (!out.ok) out.nodes.clear();
    return out;
}

std::vector<std::string> compareAssemblies(const AssemblyDescription& expected, const AssemblyDescription& actual,
                                           const Tolerance& tolerance, size_t maxLines) {
    Differences d(maxLines);
    if (!expected.ok) d.add("expected: " + expected.error);
    if (!actual.ok) d.add("actual: " + actual.error);
    if (expected.nodes.size() != actual.nodes.size())
        d.add("number of nodes " + std::to_string(expected.nodes.size()) + " != " +
              std::to_string(actual.nodes.size()));
    const size_t common = std::min(expected.nodes.size(), actual.nodes.size());
    for (size_t i = 0; i < common; ++i) compareNodes(d, expected.nodes[i], actual.nodes[i], tolerance);
    return d.take();
}

std::string joinLines(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) out += line + '\n';
    return out;
}

std::string toText(const AssemblyDescription& description) {
    if (!description.ok) return "(not read: " + description.error + ")\n";
    std::string out;
    for (const AssemblyNode& n : description.nodes) {
        out += std::string(2 * static_cast<size_t>(n.depth), ' ') + n.path + " [" + n.name + "] " + n.kind +
               " faces " + std::to_string(n.faces) + " edges " + std::to_string(n.edges) + " vertices " +
               std::to_string(n.vertices) + " at " + numbers(n.placement, 9, 3) + " rotation " +
               numbers(n.placement, 0, 9);
        if (n.hasBox) out += " box " + numbers(n.box, 0, 6);
        out += '\n';
    }
    return out;
}

}  // namespace peer
