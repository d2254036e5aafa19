#pragma once

#include <map>

namespace rq {

// What a view last showed for each key, so that only changes are passed on.
template <typename Key, typename Value>
class LastShown {
  public:
    // True when `value` differs from what was last shown for `key`, which it then becomes.
    bool changes(const Key& key, const Value& value) {
        const auto [it, inserted] = shown_.try_emplace(key, value);
        if (inserted) return true;
        if (it->second == value) return false;
        it->second = value;
        return true;
    }

  private:
    std::map<Key, Value> shown_;
};

}  // namespace rq
