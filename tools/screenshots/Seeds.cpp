#include "Seeds.h"

namespace shots {
namespace {
// A function-local list: seed files register during static initialisation,
// in an order no file controls.
std::vector<Seed>& all() {
    static std::vector<Seed> seeds;
    return seeds;
}
}  // namespace

bool addSeed(Seed seed) {
    all().push_back(std::move(seed));
    return true;
}

std::vector<Seed> seedsFor(const QMetaObject* page) {
    std::vector<Seed> found;
    for (const Seed& s : all())
        if (s.page == page) found.push_back(s);
    return found;
}

}  // namespace shots
