#include "drive/PortCatalog.h"

#include <cctype>
#include <unordered_map>

#include "util/KObjList.h"

namespace {

bool IsInputFunction(CellFunction f)
{
    return f == FUNC_INPUT || f == FUNC_BIDIR_IN || f == FUNC_BIDIR;
}

bool IsOutputFunction(CellFunction f)
{
    return f == FUNC_OUTPUT2 || f == FUNC_OUTPUT3 || f == FUNC_BIDIR_OUT || f == FUNC_BIDIR;
}

std::string UpperCase(const char* text)
{
    std::string result = text ? text : "";
    for (char& c : result)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return result;
}

}  // namespace

CellRoles SelectCellRoles(const KPinNode& node)
{
    CellRoles roles;
    const KObjList* cells = node.GetBScanCells();
    if (!cells)
        return roles;
    for (int i = 0; i < cells->GetCount(); ++i) {
        const KBScanCell* cell = static_cast<const KBScanCell*>(cells->GetAt(i));
        if (!cell)
            continue;
        CellFunction f = cell->GetFunction();
        if (IsInputFunction(f) && !roles.input)
            roles.input = cell;
        if (IsOutputFunction(f)) {
            if (!roles.output)
                roles.output = cell;
            roles.control = cell->GetControlCell();
        }
        if (f == FUNC_OBSERVE_ONLY && !roles.observe)
            roles.observe = cell;
    }
    return roles;
}

std::string PortLabel(const KPinNode& node, bool isVectorElement)
{
    std::string label = node.GetPortName() ? node.GetPortName() : "";
    if (isVectorElement)
        label += "(" + std::to_string(node.GetVectorIndex()) + ")";
    return label;
}

std::vector<PortEntry> ListPorts(BScanPinMap& map)
{
    std::vector<PortEntry> entries;
    const KObjList* list = map.GetPinListArray();
    if (!list)
        return entries;
    std::unordered_map<std::string, int> nodesPerName;
    for (int i = 0; i < list->GetCount(); ++i) {
        const KPinNode* node = static_cast<const KPinNode*>(list->GetAt(i));
        if (node)
            ++nodesPerName[UpperCase(node->GetPortName())];
    }
    entries.reserve(static_cast<size_t>(list->GetCount()));
    for (int i = 0; i < list->GetCount(); ++i) {
        KPinNode* node = static_cast<KPinNode*>(list->GetAt(i));
        if (!node)
            continue;
        PortEntry entry;
        entry.node = node;
        entry.isVectorElement = nodesPerName[UpperCase(node->GetPortName())] > 1;
        entry.label = PortLabel(*node, entry.isVectorElement);
        entry.reachable = node->GetPinNumber() > 0 && map.GetPort(node->GetPinNumber()) == node;
        entries.push_back(entry);
    }
    return entries;
}
