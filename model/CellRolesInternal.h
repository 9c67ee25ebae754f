// The cells that play a port's roles, chosen in one walk of its cell list:
// input is the first INPUT, BIDIR_IN or BIDIR cell; output the first
// OUTPUT2, OUTPUT3, BIDIR_OUT or BIDIR cell; control the control cell of the
// last such output cell (which may name none); observe the first
// OBSERVE_ONLY cell. With stopAtObserve (driving a port as an input) the
// walk ends at the first OBSERVE_ONLY cell.
#ifndef BSCAN_CELLROLESINTERNAL_H
#define BSCAN_CELLROLESINTERNAL_H

#include "model/KBScanCell.h"
#include "util/KObjList.h"

struct PortCellRoles {
    KBScanCell* input = nullptr;
    KBScanCell* output = nullptr;
    KBScanCell* control = nullptr;
    KBScanCell* observe = nullptr;
};

// A null list has no roles; null entries are passed over.
inline PortCellRoles SelectPortCellRoles(const KObjList* cells, bool stopAtObserve)
{
    PortCellRoles roles;
    const int count = cells != nullptr ? cells->GetCount() : 0;
    for (int i = 0; i < count; ++i) {
        KBScanCell* cell = static_cast<KBScanCell*>(cells->GetAt(i));
        if (cell == nullptr) {
            continue;
        }
        const CellFunction function = cell->GetFunction();
        const bool input = function == FUNC_INPUT || function == FUNC_BIDIR_IN ||
                           function == FUNC_BIDIR;
        const bool output = function == FUNC_OUTPUT2 || function == FUNC_OUTPUT3 ||
                            function == FUNC_BIDIR_OUT || function == FUNC_BIDIR;
        if (input && roles.input == nullptr) {
            roles.input = cell;
        }
        if (output) {
            if (roles.output == nullptr) {
                roles.output = cell;
            }
            roles.control = cell->GetControlCell();
        }
        if (function == FUNC_OBSERVE_ONLY) {
            if (roles.observe == nullptr) {
                roles.observe = cell;
            }
            if (stopAtObserve) {
                break;
            }
        }
    }
    return roles;
}

#endif
