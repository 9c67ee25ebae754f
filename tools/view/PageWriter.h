// The page of `bscan view`: one HTML file that needs nothing else. Its
// style and script (tools/view/page.css, page.js) and its frame
// (page.html) are built into the tool; the data goes in as a JSON island
// that the script draws from.
#ifndef BSCAN_TOOL_VIEW_PAGEWRITER_H
#define BSCAN_TOOL_VIEW_PAGEWRITER_H

#include <ostream>
#include <string>

#include "tools/DeviceJson.h"

// Writes the page with `document` (ViewDocument) as its data and `title`
// as its title.
void WritePage(std::ostream& out, const std::string& title, const Json& document);

#endif
