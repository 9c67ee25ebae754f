#include "tools/view/ViewDocument.h"

#include <fstream>
#include <set>

#include "tools/view/PackageLayout.h"

#ifndef BSCAN_TOOL_VERSION
#define BSCAN_TOOL_VERSION "unknown"
#endif

namespace {

const int kExcerptLines = 3;           // lines shown on each side of a failure
const size_t kExcerptWidth = 400;      // characters kept of each line

// The lines around `line` (counted from 1) as {line, text}.
Json Excerpt(const std::string& file, long long line)
{
    Json lines = Json::array();
    std::ifstream in(file, std::ios::binary);
    std::string text;
    for (long long number = 1; line > 0 && std::getline(in, text); ++number) {
        if (number < line - kExcerptLines)
            continue;
        if (number > line + kExcerptLines)
            break;
        if (!text.empty() && text.back() == '\r')
            text.pop_back();
        if (text.size() > kExcerptWidth)
            text = text.substr(0, kExcerptWidth) + "...";
        lines.push_back({{"line", number}, {"text", text}});
    }
    return lines;
}

Json LayoutPinJson(const LayoutPin& pin, const std::string& kind)
{
    Json json{{"port", pin.port}, {"pin", pin.name}};
    if (kind == "grid") {
        json["row"] = pin.row;
        json["column"] = pin.column;
    } else {
        json["position"] = pin.position;
    }
    return json;
}

Json LayoutJson(const Json& ports, const Json& package)
{
    std::vector<LayoutPin> pins;
    for (size_t i = 0; i < ports.size(); ++i) {
        const Json& name = ports[i]["pin_name"];
        if (name.is_string()) {
            LayoutPin pin;
            pin.port = static_cast<int>(i);
            pin.name = name.get<std::string>();
            pins.push_back(pin);
        }
    }
    const PackageLayout layout = LayOutPackage(pins, package.is_string() ? package.get<std::string>() : "");
    Json placed = Json::array(), others = Json::array();
    for (const LayoutPin& pin : layout.pins)
        placed.push_back(LayoutPinJson(pin, layout.kind));
    for (const LayoutPin& pin : layout.others)
        others.push_back(LayoutPinJson(pin, "list"));
    return Json{{"kind", layout.kind},
                {"rows", layout.rows},
                {"columns", layout.columns},
                {"sides", layout.sides},
                {"pins", placed},
                {"others", others}};
}

}  // namespace

std::string PortRole(const Json& port, const Json& cells)
{
    std::set<std::string> functions;
    for (const Json& number : port["cells"]) {
        const int n = number.get<int>();
        if (n >= 0 && static_cast<size_t>(n) < cells.size())
            functions.insert(cells[static_cast<size_t>(n)]["function"].get<std::string>());
    }
    auto has = [&](const char* f) { return functions.count(f) > 0; };
    if (functions.empty())
        return port["type"] == "none" ? "linkage" : "nocell";
    const bool in = has("input") || has("bidir_in") || has("clock");
    const bool out = has("output2") || has("output3") || has("bidir_out");
    if (has("bidir") || (in && out))
        return "bidir";
    if (has("output3") || has("bidir_out"))
        return "output3";
    if (has("output2"))
        return "output";
    if (has("clock"))
        return "clock";
    if (in)
        return "input";
    if (has("observe_only"))
        return "observe";
    return "other";
}

Json DeviceView(const std::string& file, const ReadOutcome& read, const char* entity,
                const Json& model, const std::vector<DrivenPort>& driven,
                const Json& findings, const Json& idcode)
{
    Json roles = Json::array();
    Json layout = nullptr;
    if (model.is_object()) {
        for (const Json& port : model["ports"])
            roles.push_back(PortRole(port, model["cells"]));
        layout = LayoutJson(model["ports"], model["package"]);
    }
    Json drivenJson = Json::array();
    for (const DrivenPort& port : driven)
        drivenJson.push_back({{"argument", port.argument},
                              {"label", port.label},
                              {"value", port.value},
                              {"direction", port.direction}});
    Json readJson{{"ok", read.ok},
                  {"result", read.ok ? Json(0) : Json(read.errorLine)},
                  {"line", read.ok ? Json(nullptr) : Json(read.line)},
                  {"excerpt", read.ok ? Json::array() : Excerpt(file, read.line)}};
    return Json{{"file", file},
                {"read", readJson},
                {"entity", entity ? Json(entity) : Json(nullptr)},
                {"idcode", idcode},
                {"model", model},
                {"roles", roles},
                {"layout", layout},
                {"driven", drivenJson},
                {"findings", findings},
                {"chain", nullptr}};
}

Json ViewDocument(const Json& devices, const Json& chain)
{
    return Json{{"generator", std::string("bscan view ") + BSCAN_TOOL_VERSION}, {"devices", devices}, {"chain", chain}};
}
