/*
 * K&R with a four-space unit: braces on the line that opens the block,
 * except a function's, which stands at column 0 below its head.
 */
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#define MAX_ITEMS 64
#define CHECK(x)                \
    do {                        \
        if (!(x)) return -1;    \
    } while (0)

namespace store {

/** A key and its value; the value counts its uses. */
struct entry {
    std::string key;
    int value;
    int uses;
};

enum colour {
    RED,
    GREEN = 4,
    BLUE
};

static const int primes[] = {
    2, 3, 5, 7,
    11, 13, 17
};

/*! Returns the sum of the entries' values
 *  that are above the limit. */
int sum_above(const std::vector<entry> &entries, int limit)
{
    int total = 0;

    for (const entry &e : entries) {
        if (e.value > limit)
            total += e.value;
        else if (e.value == limit) {
            total += 1;
        } else {
            continue;
        }
    }
    return total;
}

template <typename T>
class counter {
public:
    explicit counter(T start) : count_(start) {}

    T next()
    {
        TRACE(count_)
        V<T> step;
        return ++count_;
    }

private:
    T count_;
};

template <typename T>
using entry_map =
        std::map<std::string, T>;

template <typename T>
[[maybe_unused]] const T limit_of =
        T(100);

int classify(int c)
{
    switch (c) {
    case 'a':
    case 'e':
        return 1;
    case L'{':
        return 2;
    case '\n': {
        int lines = 1;
        return lines;
    }
    default:
        break;
    }
    if (c < 0)
        switch (c) {
        case -1:
            return -1;
        }

    int tries = 0;
again:
    if (++tries < 3 &&
        c > 0)
        goto again;
    do {
        c--;
    } while (c > 10);
    return printf("%d %d\n",
                  c, tries);
}

void report(std::map<std::string, int> &seen)
{
    auto print = [&seen](const std::string &name) {
        std::printf("%s: %d\n", name.c_str(), seen[name]);
    };
    // Each name once, in order.
    for (auto &p : seen)
        print(p.first);
#ifdef VERBOSE
    std::fprintf(stderr, "%zu names\n", seen.size());
#endif
    if (seen.empty())
        goto out;
    CHECK(seen.size() < MAX_ITEMS);
out:
    return;
}

} // namespace store
