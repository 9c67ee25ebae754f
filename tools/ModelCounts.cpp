#include "tools/ModelCounts.h"

ModelCounts CountModel(BScanParser& parser)
{
    ModelCounts counts;
    if (BScanPinMap* map = parser.GetPinMap()) {
        counts.portNodes = map->GetNumberOfPins();
        const KObjList* list = map->GetPinListArray();
        for (int i = 0; list && i < list->GetCount(); ++i) {
            const KPinNode* node = static_cast<const KPinNode*>(list->GetAt(i));
            if (node && node->GetPinNumber() > 0)
                ++counts.numberedPins;
        }
        counts.boundaryCells = map->GetBScanLength();
    }
    if (const CInstrRegisterDesc* ir = parser.GetInstructionRegisterDescription())
        counts.instructions = ir->GetInstructionOpcodeCount();
    if (const CRegisterAccessDesc* access = parser.GetRegisterAccessDescription())
        counts.registers = access->GetRegisterCount();
    counts.differentialPairs = parser.GetDifferentialPairCount();
    return counts;
}
