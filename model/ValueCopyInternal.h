// The copying steps of the model's plain value classes (internal, not
// installed): copies never throw. A copy constructed while memory runs
// short is empty, an assignment that runs short leaves its target as it
// was, and a text or list item that cannot be stored is not stored.
#ifndef BSCAN_VALUECOPYINTERNAL_H
#define BSCAN_VALUECOPYINTERNAL_H

#include <new>
#include <string>
#include <tuple>
#include <vector>

namespace value_copy {

// Gives the fields of `target` the values of those of `source` all at
// once, or none of them when memory runs short.
template <typename... Fields>
void AssignAll(std::tuple<Fields&...> target, std::tuple<const Fields&...> source) noexcept
{
    try {
        std::tuple<Fields...> copy(source);
        target = std::move(copy);
    } catch (const std::bad_alloc&) {
        // out of memory: the target stays as it was
    }
}

// Sets `field` to `text`; null changes nothing.
inline void StoreText(std::string& field, const char* text) noexcept
{
    if (text == nullptr) {
        return;
    }
    try {
        field = text;
    } catch (const std::bad_alloc&) {
        // out of memory: the old text stays
    }
}

// Appends `text` to `list`; null adds nothing.
inline void AddText(std::vector<std::string>& list, const char* text) noexcept
{
    if (text == nullptr) {
        return;
    }
    try {
        list.emplace_back(text);
    } catch (const std::bad_alloc&) {
        // out of memory: the list stays as it was
    }
}

}  // namespace value_copy

#endif
