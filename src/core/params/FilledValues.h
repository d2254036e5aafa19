#pragma once

#include <concepts>
#include <cstdint>
#include <set>
#include <string>

namespace rq {

// A single value of the store: a byte, a u32 or a whole character field, never an array or a group,
// which would share its place with its first element.
template <typename T>
concept StoredValue =
    std::same_as<T, std::uint8_t> || std::same_as<T, std::uint32_t> || std::same_as<T, std::string>;

// The values of one store that answers have written, each known by its place in that store.
class FilledValues {
  public:
    template <StoredValue T>
    void add(const T& value) {
        places_.insert(&value);
    }
    template <StoredValue T>
    bool holds(const T& value) const {
        return places_.contains(&value);
    }

  private:
    std::set<const void*> places_;
};

}  // namespace rq
