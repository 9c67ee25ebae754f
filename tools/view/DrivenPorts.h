// The PORT=VALUE arguments of a page as they were applied, for the page to
// show on their pins.
#ifndef BSCAN_TOOL_VIEW_DRIVENPORTS_H
#define BSCAN_TOOL_VIEW_DRIVENPORTS_H

#include <string>
#include <utility>
#include <vector>

#include "model/BScanPinMap.h"
#include "tools/view/ViewDocument.h"

// Each argument as (the text as given, its PORT=VALUE[:in|:out] part),
// already applied to `map` (and checked then): the port it resolved to,
// its value and the direction it was driven in. Null `map`: none.
std::vector<DrivenPort> DescribeDriven(BScanPinMap* map,
                                       const std::vector<std::pair<std::string, std::string>>& arguments);

#endif
