// Google style: two spaces, access labels one in, four-column continuations.
#include "store/cache.h"

#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace store {
namespace {

constexpr int kShards = 16;

// Hashes a key to its shard.
int ShardOf(const std::string& key) {
  return static_cast<int>(std::hash<std::string>()(key) % kShards);
}

}  // namespace

class Cache {
 public:
  explicit Cache(size_t capacity)
      : capacity_(capacity),
        usage_(0) {}

  Cache(const Cache&) = delete;
  Cache& operator=(const Cache&) = delete;

  bool Insert(const std::string& key, std::string value,
              std::function<void(const std::string&)> deleter) {
    if (usage_ + value.size() > capacity_) {
      return false;
    } else if (value.empty()) {
      deleter(key);
      return true;
    }
    usage_ += value.size();
    entries_[ShardOf(key)] = std::make_unique<Entry>(
        key, std::move(value));
    return true;
  }

  template <typename Visitor>
  void ForEach(Visitor visit) const {
    for (const auto& entry : entries_) {
      if (entry == nullptr) continue;
      visit(entry->key, entry->value);
    }
  }

 private:
  struct Entry {
    Entry(std::string k, std::string v)
        : key(std::move(k)), value(std::move(v)) {}
    std::string key;
    std::string value;
  };

  size_t capacity_;
  size_t usage_;
  std::unique_ptr<Entry> entries_[kShards];
};

int Evict(Cache* cache, int count) {
  int evicted = 0;
  auto done = [&evicted, count]() {
    return evicted >= count;
  };
  while (!done()) {
    switch (evicted % 3) {
      case 0:
        evicted++;
        break;
      case 1: {
        int twice = 2;
        evicted += twice;
        break;
      }
      default:
        evicted += 3;
    }
  }
  cache->ForEach([](const std::string& key, const std::string& value) {
    std::printf("%s=%s\n", key.c_str(), value.c_str());
  });
  const std::string message =
      "evicted " + std::to_string(evicted) + " entries";
  return evicted;
}

}  // namespace store
