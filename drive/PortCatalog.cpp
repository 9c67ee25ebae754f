#include "drive/PortCatalog.h"

#include <cctype>
#include <unordered_map>

#include "model/CellRolesInternal.h"
#include "util/KObjList.h"

namespace {

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
    const PortCellRoles found = SelectPortCellRoles(node.GetBScanCells(), false);
    CellRoles roles;
    roles.input = found.input;
    roles.output = found.output;
    roles.control = found.control;
    roles.observe = found.observe;
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
