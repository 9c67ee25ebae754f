#include "tools/view/PageWriter.h"

#include "PageAssets.h"   // generated: kPageHtml, kPageCss, kPageJs

namespace {

std::string EscapeHtml(const std::string& text)
{
    std::string escaped;
    for (char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

// JSON that can stand inside a <script> element: no '<' at all, so neither
// "</script>" nor "<!--" can occur ('<' only ever stands inside strings,
// where \u003c means the same).
std::string ScriptSafeJson(const Json& document)
{
    const std::string json = document.dump(-1, ' ', false, Json::error_handler_t::replace);
    std::string safe;
    safe.reserve(json.size() + json.size() / 64);
    for (char c : json) {
        if (c == '<')
            safe += "\\u003c";
        else
            safe += c;
    }
    return safe;
}

}  // namespace

void WritePage(std::ostream& out, const std::string& title, const Json& document)
{
    // The frame holds each marker once, in this order.
    const struct {
        const char* marker;
        std::string text;
    } parts[] = {
        {"@TITLE@", EscapeHtml(title)},
        {"/*@STYLE@*/", kPageCss},
        {"@DATA@", ScriptSafeJson(document)},
        {"/*@SCRIPT@*/", kPageJs},
    };
    const std::string frame = kPageHtml;
    size_t from = 0;
    for (const auto& part : parts) {
        const size_t at = frame.find(part.marker, from);
        if (at == std::string::npos)
            continue;
        out << frame.substr(from, at - from) << part.text;
        from = at + std::string(part.marker).size();
    }
    out << frame.substr(from);
}
