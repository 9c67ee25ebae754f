// `bscan json FILE`: the whole model as one JSON document (built in
// tools/DeviceJson.cpp; the keys are documented in README.md).
#include "tools/Commands.h"
#include "tools/DeviceJson.h"

void RunJson(const CommandOptions& options, std::ostream& out)
{
    DeviceParser parser;
    ReadDevice(parser, options.file);
    out << DeviceJsonText(parser, options.file) << '\n';
}
