// The devices of a read scan chain (chain/BScanChain.h) described for the
// interconnect test, in scan order, named as in the chain file.
#ifndef BSCAN_BOARD_BOARDCHAIN_H
#define BSCAN_BOARD_BOARDCHAIN_H

#include "util/BScanExport.h"

#include <string>
#include <vector>

#include "board/BoardDevice.h"

class BScanChain;

// False with `error` ("CHAIN:LINE: error: NAME: ...") when a device with
// a file cannot take part in a test (see DescribeDevice).
BSCAN_API bool DescribeChain(const BScanChain& chain, std::vector<BoardDevice>& devices, std::string& error);

#endif
