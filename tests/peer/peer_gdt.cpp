// The peer's GD&T read: a document read with GD&T, its tolerance labels and the datums attached to each.
#include "peer_gdt.h"

#include <Message.hxx>
#include <Message_Messenger.hxx>
#include <Message_PrinterOStream.hxx>
#include <STEPCAFControl_Reader.hxx>
#include <Standard_Failure.hxx>
#include <TCollection_HAsciiString.hxx>
#include <TDF_Label.hxx>
#include <TDF_LabelSequence.hxx>
#include <TDocStd_Document.hxx>
#include <XCAFApp_Application.hxx>
#include <XCAFDimTolObjects_DatumObject.hxx>
#include <XCAFDimTolObjects_GeomToleranceObject.hxx>
#include <XCAFDoc_Datum.hxx>
#include <XCAFDoc_DimTolTool.hxx>
#include <XCAFDoc_DocumentTool.hxx>
#include <XCAFDoc_GeomTolerance.hxx>

#include <map>
#include <mutex>

namespace peer {
namespace {

void quietPeer() {
    static std::once_flag once;
    std::call_once(once, [] {
        const Handle(Message_Messenger)& messenger = Message::DefaultMessenger();
        messenger->RemovePrinters(STANDARD_TYPE(Message_PrinterOStream));
        messenger->AddPrinter(new Message_PrinterOStream("cerr", Standard_False, Message_Fail));
    });
}

std::string kindName(XCAFDimTolObjects_GeomToleranceType type) {
    switch (type) {
    case XCAFDimTolObjects_GeomToleranceType_Angularity: return "angularity_tolerance";
    case XCAFDimTolObjects_GeomToleranceType_CircularRunout: return "circular_runout_tolerance";
    case XCAFDimTolObjects_GeomToleranceType_CircularityOrRoundness: return "roundness_tolerance";
    case XCAFDimTolObjects_GeomToleranceType_Coaxiality: return "coaxiality_tolerance";
    case XCAFDimTolObjects_GeomToleranceType_Concentricity: return "concentricity_tolerance";
    case XCAFDimTolObjects_GeomToleranceType_Cylindricity: return "cylindricity_tolerance";
    case XCAFDimTolObjects_GeomToleranceType_Flatness: return "flatness_tolerance";
    case XCAFDimTolObjects_GeomToleranceType_Parallelism: return "parallelism_tolerance";
    case XCAFDimTolObjects_GeomToleranceType_Perpendicularity: return "perpendicularity_tolerance";
    case XCAFDimTolObjects_GeomToleranceType_Position: return "position_tolerance";
    case XCAFDimTolObjects_GeomToleranceType_ProfileOfLine: return "line_profile_tolerance";
    case XCAFDimTolObjects_GeomToleranceType_ProfileOfSurface: return "surface_profile_tolerance";
    case XCAFDimTolObjects_GeomToleranceType_Straightness: return "straightness_tolerance";
    case XCAFDimTolObjects_GeomToleranceType_Symmetry: return "symmetry_tolerance";
    case XCAFDimTolObjects_GeomToleranceType_TotalRunout: return "total_runout_tolerance";
    default: return "";
    }
}

/// The datum labels of a tolerance in precedence order; datums of one position (a common datum) joined by "-".
std::vector<std::string> datumLabels(const Handle(XCAFDoc_DimTolTool)& tool, const TDF_Label& tolerance) {
    TDF_LabelSequence datums;
    tool->GetDatumWithObjectOfTolerLabels(tolerance, datums);
    std::map<int, std::string> byPosition;
    for (int i = 1; i <= datums.Length(); ++i) {
        Handle(XCAFDoc_Datum) datum;
        if (!datums(i).FindAttribute(XCAFDoc_Datum::GetID(), datum)) continue;
        Handle(XCAFDimTolObjects_DatumObject) object = datum->GetObject();
        if (object.IsNull()) continue;
        const std::string name = object->GetName().IsNull() ? "" : object->GetName()->ToCString();
        std::string& label = byPosition[object->GetPosition()];
        label += (label.empty() ? "" : "-") + name;
    }
    std::vector<std::string> labels;
    for (const auto& p : byPosition) labels.push_back(p.second);
    return labels;
}

}  // namespace

GdtDescription describeTolerances(const std::string& path) {
    quietPeer();
    GdtDescription out;
    Handle(TDocStd_Document) doc;
    XCAFApp_Application::GetApplication()->NewDocument("MDTV-XCAF", doc);
    try {
        STEPCAFControl_Reader reader;
        reader.SetGDTMode(true);
        reader.SetNameMode(true);
        if (reader.ReadFile(path.c_str()) != IFSelect_RetDone) {
            out.error = "the peer cannot read the file";
        } else if (!reader.Transfer(doc)) {
            out.error = "the peer cannot transfer the file";
        } else {
            Handle(XCAFDoc_DimTolTool) tool = XCAFDoc_DocumentTool::DimTolTool(doc->Main());
            TDF_LabelSequence labels;
            tool->GetGeomToleranceLabels(labels);
            for (int i = 1; i <= labels.Length(); ++i) {
                Handle(XCAFDoc_GeomTolerance) attribute;
                if (!labels(i).FindAttribute(XCAFDoc_GeomTolerance::GetID(), attribute)) continue;
                Handle(XCAFDimTolObjects_GeomToleranceObject) object = attribute->GetObject();
                if (object.IsNull()) continue;
                out.tolerances.push_back({kindName(object->GetType()), object->GetValue(), datumLabels(tool, labels(i))});
            }
            out.ok = true;
        }
    } catch (const Standard_Failure& e) {
        out.error = std::string("the peer failed: ") + (e.GetMessageString() ? e.GetMessageString() : "");
    }
    if (!doc.IsNull() && doc->IsOpened()) XCAFApp_Application::GetApplication()->Close(doc);
    return out;
}

}  // namespace peer
