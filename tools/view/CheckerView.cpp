#include "tools/view/CheckerView.h"

// The checker is a folder of the library of its own (check/); the tool's
// CMakeLists.txt defines BSCAN_HAVE_CHECKER when the tree has it. Without
// it the page simply has no findings.
#ifdef BSCAN_HAVE_CHECKER
#include "check/BScanChecker.h"
#include "tools/DeviceLoader.h"

namespace {

Json TextOrNull(const std::string& text)
{
    return text.empty() ? Json(nullptr) : Json(text);
}

}  // namespace

CheckerView CheckForView(const std::string& file, const std::vector<unsigned char>& presets)
{
    BScanDevice device;
    device.Read(file, FindMessageDirectory(), presets);
    return CheckDeviceForView(device);
}

CheckerView CheckDeviceForView(const BScanDevice& device)
{
    CheckerView view;
    view.findings = Json::array();
    for (const BScanFinding& finding : BScanChecker::Check(device))
        view.findings.push_back({{"rule", finding.rule},
                                 {"severity", BScanChecker::SeverityName(finding.severity)},
                                 {"line", finding.line},
                                 {"message", finding.message},
                                 {"port", TextOrNull(finding.port)},
                                 {"cell", TextOrNull(finding.cell)},
                                 {"instruction", TextOrNull(finding.instruction)}});
    if (const BScanIdcode* idcode = device.Idcode())
        view.idcode = {{"pattern", idcode->pattern},
                       {"version", idcode->version},
                       {"part_number", idcode->partNumber},
                       {"manufacturer", idcode->manufacturer}};
    return view;
}

#else

CheckerView CheckForView(const std::string&, const std::vector<unsigned char>&)
{
    return CheckerView();
}

CheckerView CheckDeviceForView(const BScanDevice&)
{
    return CheckerView();
}

#endif
