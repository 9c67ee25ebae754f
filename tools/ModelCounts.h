// The counts that `info` prints and `json` carries.
#ifndef BSCAN_TOOL_MODELCOUNTS_H
#define BSCAN_TOOL_MODELCOUNTS_H

#include "parser/BScanParser.h"

struct ModelCounts {
    int portNodes = 0;       // nodes in the pin map
    int numberedPins = 0;    // nodes with a pin number of 1 or more
    int boundaryCells = 0;   // the boundary length
    int instructions = 0;
    int registers = 0;
    int differentialPairs = 0;
};

ModelCounts CountModel(BScanParser& parser);

#endif
