// The document of `bscan json`: the whole model of a read device as one
// JSON value. The keys are documented in README.md ("Command-line tool");
// they are part of the tool's interface, so keep them stable. The Python
// package builds its to_dict() from the same function.
#ifndef BSCAN_TOOL_DEVICEJSON_H
#define BSCAN_TOOL_DEVICEJSON_H

#include <string>

#include <nlohmann/json.hpp>

#include "parser/BScanParser.h"

using Json = nlohmann::ordered_json;

// The document of the device `parser` holds; `file` is the path as given.
nlohmann::ordered_json DeviceJson(BScanParser& parser, const std::string& file);

// The document's text as the tool prints it (indent 2, no line end); texts
// of the file that are not UTF-8 have their bad bytes replaced. An indent
// of -1 gives the compact form.
std::string DeviceJsonText(BScanParser& parser, const std::string& file, int indent = 2);

#endif
