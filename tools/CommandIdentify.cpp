// `bscan identify IDCODE DIR...`: the BSDL files under the directories
// whose IDCODE_REGISTER matches the value, don't-care bits ignored; one row
// each (file, entity, package, pattern). Exit status 1 when none matches.
// Only each file's description pass is read (chain/Identify.h).
#include "chain/Identify.h"
#include "tools/Commands.h"
#include "tools/TextTable.h"

void RunIdentify(const CommandOptions& options, std::ostream& out)
{
    uint32_t id = 0;
    if (!ParseIdcodeText(options.file, id))
        throw UsageError("'" + options.file + "' is not a 32-bit hex value (0x optional, up to 8 digits)");
    std::vector<IdentifyMatch> matches;
    std::string error;
    const long looked = IdentifyFiles(id, options.assignments, matches, error);
    if (looked < 0)
        throw CommandError(error, true);
    if (matches.empty())
        throw CommandError("no BSDL file among " + std::to_string(looked) + " has an IDCODE matching " +
                           options.file);
    TextTable table({"FILE", "ENTITY", "PACKAGE", "IDCODE"});
    for (const IdentifyMatch& match : matches)
        table.AddRow({match.file, match.entity.empty() ? "-" : match.entity,
                      match.package.empty() ? "-" : match.package, match.pattern});
    table.Print(out);
}
