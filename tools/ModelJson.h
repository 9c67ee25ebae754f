// The model as the JSON document of `bscan json` (keys in README.md), for
// the commands that carry it: `json` prints it, `view` embeds it in its page.
#ifndef BSCAN_TOOL_MODELJSON_H
#define BSCAN_TOOL_MODELJSON_H

#include <string>

#include <nlohmann/json.hpp>

#include "parser/BScanParser.h"

using Json = nlohmann::ordered_json;

// The document of a file that was read; `file` is the path as given.
Json ModelDocument(BScanParser& parser, const std::string& file);

#endif
