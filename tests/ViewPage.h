// The data island of a page of `bscan view` (tests of the tool).
#ifndef BSCAN_TESTS_VIEWPAGE_H
#define BSCAN_TESTS_VIEWPAGE_H

#include <string>

#include <nlohmann/json.hpp>

namespace bscan_test {

// The JSON document the page carries; null when it has none.
inline nlohmann::json ViewIsland(const std::string& page)
{
    const std::string open = "<script type=\"application/json\" id=\"bscan-view-data\">";
    const size_t from = page.find(open);
    if (from == std::string::npos)
        return nullptr;
    const size_t begin = from + open.size();
    const size_t end = page.find("</script>", begin);
    return nlohmann::json::parse(page.substr(begin, end - begin));
}

}  // namespace bscan_test

#endif
