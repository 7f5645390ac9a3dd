// The structure file a monitoring unit is given: a JSON document that is
// also the source of the unit's register maps. Everything in it is checked
// before anything goes to the unit.
#pragma once

#include <QByteArray>

#include <vector>

#include "TslFsu.h"

constexpr int kStructFileMaxBytes = 20480;

struct StructFileCheck {
    int code = 0;  // 0, or the status shown for the refusal (-6 too long, -14 not a usable file)
    std::vector<Np_FsuRegisterMap> maps;  // to send in file order; entries of sensor type 0 left out
};

// The register maps of a structure file's bytes, or why the file is refused:
// longer than kStructFileMaxBytes (-6); not JSON, not an object at the top,
// or a "typeNo" outside 0-255, a "plaformBaseAddr" outside 0-4294967295, a
// "map" of more than 100 entries or a "regAddr" outside 0-65535 (-14).
// Missing members count as 0 and a missing "data" or "map" as empty.
StructFileCheck parseStructFile(const QByteArray& bytes);
