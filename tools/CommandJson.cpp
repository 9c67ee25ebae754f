// `bscan json FILE`: the whole model as one JSON document. The keys are
// documented in README.md ("Command-line tool"); they are part of the
// tool's interface, so keep them stable.
#include <unordered_map>

#include <nlohmann/json.hpp>

#include "drive/BitImage.h"
#include "tools/Commands.h"
#include "tools/ModelCounts.h"
#include "tools/ModelJson.h"
#include "drive/Names.h"
#include "drive/PortCatalog.h"

namespace {

Json TextOrNull(const char* text)
{
    return text ? Json(text) : Json(nullptr);
}

Json CellNumberOrNull(const KBScanCell* cell)
{
    return cell ? Json(cell->GetBoundaryCellPosition()) : Json(nullptr);
}

Json CountsJson(const ModelCounts& counts)
{
    return Json{{"port_nodes", counts.portNodes},
                {"numbered_pins", counts.numberedPins},
                {"boundary_cells", counts.boundaryCells},
                {"instructions", counts.instructions},
                {"registers", counts.registers},
                {"differential_pairs", counts.differentialPairs}};
}

Json InstructionRegisterJson(const CInstrRegisterDesc* ir)
{
    if (!ir)
        return nullptr;
    Json instructions = Json::array();
    for (int i = 0; i < ir->GetInstructionOpcodeCount(); ++i) {
        const CInstrOpcode* instruction = ir->GetInstructionOpcode(i);
        Json opcodes = Json::array();
        for (int k = 0; k < instruction->GetOpcodeCount(); ++k)
            opcodes.push_back(instruction->GetOpcode(k));
        instructions.push_back({{"name", instruction->GetInstruction()}, {"opcodes", opcodes}});
    }
    return Json{{"length", ir->GetInstructionLength()},
                {"capture", ir->GetInstructionCapture()},
                {"instructions", instructions}};
}

Json RegistersJson(const CRegisterAccessDesc* access)
{
    if (!access)
        return nullptr;
    Json registers = Json::array();
    for (int i = 0; i < access->GetRegisterCount(); ++i) {
        const CRegister* reg = access->GetRegister(i);
        Json instructions = Json::array();
        for (int k = 0; k < reg->GetRegisterAssociationCount(); ++k)
            instructions.push_back(reg->GetRegisterAssocName(k));
        registers.push_back({{"name", reg->GetRegisterName()}, {"instructions", instructions}});
    }
    return registers;
}

Json PairsJson(const std::deque<CDifferentialPair>& pairs)
{
    Json list = Json::array();
    for (const CDifferentialPair& pair : pairs) {
        const int positive = pair.GetPositiveBScanPosition();
        const int negative = pair.GetNegativeBScanPosition();
        list.push_back({{"positive", pair.GetPositiveElement()},
                        {"negative", pair.GetNegativeElement()},
                        {"positive_cell", positive < 0 ? Json(nullptr) : Json(positive)},
                        {"negative_cell", negative < 0 ? Json(nullptr) : Json(negative)}});
    }
    return list;
}

Json PortJson(BScanPinMap& map, const PortEntry& entry)
{
    const KPinNode& node = *entry.node;
    const int pin = node.GetPinNumber();
    const CellRoles roles = SelectCellRoles(node);
    Json cells = Json::array();
    if (const KObjList* list = node.GetBScanCells())
        for (int i = 0; i < list->GetCount(); ++i)
            cells.push_back(static_cast<const KBScanCell*>(list->GetAt(i))->GetBoundaryCellPosition());
    Json differential = nullptr;
    if (node.IsPositive())
        differential = "positive";
    else if (node.IsNegative())
        differential = "negative";
    return Json{{"label", entry.label},
                {"port", TextOrNull(node.GetPortName())},
                {"index", node.GetVectorIndex()},
                {"vector_element", entry.isVectorElement},
                {"pin_number", pin > 0 ? Json(pin) : Json(nullptr)},
                {"pin_name", TextOrNull(node.GetPinName())},
                {"type", PortTypeName(node.GetPortType())},
                {"reachable", entry.reachable},
                {"direction", entry.reachable ? Json(PortTypeName(map.GetPortDirection(pin))) : Json(nullptr)},
                {"value", entry.reachable ? Json(SignalName(map.GetPortValue(pin))) : Json(nullptr)},
                {"port_value", SignalName(node.GetPortValue())},
                {"cells", cells},
                {"input_cell", CellNumberOrNull(roles.input)},
                {"output_cell", CellNumberOrNull(roles.output)},
                {"control_cell", CellNumberOrNull(roles.control)},
                {"observe_cell", CellNumberOrNull(roles.observe)},
                {"differential", differential}};
}

Json CellJson(const KBScanCell& cell, int number, const unsigned char* image,
              const std::unordered_map<const KPinNode*, std::string>& labels)
{
    const KBScanCell* control = cell.GetControlCell();
    Json port = nullptr;
    auto label = labels.find(cell.GetPinNode());
    if (label != labels.end())
        port = label->second;
    return Json{{"number", number},
                {"position", cell.GetBoundaryCellPosition()},
                {"type", CellTypeName(cell.GetBScanCellType())},
                {"function", CellFunctionName(cell.GetFunction())},
                {"port", port},
                {"pin_name", cell.GetPinName()},
                {"original_name", cell.GetOriginalPinName()},
                {"safe", SignalName(cell.m_safeValue)},
                {"control_cell", CellNumberOrNull(control)},
                {"disable_value", control ? Json(SignalName(cell.m_disableValue)) : Json(nullptr)},
                {"disabled_state", control ? Json(SignalName(cell.m_disableResult)) : Json(nullptr)},
                {"value", SignalName(cell.m_value)},
                {"bit", image ? Json(ImageBit(image, number)) : Json(nullptr)}};
}

}  // namespace

Json ModelDocument(BScanParser& parser, const std::string& file)
{
    BScanPinMap* map = parser.GetPinMap();
    const int length = map ? map->GetBScanLength() : 0;
    const unsigned char* image = map ? map->GetBScanBitArray() : nullptr;

    Json ports = Json::array();
    std::unordered_map<const KPinNode*, std::string> labels;
    if (map) {
        for (const PortEntry& entry : ListPorts(*map)) {
            ports.push_back(PortJson(*map, entry));
            labels.emplace(entry.node, entry.label);
        }
    }
    Json cells = Json::array();
    for (int number = 0; number < length; ++number)
        if (const KBScanCell* cell = map->GetBScanCell(number))
            cells.push_back(CellJson(*cell, number, image, labels));

    return Json{{"file", file},
                {"entity", TextOrNull(parser.GetComponentName())},
                {"package", TextOrNull(parser.GetPackageType())},
                {"counts", CountsJson(CountModel(parser))},
                {"instruction_register", InstructionRegisterJson(parser.GetInstructionRegisterDescription())},
                {"registers", RegistersJson(parser.GetRegisterAccessDescription())},
                {"differential_pairs", PairsJson(parser.GetDifferentialPairList())},
                {"boundary_length", length},
                {"image", image ? Json(ImageHexBytes(image, length)) : Json(nullptr)},
                {"image_bits", image ? Json(ImageBitString(image, length)) : Json(nullptr)},
                {"ports", ports},
                {"cells", cells}};
}

void RunJson(const CommandOptions& options, std::ostream& out)
{
    DeviceParser parser;
    ReadDevice(parser, options.file);
    const Json document = ModelDocument(parser, options.file);
    // Texts from the file are not necessarily UTF-8; replace what is not.
    out << document.dump(2, ' ', false, Json::error_handler_t::replace) << '\n';
}
